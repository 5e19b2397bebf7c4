#include "ScreenSampler.h"

#include "Log.h"
#include "SamplerWindow.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

ScreenSampler::ScreenSampler(std::unique_ptr<ColorPicker> desktopPicker, QObject *parent)
    : ColorPicker(parent)
    , m_desktopPicker(std::move(desktopPicker))
{
    if (!m_desktopPicker)
        return;
    connect(m_desktopPicker.get(), &DesktopFacility::changed, this, &ScreenSampler::update);
    connect(m_desktopPicker.get(), &ColorPicker::picked, this,
            [this](bool chosen, double red, double green, double blue) {
                // The desktop's picker failed rather than the user cancelling: the own one takes over.
                if (!chosen && !m_desktopPicker->isAvailable() && canReadScreens())
                    sample();
                else
                    Q_EMIT picked(chosen, red, green, blue);
            });
}

ScreenSampler::~ScreenSampler()
{
    for (const QPointer<SamplerWindow> &window : std::as_const(m_windows))
        delete window.data();
}

bool ScreenSampler::canReadScreens()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && !QGuiApplication::screens().isEmpty();
}

void ScreenSampler::probe()
{
    if (m_desktopPicker)
        m_desktopPicker->probe();
    update();
}

void ScreenSampler::update()
{
    if (canReadScreens() || !m_desktopPicker)
        setMissing(canReadScreens() ? Missing::Nothing : Missing::Service);
    else
        setMissing(m_desktopPicker->missing());
}

void ScreenSampler::pick()
{
    if (!m_windows.isEmpty())
        return;
    if (m_desktopPicker && m_desktopPicker->isAvailable())
        m_desktopPicker->pick();
    else if (canReadScreens())
        sample();
    else
        Q_EMIT picked(false, 0, 0, 0);
}

QList<SamplerWindow *> ScreenSampler::windows() const
{
    QList<SamplerWindow *> shown;
    for (const QPointer<SamplerWindow> &window : m_windows) {
        if (window)
            shown.append(window);
    }
    return shown;
}

void ScreenSampler::sample()
{
    // Every screen is pictured before any sampler window covers it.
    QList<std::pair<QRect, QImage>> grabs;
    for (QScreen *screen : QGuiApplication::screens())
        grabs.append({screen->geometry(), screen->grabWindow(0).toImage()});
    for (const auto &[geometry, grab] : grabs) {
        auto *window = new SamplerWindow(geometry, grab);
        connect(window, &SamplerWindow::picked, this, [this](const QColor &color) { finish(true, color); });
        connect(window, &SamplerWindow::cancelled, this, [this] { finish(false); });
        m_windows.append(window);
        window->show();
    }
    qCInfo(lcTools) << "sampling a colour on" << grabs.size() << "screens";
}

void ScreenSampler::finish(bool chosen, const QColor &color)
{
    for (const QPointer<SamplerWindow> &window : std::exchange(m_windows, {})) {
        if (window) {
            window->releaseKeyboard();
            window->close();
        }
    }
    const QColor rgb = color.toRgb();
    Q_EMIT picked(chosen && rgb.isValid(), rgb.redF(), rgb.greenF(), rgb.blueF());
}
