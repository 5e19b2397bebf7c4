#pragma once

#include "CameraDeviceSource.h"

// A camera that runs while anybody holds it open. Every open and close is
// announced, as a device node's open and close events are.
class SimCameraDeviceSource : public CameraDeviceSource {
    Q_OBJECT
public:
    using CameraDeviceSource::CameraDeviceSource;

    void start() override { ++startCalls; }
    bool isAnyCameraRunning() const override { return m_openers > 0; }

    void open();
    void close();
    // Announces a change without one, as coalesced events can.
    void announce() { Q_EMIT runningChanged(); }

    int startCalls = 0;

private:
    int m_openers = 0;
};
