#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThreadPool>

#include <functional>

// Writes a file atomically on a worker thread, so neither encoding a large
// file nor a slow disk stalls the main thread. Writes happen one at a time and
// in order; contents superseded before their turn are skipped, the newest
// always lands.
// A failure is logged and handed to `onFailure` once per run of failures; the
// file on disk then keeps its previous content.
class BackgroundFileWriter {
public:
    // Runs on the worker thread, with why the write failed.
    using FailureHandler = std::function<void(const QString &problem)>;

    // `what` names the content in log lines, e.g. "the history".
    BackgroundFileWriter(QString filePath, QString what, FailureHandler onFailure = {});
    ~BackgroundFileWriter(); // waits for the last write

    // `contents` runs on the worker: it must own what it encodes (a copy of an
    // implicitly shared value costs the caller next to nothing).
    void write(std::function<QByteArray()> contents);
    // Blocks until every write asked for so far is done.
    void flush();
    // Whether the last write that finished succeeded.
    bool lastWriteSucceeded() const;

private:
    void drain();

    const QString m_path;
    const QString m_what;
    const FailureHandler m_onFailure;
    mutable QMutex m_mutex;
    std::function<QByteArray()> m_pending; // guarded by m_mutex
    bool m_draining = false;               // guarded by m_mutex
    bool m_failing = false;                // guarded by m_mutex
    QThreadPool m_worker;
};
