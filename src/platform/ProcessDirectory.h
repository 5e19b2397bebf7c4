#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// An application the user would recognise, found for a process.
struct RunningApp {
    qint32 pid = 0;
    QString name;                // the desktop entry's Name, localised
    QString appId;               // desktop-file id or sandbox app id; empty when none
    bool backgroundOnly = false; // no window and no desktop entry of its own
    QString icon = {};           // the desktop entry's Icon (theme name or absolute path); may be empty
    QStringList categories = {}; // the desktop entry's Categories
    friend bool operator==(const RunningApp &, const RunningApp &) = default;
};

// Processes and the applications they belong to. Thread-safe: attribution
// uses it from a worker thread.
class ProcessDirectory {
public:
    virtual ~ProcessDirectory() = default;
    virtual std::optional<RunningApp> runningApp(qint32 pid) const = 0;
    // The application a sandboxed client belongs to, by its app id.
    virtual std::optional<RunningApp> runningAppById(const QString &appId) const = 0;
    // The process held responsible for `pid` (the app that launched a
    // helper); `pid` itself when none is known.
    virtual qint32 responsible(qint32 pid) const = 0;
    virtual std::optional<qint32> parent(qint32 pid) const = 0;
    virtual QList<qint32> allPIDs() const = 0;
    // The process's own name; empty when it cannot be read.
    virtual QString processName(qint32 pid) const = 0;
    virtual bool isRunning(qint32 pid) const = 0;
    // Whether process `pid` runs the program named `program` (a path or a
    // file name): how a pid another process merely claims is checked.
    virtual bool runsProgram(qint32 pid, const QString &program) const = 0;
    // When the process started, in a unit of the directory's own; a pid reused
    // by a new process gives another value. Nothing when it is not running.
    virtual std::optional<quint64> startTime(qint32 pid) const = 0;
};
