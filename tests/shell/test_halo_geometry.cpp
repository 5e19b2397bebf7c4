// The display, its housing and where the halo's window and shape go, on the
// offscreen platform's one 800 × 600 display.
#include "HaloGlyphs.h"
#include "HaloView.h"
#include "Notch.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

namespace {

QProcessEnvironment withCutout(const QString &spec)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("TARNWICK_FAKE_CUTOUT"), spec);
    return env;
}

Banner cameraBanner()
{
    Banner banner;
    banner.symbol = QStringLiteral("video.fill");
    banner.color = HaloColor::blocked;
    banner.title = QStringLiteral("Zoom is using the camera");
    return banner;
}

} // namespace

class TestHaloGeometry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Parsing the fake cutout is the cutout test's; here, that the display gets it when valid.
    void theFakeCutoutWinsWhenValid()
    {
        const Cutout virtualOne(Cutout::Kind::None, QRectF(305, 0, 190, 24), 12);
        QCOMPARE(Notch::current(withCutout("island:200x34"))->cutout, virtualOne);
        QCOMPARE(Notch::current({})->cutout, virtualOne);
        QCOMPARE(Notch::current({})->screen.data(), QGuiApplication::primaryScreen());
    }

    void shapesForLitSensorsAndBanners()
    {
        HaloGlyphs glyphs;
        const auto notch = Notch::current(withCutout("notch14"));
        HaloView view(glyphs);
        QCOMPARE(HaloView::frameFor(*notch), QRect(78, 0, 645, 128)); // hangs from the top around the housing
        view.setGeometry(HaloView::frameFor(*notch));

        view.apply(*notch, true, true, nullptr, false);
        QCOMPARE(view.shapeRect(), QRectF(322.5 - 126.5, 0, 253, 32));
        QCOMPARE(view.ringColor(), QColor::fromRgbF(0.2f, 0.84f, 0.4f)); // the camera's colour wins
        QCOMPARE(view.accessibleName(), QStringLiteral("Camera in use, Microphone in use"));

        const Banner banner = cameraBanner();
        view.apply(*notch, true, false, &banner, false);
        QCOMPARE(view.shapeRect(), QRectF(322.5 - 242.5, 0, 485, 86));
        QCOMPARE(view.ringColor(), QColor::fromRgbF(1.0f, 0.27f, 0.33f)); // the banner's colour
        QCOMPARE(view.accessibleName(), banner.title);
    }

    void anInterruptedChangeCarriesOnFromTheScreen()
    {
        HaloGlyphs glyphs;
        const auto notch = Notch::current(withCutout("notch14"));
        HaloView view(glyphs);
        view.setGeometry(HaloView::frameFor(*notch));
        view.apply(*notch, true, false, nullptr, false);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QRectF lit = view.shapeRect();
        QCOMPARE(view.onScreenShapeRect(), lit);

        QSignalSpy painted(&view, &HaloView::framePainted);
        const Banner banner = cameraBanner();
        view.apply(*notch, true, false, &banner, true);
        QCOMPARE(view.onScreenShapeRect(), lit); // it grows from what was there
        while (view.onScreenShapeRect().width() <= lit.width())
            QVERIFY(painted.wait());
        const QRectF midway = view.onScreenShapeRect();
        QVERIFY(midway.width() < view.shapeRect().width());

        // The banner ends half-way: the card shrinks back from where it got to.
        view.apply(*notch, true, false, nullptr, true);
        QCOMPARE(view.onScreenShapeRect(), midway);
        QVERIFY(view.isAnimating());
        QTRY_VERIFY(!view.isAnimating());
        QCOMPARE(view.onScreenShapeRect(), lit);
    }

    void theCardIsAtLeast420Wide_data()
    {
        QTest::addColumn<QString>("cutout");
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<double>("width");
        QTest::newRow("100 wide") << "island:100x30+0" << QRect(120, 0, 560, 126) << 420.0;
        QTest::newRow("200 wide") << "island:200x30+0" << QRect(70, 0, 660, 126) << 500.0;
        QTest::newRow("island, 8 below the top") << "island" << QRect(72, 0, 656, 138) << 496.0;
    }
    void theCardIsAtLeast420Wide()
    {
        QFETCH(QString, cutout);
        QFETCH(QRect, frame);
        QFETCH(double, width);
        HaloGlyphs glyphs;
        const auto notch = Notch::current(withCutout(cutout));
        QCOMPARE(HaloView::frameFor(*notch), frame);
        HaloView view(glyphs);
        view.setGeometry(frame);
        const Banner banner = cameraBanner();
        view.apply(*notch, false, false, &banner, false);
        QCOMPARE(view.shapeRect().width(), width);
        QCOMPARE(view.shapeRect().top(), notch->gap()); // the card's top follows the housing's
    }
};

int main(int argc, char **argv)
{
    // The same display everywhere, whatever the desktop.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestHaloGeometry test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_halo_geometry.moc"
