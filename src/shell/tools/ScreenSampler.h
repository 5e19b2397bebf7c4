#pragma once

#include "ColorPicker.h"

#include <QColor>

#include <QList>
#include <QPointer>

#include <memory>

class SamplerWindow;

// Picks a colour with the desktop's own picker where it has one, else with
// Tarnwick's sampler over a picture of each screen (on X11, where a program
// may read the screen); also when the desktop's picker fails. Available
// while either is.
class ScreenSampler : public ColorPicker {
    Q_OBJECT
public:
    explicit ScreenSampler(std::unique_ptr<ColorPicker> desktopPicker = nullptr, QObject *parent = nullptr);
    ~ScreenSampler() override;

    void probe() override;
    void pick() override;

    // The sampler's windows while it shows.
    QList<SamplerWindow *> windows() const;

private:
    static bool canReadScreens();
    void update();
    void sample();
    void finish(bool chosen, const QColor &color = {});

    std::unique_ptr<ColorPicker> m_desktopPicker;
    QList<QPointer<SamplerWindow>> m_windows;
};
