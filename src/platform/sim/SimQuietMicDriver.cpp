#include "SimQuietMicDriver.h"

void SimQuietMicDriver::install(Finished finished)
{
    if (!installProblem.failed() && !listsLater && !m_installed) {
        m_installed = true;
        Q_EMIT changed();
    }
    finished(installProblem);
}

QuietMicProblem SimQuietMicDriver::remove()
{
    noise = false;
    if (m_installed) {
        m_installed = false;
        if (m_default == QLatin1String(uid))
            m_default.clear();
        Q_EMIT changed();
    }
    return removeProblem;
}

bool SimQuietMicDriver::hasInput(const QString &inputUid) const
{
    return inputs.contains(inputUid) || (m_installed && inputUid == QLatin1String(uid));
}

bool SimQuietMicDriver::setDefaultInput(const QString &inputUid)
{
    if (!m_available || !hasInput(inputUid))
        return false;
    chooseDefaultInput(inputUid);
    return true;
}

void SimQuietMicDriver::chooseDefaultInput(const QString &inputUid)
{
    if (m_default == inputUid)
        return;
    m_default = inputUid;
    Q_EMIT changed();
}

void SimQuietMicDriver::setAvailable(bool available)
{
    if (m_available == available)
        return;
    m_available = available;
    Q_EMIT changed();
}

void SimQuietMicDriver::listNow()
{
    if (m_installed)
        return;
    m_installed = true;
    Q_EMIT changed();
}
