#include "Snapshots.h"

#include "Banner.h"
#include "HaloGlyphs.h"
#include "HaloView.h"
#include "Notch.h"
#include "Report.h"
#include "Text.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>

#include <optional>

namespace Snapshots {

namespace {

struct HaloScene {
    const char *name;
    bool camera;
    bool mic;
    std::optional<Banner> banner;
    QString fakeCutout; // empty: the run's own cutout
};

// The sample apps' banners, worded as the shell words them.
Banner sampleBanner(const QString &appId, const QString &symbol, const SrgbColor &color, const QString &title,
                    const QString &subtitle, QList<Banner::Action> actions = {})
{
    Banner banner;
    banner.icon = appId;
    banner.symbol = symbol;
    banner.color = color;
    banner.title = title;
    banner.subtitle = subtitle;
    banner.actions = std::move(actions);
    return banner;
}

Banner cameraBanner()
{
    return sampleBanner(QStringLiteral("us.zoom.xos"), QStringLiteral("video.fill"), HaloColor::camera,
                        L("%@ is using the camera", QStringLiteral("Zoom")),
                        L("Click to see or turn it off"));
}

Banner blockedBanner()
{
    return sampleBanner(QStringLiteral("com.google.Chrome"), QStringLiteral("video.fill"), HaloColor::blocked,
                        L("%@ is using the camera", QStringLiteral("Google Chrome")),
                        L("Even though you switched it off — quit it to stop it"),
                        {{L("Quit %@", QStringLiteral("Google Chrome")), {}}, {L("Allow"), {}}});
}

Banner micBanner()
{
    return sampleBanner(QStringLiteral("com.apple.VoiceMemos"), QStringLiteral("mic.fill"), HaloColor::mic,
                        L("%@ is using the microphone", QStringLiteral("Voice Memos")),
                        L("It hears silence — the microphone is off"));
}

// A picked colour's note.
Banner noteBanner()
{
    Banner banner = sampleBanner(QString(), QStringLiteral("checkmark.circle.fill"), HaloColor::note,
                                 L("Copied #F58C29"), L("Paste it anywhere"));
    banner.swatch = SrgbColor{0.96, 0.55, 0.16};
    banner.seconds = 2.5;
    return banner;
}

// A plain desktop with a menu bar, so the glow has something to glow over.
void paintBackdrop(QPainter &painter, const QRect &area, double menuBarHeight)
{
    QLinearGradient desktop(area.topLeft(), area.bottomLeft());
    desktop.setColorAt(0, QColor(0x5b, 0x6e, 0x86));
    desktop.setColorAt(1, QColor(0x3a, 0x47, 0x5a));
    painter.fillRect(area, desktop);
    painter.fillRect(QRectF(area.left(), area.top(), area.width(), menuBarHeight),
                     QColor(236, 238, 242, 220));
}

QImage capture(HaloView &view, double menuBarHeight)
{
    const qreal scale = 2;
    QImage image(view.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    paintBackdrop(painter, view.rect(), menuBarHeight);
    view.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
    return image;
}

} // namespace

int run(Report &report, const QString &folder, QProcessEnvironment env)
{
    const QString fakeKey = QStringLiteral("TARNWICK_FAKE_CUTOUT");
    if (!env.contains(fakeKey))
        env.insert(fakeKey, QStringLiteral("notch14"));
    report.check(QDir().mkpath(folder),
                 QStringLiteral("the snapshot folder exists (") + folder + QLatin1Char(')'));

    const std::vector<HaloScene> scenes{
        {"halo-banner-camera", true, false, cameraBanner(), {}},
        {"halo-banner-blocked", true, false, blockedBanner(), {}},
        {"halo-camera", true, false, std::nullopt, {}},
        {"halo-mic", false, true, std::nullopt, {}},
        {"halo-camera-mic", true, true, std::nullopt, {}},
        {"halo-banner-mic", false, true, micBanner(), {}},
        {"halo-note", false, false, noteBanner(), {}},
        {"halo-island-mic", false, true, std::nullopt, QStringLiteral("island")},
        {"halo-island-banner", true, false, cameraBanner(), QStringLiteral("island")},
    };
    HaloGlyphs glyphs;
    for (const HaloScene &scene : scenes) {
        const QString name = QString::fromLatin1(scene.name);
        QProcessEnvironment sceneEnv = env;
        if (!scene.fakeCutout.isEmpty())
            sceneEnv.insert(fakeKey, scene.fakeCutout);
        const std::optional<Notch> notch = Notch::current(sceneEnv);
        if (!notch) {
            report.line(name + QStringLiteral(": nothing to capture"));
            continue;
        }
        HaloView view(glyphs);
        view.setGeometry(HaloView::frameFor(*notch));
        view.apply(*notch, scene.camera, scene.mic, scene.banner ? &*scene.banner : nullptr, false);
        const double menuBar = std::max(24.0, notch->cutout.rect().bottom() - notch->screenTop());
        const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
        const QImage image = capture(view, menuBar);
        report.check(!image.isNull() && image.save(file, "PNG"),
                     name + QStringLiteral(".png (") + QString::number(view.width()) + QLatin1Char('x') +
                         QString::number(view.height()) + QStringLiteral(", ") +
                         Cutout::kindText(notch->cutout.kind()) + QLatin1Char(')'));
    }

    // Windows that are not part of this build yet.
    for (const char *section : {"privacy", "mirror", "shelf", "tools", "quit", "apps"}) {
        for (const char *look : {"light", "dark"})
            report.line(QString::fromLatin1(section) + QLatin1Char('-') + QString::fromLatin1(look) +
                        QStringLiteral(": nothing to capture"));
    }
    for (const char *window : {"welcome", "settings", "history"})
        report.line(QString::fromLatin1(window) + QStringLiteral(": nothing to capture"));
    return report.finish();
}

} // namespace Snapshots
