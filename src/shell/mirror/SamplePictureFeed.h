#pragma once

#include "CameraFeed.h"

#include <QTimer>

// A made-up camera for demonstrations and tests: a figure against a soft
// background that sways, with a red mark at the picture's left edge, so a
// mirrored picture can be told from a plain one. 30 frames a second while
// started; the first frame comes at once.
class SamplePictureFeed : public CameraFeed {
    Q_OBJECT
public:
    static constexpr QSize size{640, 360};

    explicit SamplePictureFeed(QObject *parent = nullptr);

    void start() override;
    void stop() override;
    bool isRunning() const { return m_timer.isActive(); }

private:
    void next();

    QTimer m_timer;
    int m_frame = 0;
};
