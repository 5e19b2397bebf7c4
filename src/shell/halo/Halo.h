#pragma once

#include "Banner.h"
#include "HaloGlyphs.h"

#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QTimer>

#include <memory>
#include <optional>

class HaloView;
class Overlay;
struct Notch;

// The overlay around the housing that shows who uses the camera or a
// microphone, and announces things in a banner for a few seconds. The shell
// decides what is lit and which banner shows; the halo owns the window (which
// exists only while something shows or fades out), the banner timer and the
// drawing.
//
// Callers set camera(), mic() and suppressed() and then call render().
class Halo : public QObject {
    Q_OBJECT
public:
    explicit Halo(QProcessEnvironment env, QObject *parent = nullptr);
    ~Halo() override;

    // Shows `banner` at once, replacing any shown one, for its staySeconds().
    void announce(Banner banner);
    // Changes the shown banner's content but keeps its timer running, so it
    // ends when the first one would have. Nothing happens without a banner.
    void replaceBanner(Banner banner);
    void endBanner();
    // Brings the window in line with the lit sensors, the banner and suppression.
    void render(bool animated);
    // Rebuilds the window for a new arrangement of displays.
    void screensChanged();

    bool camera() const { return m_camera; }
    void setCamera(bool lit) { m_camera = lit; }
    bool mic() const { return m_mic; }
    void setMic(bool lit) { m_mic = lit; }
    // The hub panel is open: the halo hides, its banner timer keeps running.
    bool suppressed() const { return m_suppressed; }
    void setSuppressed(bool suppressed) { m_suppressed = suppressed; }

    const std::optional<Banner> &banner() const { return m_banner; }
    // The window while it exists, shown or fading out.
    HaloView *view() const { return m_view; }
    bool isVisible() const;

Q_SIGNALS:
    // The shape was clicked while a banner showed (not on one of its buttons).
    void clicked();

private:
    bool needed() const;
    void make(const Notch &notch);
    void drop();

    QProcessEnvironment m_env;
    HaloGlyphs m_glyphs;
    QPointer<HaloView> m_view;
    // How the window system shows m_view; lives as long as it does.
    std::unique_ptr<Overlay> m_overlay;
    bool m_camera = false;
    bool m_mic = false;
    bool m_suppressed = false;
    std::optional<Banner> m_banner;
    QTimer m_bannerTimer;
};
