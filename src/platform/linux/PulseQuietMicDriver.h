#pragma once

#include "PulseNoiseStream.h"
#include "PulseOperations.h"
#include "QuietMicDriver.h"
#include "QuietMicPersistence.h"

#include <QList>
#include <QSet>

class PulseConnection;

// The quiet microphone made of the audio server's own modules: a silent
// output that Tarnwick plays soft white noise into, and an input remapped
// from what that output plays. It needs no administrator rights. Runs on the
// shared connection; reads the server's state afresh whenever its default
// input, its inputs or its outputs change.
class PulseQuietMicDriver : public QuietMicDriver {
    Q_OBJECT
public:
    // The quiet microphone is kept for later starts of the server where the
    // running server reads its configuration; `configHome`, the user's
    // configuration folder, is used when that server's process cannot be seen.
    PulseQuietMicDriver(PulseConnection &connection, QString configHome, QObject *parent = nullptr);
    ~PulseQuietMicDriver() override;

    void start() override;
    bool isAvailable() const override { return m_available; }
    bool isInstalled() const override { return hasInput(QLatin1String(uid)); }
    void install(Finished finished) override;
    QuietMicProblem remove() override;
    bool hasInput(const QString &inputUid) const override { return m_state.inputs.contains(inputUid); }
    QString defaultInput() const override { return m_state.defaultInput; }
    bool setDefaultInput(const QString &inputUid) override;
    void setNoise(bool on) override;

    // The server is PipeWire's pulse server rather than PulseAudio.
    bool isPipeWire() const;
    bool isNoisePlaying() const { return m_noise.isPlaying(); }

private:
    struct State {
        QString serverName;
        QString defaultInput;
        QSet<QString> inputs; // every source but monitors
        bool sinkPresent = false;
        quint32 sinkRate = 0;
        friend bool operator==(const State &, const State &) = default;
    };
    struct Call;

    void requestRead();
    void read();
    void listAnswered();
    void onLost();
    void loadModule(const QuietMicPersistence::Module &module,
                    std::function<void(const QuietMicProblem &problem)> done);
    void loadInput();
    void finishInstall(const QuietMicProblem &problem);
    void unloadModules();
    void updateNoise();
    QuietMicPersistence persistence() const;

    PulseConnection &m_connection;
    QString m_configHome;
    PulseNoiseStream m_noise;
    PulseOperations m_operations;
    State m_state;
    State m_next; // what the read in flight has gathered
    int m_unansweredLists = 0;
    bool m_started = false;
    bool m_available = false;
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_noiseWanted = false;
    int m_unconfirmedDefaults = 0;
    QList<Finished> m_installing;
};
