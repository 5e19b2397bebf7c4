#pragma once

#include "AudioCaptureSource.h"

// Capture streams set by hand; every change is announced like a server event.
class SimAudioCaptureSource : public AudioCaptureSource {
    Q_OBJECT
public:
    using AudioCaptureSource::AudioCaptureSource;

    void start() override { ++startCalls; }
    QList<AudioCapture> captures() const override { return m_captures; }

    // Replaces every stream (kept ascending by id) and announces the change.
    void setCaptures(QList<AudioCapture> captures);
    void addCapture(const AudioCapture &capture);
    void removeCapture(quint32 id);

    int startCalls = 0;

private:
    QList<AudioCapture> m_captures;
};
