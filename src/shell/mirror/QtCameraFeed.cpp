#include "QtCameraFeed.h"

#include "Log.h"

#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

QtCameraFeed::QtCameraFeed(QObject *parent)
    : CameraFeed(parent)
{}

QtCameraFeed::~QtCameraFeed()
{
    stop();
}

void QtCameraFeed::start()
{
    if (m_camera)
        return;
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (device.isNull()) {
        qCInfo(lcCamera) << "the mirror found no camera to show";
        return;
    }
    if (!m_session) {
        m_session = std::make_unique<QMediaCaptureSession>();
        m_sink = std::make_unique<QVideoSink>();
        m_session->setVideoSink(m_sink.get());
        connect(m_sink.get(), &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &videoFrame) {
            if (m_camera && videoFrame.isValid())
                Q_EMIT frame(videoFrame.toImage());
        });
    }
    m_camera = std::make_unique<QCamera>(device);
    connect(m_camera.get(), &QCamera::errorOccurred, this, [this](QCamera::Error, const QString &text) {
        qCWarning(lcCamera).noquote() << "the mirror's camera failed:" << text;
        // The media backends word it; "busy" is how the kernel's EBUSY reads in all of them.
        if (text.contains(QLatin1String("busy"), Qt::CaseInsensitive))
            Q_EMIT busy();
    });
    m_session->setCamera(m_camera.get());
    m_camera->start();
}

void QtCameraFeed::stop()
{
    if (!m_camera)
        return;
    m_camera->stop();
    m_session->setCamera(nullptr);
    m_camera.reset();
}
