#pragma once

#include "QuietMicDriver.h"

#include <QStringList>

// A quiet microphone held in memory, with the other inputs it can stand in for.
class SimQuietMicDriver : public QuietMicDriver {
    Q_OBJECT
public:
    using QuietMicDriver::QuietMicDriver;

    void start() override { ++startCalls; }
    bool isAvailable() const override { return m_available; }
    bool isInstalled() const override { return m_installed; }
    void install(Finished finished) override;
    QuietMicProblem remove() override;
    bool hasInput(const QString &inputUid) const override;
    QString defaultInput() const override { return m_default; }
    bool setDefaultInput(const QString &inputUid) override;
    void setNoise(bool on) override { noise = on; }

    void setAvailable(bool available);
    // What the user does in the sound settings.
    void chooseDefaultInput(const QString &inputUid);
    // The server lists a quiet microphone it took only now (after listsLater).
    void listNow();

    QStringList inputs; // the other inputs
    QuietMicProblem installProblem;
    QuietMicProblem removeProblem;
    bool listsLater = false;
    bool noise = false;
    int startCalls = 0;

private:
    bool m_available = true;
    bool m_installed = false;
    QString m_default;
};
