#include "Cutout.h"

#include <QTest>

using Kind = Cutout::Kind;
using Step = OutlinePath::Step;

namespace {

const QRectF laptop(0, 0, 1512, 982);

QList<Step> steps(const OutlinePath &path)
{
    QList<Step> result;
    for (const auto &element : path.elements())
        result.append(element.step);
    return result;
}

} // namespace

class TestCutout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inferredFromWhatTheDisplayReports_data()
    {
        // The housing between the display's strips of menu bar (none when empty), its top
        // measured from the display's, and the display's inset and menu bar height.
        QTest::addColumn<QRectF>("housing");
        QTest::addColumn<double>("safeTop");
        QTest::addColumn<double>("menuBar");
        QTest::addColumn<Cutout>("expected");
        const auto none = [](double height) { return Cutout(Kind::None, QRectF(661, 0, 190, height), 12); };
        QTest::newRow("no strips, thin menu bar") << QRectF() << 0.0 << 0.0 << none(24);
        QTest::newRow("no strips, tall menu bar") << QRectF() << 37.0 << 37.0 << none(37);
        QTest::newRow("strips but no inset") << QRectF(0, 0, 185, 32) << 0.0 << 30.0 << none(30);
        QTest::newRow("20 wide is no housing") << QRectF(0, 0, 20, 32) << 32.0 << 24.0 << none(24);
        QTest::newRow("20.5 wide is a notch")
            << QRectF(0, 0, 20.5, 32) << 32.0 << 24.0 << Cutout(Kind::Notch, QRectF(745.75, 0, 20.5, 32), 10);
        QTest::newRow("a shallow notch's corners follow the inset")
            << QRectF(0, 0, 185, 24) << 24.0 << 24.0 << Cutout(Kind::Notch, QRectF(663.5, 0, 185, 24), 8);
        QTest::newRow("strips below the top edge make an island")
            << QRectF(0, 8, 196, 34) << 42.0 << 24.0 << Cutout(Kind::Island, QRectF(658, 8, 196, 34), 17);
        QTest::newRow("within a pixel of the edge still touches it")
            << QRectF(0, 1, 196, 34) << 35.0 << 24.0 << Cutout(Kind::Notch, QRectF(658, 0, 196, 35), 10);
    }
    void inferredFromWhatTheDisplayReports()
    {
        QFETCH(QRectF, housing);
        QFETCH(double, safeTop);
        QFETCH(double, menuBar);
        QFETCH(Cutout, expected);
        QRectF left, right;
        if (!housing.isEmpty()) {
            left = QRectF(0, housing.top(), (laptop.width() - housing.width()) / 2, housing.height());
            right = left.translated(left.width() + housing.width(), 0);
        }
        const Cutout cutout = Cutout::infer(laptop, safeTop, left, right, menuBar);
        QCOMPARE(cutout, expected);
        QCOMPARE(cutout.gap(laptop.top()), expected.rect().top());
    }

    void fakeHousingValues_data()
    {
        QTest::addColumn<QRectF>("screen");
        QTest::addColumn<QString>("value");
        QTest::addColumn<std::optional<Cutout>>("expected");
        const auto row = [](const char *value, const std::optional<Cutout> &expected,
                            const char *tag = nullptr, const QRectF &screen = laptop) {
            QTest::newRow(tag ? tag : value) << screen << QString::fromLatin1(value) << expected;
        };
        const Cutout island(Kind::Island, QRectF(656, 8, 200, 34), 17);
        row("notch14", Cutout(Kind::Notch, QRectF(663.5, 0, 185, 32), 10));
        row("notch14", Cutout(Kind::Notch, QRectF(2583.5, 100, 185, 32), 10),
            "notch14 on a display right of and below another", QRectF(1920, 100, 1512, 982));
        row("island", Cutout(Kind::Island, QRectF(658, 8, 196, 34), 17));
        row("island:200x34+8", island);
        row("island:200x34+0", Cutout(Kind::Notch, QRectF(656, 0, 200, 34), 10),
            "island:200x34+0 touches the edge");
        row("island:200xwide+34++8", island, "pieces that are not numbers are skipped");
        row("island:infx34+8", std::nullopt, "not finite");
        row("island200x34+8", std::nullopt, "no prefix match");
        row("island:1513x34+8", std::nullopt, "wider than the display");
        row("island:200x900+83", std::nullopt, "lower than the display");
    }
    void fakeHousingValues()
    {
        QFETCH(QRectF, screen);
        QFETCH(QString, value);
        QTEST(Cutout::fake(value, screen, 30), "expected");
    }

    void outlines()
    {
        // A notch's shape hangs open from the top unless asked to close; an island's is always closed.
        const Cutout notch(Kind::Notch, QRectF(663.5, 0, 185, 32), 10);
        const Cutout island(Kind::Island, QRectF(658, 8, 196, 34), 17);
        const OutlinePath open = notch.outline({253, 32}, QRectF(0, 0, 645, 128), 0, 10, false);
        QCOMPARE(open.elements().first().to, QPointF(196, 0)); // hanging from the view's centre
        QCOMPARE(open.elements().last().to, QPointF(449, 0));
        QVERIFY(!open.isClosed());
        QVERIFY(notch.outline({253, 32}, QRectF(0, 0, 645, 128), 0, 10, true).isClosed());
        const OutlinePath pill = island.outline({264, 34}, QRectF(0, 0, 656, 138), 8, 40, false);
        QVERIFY(pill.isClosed());
        // Corners are at most as big as a notch is high, or half as big as an island is high.
        QCOMPARE(pill.elements()[2].radius, 17.0);
        const OutlinePath shallow = notch.outline({300, 12}, QRectF(0, 5, 400, 100), 3, 40, false);
        QCOMPARE(shallow.elements()[2].radius, 12.0);
        QCOMPARE(shallow.elements()[0].to, QPointF(50, 8)); // the top inset from the view's

        // Drawn, each corner is a line to its first tangent point and a quarter circle to the
        // second, its control points pulled towards the corner by 4/3·tan(π/8) of the radius.
        const QRectF view(0, 0, 100, 50);
        const OutlinePath cubic = notch.outline({100, 30}, view, 0, 10, false).withCubicCorners();
        QCOMPARE(steps(cubic), (QList<Step>{Step::MoveTo, Step::LineTo, Step::LineTo, Step::CubicTo,
                                            Step::LineTo, Step::LineTo, Step::CubicTo, Step::LineTo}));
        const double handle = 10 * 4.0 / 3.0 * std::tan(M_PI / 8);
        QCOMPARE(cubic.elements()[2].to, QPointF(0, 20));
        QCOMPARE(cubic.elements()[3],
                 (OutlinePath::Element{Step::CubicTo, {10, 30}, {0, 20 + handle}, {10 - handle, 30}, 0}));
        // Radius 0 keeps square corners.
        const OutlinePath square = notch.outline({100, 30}, view, 0, 0, false).withCubicCorners();
        QVERIFY(!steps(square).contains(Step::CubicTo));
    }
};

QTEST_APPLESS_MAIN(TestCutout)
#include "test_cutout.moc"
