#pragma once

#include <QProcess>
#include <QStringList>

#include <optional>

// A helper program run by a test, killed when it goes out of scope. Reading its output keeps the event loop
// running, so the code under test goes on hearing about what the child does.
class ChildProcess {
public:
    ChildProcess(const QString &program, const QStringList &arguments,
                 const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~ChildProcess() { kill(); }

    // The next line the child prints, without its line end; empty when none
    // came within the time or the child ended.
    QByteArray nextLine(int timeoutMs = 10000);
    void writeLine(const QByteArray &line);
    // Closes its standard input and waits for it to exit.
    void finish();
    void kill();
    // A tool's standard output once it has exited well; nothing when it failed.
    static std::optional<QByteArray> output(const QString &program, const QStringList &arguments,
                                            const QProcessEnvironment &environment, int timeoutMs = 10000);

    qint32 pid() const { return qint32(m_process.processId()); }

private:
    QProcess m_process;
};
