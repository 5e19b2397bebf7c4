#include "SimAudioCaptureSource.h"

#include <algorithm>

void SimAudioCaptureSource::setCaptures(QList<AudioCapture> captures)
{
    std::sort(captures.begin(), captures.end(),
              [](const AudioCapture &a, const AudioCapture &b) { return a.id < b.id; });
    m_captures = std::move(captures);
    Q_EMIT capturesChanged();
}

void SimAudioCaptureSource::addCapture(const AudioCapture &capture)
{
    QList<AudioCapture> next = m_captures;
    next.append(capture);
    setCaptures(std::move(next));
}

void SimAudioCaptureSource::removeCapture(quint32 id)
{
    QList<AudioCapture> next = m_captures;
    next.removeIf([id](const AudioCapture &c) { return c.id == id; });
    setCaptures(std::move(next));
}
