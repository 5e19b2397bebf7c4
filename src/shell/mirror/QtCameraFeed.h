#pragma once

#include "CameraFeed.h"

#include <memory>

class QCamera;
class QMediaCaptureSession;
class QVideoSink;

// The system's default camera through Qt Multimedia. Without a camera, or
// when it fails to start, no frame comes and the picture stays black. The
// media framework is woken only when there is a camera to start.
class QtCameraFeed : public CameraFeed {
    Q_OBJECT
public:
    explicit QtCameraFeed(QObject *parent = nullptr);
    ~QtCameraFeed() override;

    void start() override;
    void stop() override;

private:
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QCamera> m_camera;
};
