#include "SimCameraDeviceSource.h"

void SimCameraDeviceSource::open()
{
    ++m_openers;
    Q_EMIT runningChanged();
}

void SimCameraDeviceSource::close()
{
    if (m_openers > 0)
        --m_openers;
    Q_EMIT runningChanged();
}
