#pragma once

#include "MicGuardRecords.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

class DefaultsStore;
class InputDeviceControl;
struct InputDevice;

// The microphone half of the privacy switch. While on, every audio input is
// muted and turned down to zero at the source, and kept that way: an input
// somebody turns up again is silenced again (and named through reapplied()),
// an input that appears is silenced at once. Before it first touches an input
// the guard records its mute and every channel's volume in the settings store,
// and turning off gives each input exactly those back, also after a run that
// was killed while on. The quiet microphone is never touched.
//
// Records of inputs that are not there stay until the input returns. A record
// is dropped only once the server has confirmed every value given back, so a
// refused or interrupted restore loses nothing. A refused write is tried again
// after a pause that grows with every refusal, never at once; a restore cut
// off by the input or the server going away is asked again as soon as the
// input is back.
class MicGuard : public QObject {
    Q_OBJECT
public:
    using Saved = MicGuardRecords::Saved;

    MicGuard(DefaultsStore &defaults, InputDeviceControl &inputs, QObject *parent = nullptr);

    bool isOn() const { return m_isOn; }
    // Records and silences every input, and keeps silencing; a second call does nothing.
    void turnOn();
    // Stops silencing, then gives back every recorded input that is present.
    void turnOff();
    // Gives back what a previous run left silenced, for the inputs present;
    // while the guard is off, inputs with a record are also given back as they appear.
    void restoreLeftovers();

    // The input's volume elements: its channels, counted from 1.
    static QList<quint32> volumeElements(const InputDevice &device);
    // Muted, or every volume at exactly zero.
    static bool isSilent(const InputDevice &device);

Q_SIGNALS:
    // Something turned the input up and the guard silenced it again (the
    // server took it).
    void reapplied(const QString &deviceName);
    // The server refused to silence the input, or to give its level back.
    // Said once per input until the guard is switched again.
    void silenceRefused(const QString &deviceName);
    void restoreRefused(const QString &deviceName);

private:
    // `announce`: say so through reapplied() once the server took it.
    void mute(const InputDevice &device, bool announce);
    void restore(const InputDevice &device, const Saved &saved);
    void finishRestore(const QString &uid, const QString &name, quint64 serial, bool ok);
    void forget(const QString &uid);
    void devicesChanged();
    void refused(const QString &uid, const QString &name, bool silencing);
    void reportRefusal(const QString &uid, const QString &name, bool silencing);
    bool isBackingOff(const QString &uid) const;
    void scheduleRetry();
    void clearRefusals();
    void retryRefused();

    DefaultsStore &m_defaults;
    InputDeviceControl &m_inputs;
    bool m_isOn = false;
    // Set while the guard itself writes, so its own changes are not taken
    // for somebody else's.
    bool m_applying = false;
    // Inputs silenced since the guard was turned on and still present.
    QSet<QString> m_watched;
    QSet<QString> m_refusalReported;
    // Restores in flight: input → serial, with how many writes are unconfirmed.
    struct Restore {
        quint64 serial = 0;
        int pending = 0;
        bool refused = false;
    };
    QHash<QString, Restore> m_restoring;
    quint64 m_restoreSerial = 0;
    // Inputs whose last write was refused, and when to try them again.
    struct Refusal {
        int attempts = 0;
        QDeadlineTimer retryAt;
    };
    QHash<QString, Refusal> m_refusals;
    QTimer m_retry;
};
