#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C, a closing terminal) end the app
// through the event loop, so quitting gives the microphones back as a normal
// quit does. The handler only writes a byte; the notifier does the rest.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received(int signal);

private:
    static void handle(int signal);
    static int s_fds[2];
    QSocketNotifier *m_notifier = nullptr;
};
