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
        // The inset, the housing between the strips of menu bar (width 0: no strips), the strips'
        // height and how far their tops are below the display's top, and the menu bar's height.
        QTest::addColumn<double>("safeTop");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("below");
        QTest::addColumn<double>("menuBar");
        QTest::addColumn<Cutout>("expected");
        const auto none = [](double height) { return Cutout(Kind::None, QRectF(661, 0, 190, height), 12); };
        QTest::newRow("no strips, thin menu bar") << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << none(24);
        QTest::newRow("no strips, tall menu bar") << 37.0 << 0.0 << 0.0 << 0.0 << 37.0 << none(37);
        QTest::newRow("strips but no inset") << 0.0 << 185.0 << 32.0 << 0.0 << 30.0 << none(30);
        QTest::newRow("inset but no strips") << 32.0 << 0.0 << 0.0 << 0.0 << 24.0 << none(24);
        QTest::newRow("20 wide is no housing") << 32.0 << 20.0 << 32.0 << 0.0 << 24.0 << none(24);
        QTest::newRow("20.5 wide is a notch")
            << 32.0 << 20.5 << 32.0 << 0.0 << 24.0 << Cutout(Kind::Notch, QRectF(745.75, 0, 20.5, 32), 10);
        QTest::newRow("a shallow notch's corners follow the inset")
            << 24.0 << 185.0 << 24.0 << 0.0 << 24.0 << Cutout(Kind::Notch, QRectF(663.5, 0, 185, 24), 8);
        QTest::newRow("strips below the top edge make an island")
            << 42.0 << 196.0 << 34.0 << 8.0 << 24.0 << Cutout(Kind::Island, QRectF(658, 8, 196, 34), 17);
        QTest::newRow("within a pixel of the edge still touches it")
            << 35.0 << 196.0 << 34.0 << 1.0 << 24.0 << Cutout(Kind::Notch, QRectF(658, 0, 196, 35), 10);
    }
    void inferredFromWhatTheDisplayReports()
    {
        QFETCH(double, safeTop);
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, below);
        QFETCH(double, menuBar);
        QFETCH(Cutout, expected);
        QRectF left, right;
        if (width > 0) {
            left = QRectF(0, below, (laptop.width() - width) / 2, height);
            right = left.translated(left.width() + width, 0);
        }
        const Cutout cutout = Cutout::infer(laptop, safeTop, left, right, menuBar);
        QCOMPARE(cutout, expected);
        QCOMPARE(cutout.gap(laptop.top()), expected.rect().top());
    }

    void fakeSpecifications_data()
    {
        QTest::addColumn<QRectF>("screen");
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<Cutout>("expected");
        QTest::newRow("notch14") << laptop << "notch14" << true
                                 << Cutout(Kind::Notch, QRectF(663.5, 0, 185, 32), 10);
        QTest::newRow("notch14 on a display right of and below another")
            << QRectF(1920, 100, 1512, 982) << "notch14" << true
            << Cutout(Kind::Notch, QRectF(2583.5, 100, 185, 32), 10);
        QTest::newRow("notch16") << laptop << "notch16" << true
                                 << Cutout(Kind::Notch, QRectF(656, 0, 200, 32), 10);
        QTest::newRow("island") << laptop << "island" << true
                                << Cutout(Kind::Island, QRectF(658, 8, 196, 34), 17);
        QTest::newRow("none") << laptop << "none" << true << Cutout(Kind::None, QRectF(661, 0, 190, 30), 12);
        QTest::newRow("island:200x34+8")
            << laptop << "island:200x34+8" << true << Cutout(Kind::Island, QRectF(656, 8, 200, 34), 17);
        QTest::newRow("island:200x34+0 touches the edge")
            << laptop << "island:200x34+0" << true << Cutout(Kind::Notch, QRectF(656, 0, 200, 34), 10);
        QTest::newRow("pieces that are not numbers are skipped")
            << laptop << "island:200xwide+34++8" << true << Cutout(Kind::Island, QRectF(656, 8, 200, 34), 17);
        QTest::newRow("two numbers") << laptop << "island:200x34" << false << Cutout();
        QTest::newRow("four numbers") << laptop << "island:200x34+8+1" << false << Cutout();
        QTest::newRow("not finite") << laptop << "island:infx34+8" << false << Cutout();
        QTest::newRow("case matters") << laptop << "NOTCH14" << false << Cutout();
        QTest::newRow("no prefix match") << laptop << "island200x34+8" << false << Cutout();
        QTest::newRow("empty") << laptop << "" << false << Cutout();
    }
    void fakeSpecifications()
    {
        QFETCH(QRectF, screen);
        QFETCH(QString, spec);
        QFETCH(bool, valid);
        QFETCH(Cutout, expected);
        const std::optional<Cutout> cutout = Cutout::fake(spec, screen, 30);
        QCOMPARE(cutout.has_value(), valid);
        if (valid)
            QCOMPARE(*cutout, expected);
    }

    void notchOutlineHangsOpenFromTheTop()
    {
        const Cutout notch(Kind::Notch, QRectF(663.5, 0, 185, 32), 10);
        const OutlinePath open = notch.outline({253, 32}, QRectF(0, 0, 645, 128), 0, 10, false);
        QCOMPARE(steps(open), (QList<Step>{Step::MoveTo, Step::LineTo, Step::ArcTo, Step::LineTo, Step::ArcTo,
                                           Step::LineTo}));
        const auto &e = open.elements();
        QCOMPARE(e[0].to, QPointF(196, 0));  // top left, hanging from the view's centre
        QCOMPARE(e[1].to, QPointF(196, 22)); // down to where the corner starts
        QCOMPARE(e[2].corner, QPointF(196, 32));
        QCOMPARE(e[2].to, QPointF(206, 32));
        QCOMPARE(e[5].to, QPointF(449, 0)); // ends at the top right: no top edge
        QVERIFY(notch.outline({253, 32}, QRectF(0, 0, 645, 128), 0, 10, true).isClosed());

        // Corners are at most as big as the shape is high; the top is inset from the view's.
        const OutlinePath shallow = notch.outline({300, 12}, QRectF(0, 5, 400, 100), 3, 40, false);
        QCOMPARE(shallow.elements()[2].radius, 12.0);
        QCOMPARE(shallow.elements()[0].to, QPointF(50, 8));
    }

    void anIslandOutlineIsAClosedPill()
    {
        const Cutout island(Kind::Island, QRectF(658, 8, 196, 34), 17);
        const OutlinePath pill = island.outline({264, 34}, QRectF(0, 0, 656, 138), 8, 40, false);
        QVERIFY(pill.isClosed()); // whatever was asked
        for (const auto &element : pill.elements()) {
            if (element.step == Step::ArcTo)
                QCOMPARE(element.radius, 17.0);
        }
    }

    void cornersBecomeQuarterCircles()
    {
        const Cutout notch(Kind::Notch, QRectF(663.5, 0, 185, 32), 10);
        const OutlinePath cubic =
            notch.outline({100, 30}, QRectF(0, 0, 100, 50), 0, 10, false).withCubicCorners();
        QCOMPARE(steps(cubic), (QList<Step>{Step::MoveTo, Step::LineTo, Step::LineTo, Step::CubicTo,
                                            Step::LineTo, Step::LineTo, Step::CubicTo, Step::LineTo}));
        const auto &arc = cubic.elements()[3];
        QCOMPARE(cubic.elements()[2].to, QPointF(0, 20)); // first tangent point
        QCOMPARE(arc.to, QPointF(10, 30));                // second tangent point
        // Control points pull towards the corner by 4/3·tan(π/8) of the radius.
        const double handle = 10 * 4.0 / 3.0 * std::tan(M_PI / 8);
        QCOMPARE(arc.corner, QPointF(0, 20 + handle));
        QCOMPARE(arc.control, QPointF(10 - handle, 30));

        // Radius 0 keeps square corners.
        const OutlinePath square =
            notch.outline({100, 30}, QRectF(0, 0, 100, 50), 0, 0, false).withCubicCorners();
        QVERIFY(square.elements().contains(OutlinePath::Element{Step::LineTo, QPointF(0, 30), {}, {}, 0}));
        QVERIFY(!steps(square).contains(Step::CubicTo));
    }
};

QTEST_APPLESS_MAIN(TestCutout)
#include "test_cutout.moc"
