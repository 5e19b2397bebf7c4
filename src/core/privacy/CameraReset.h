#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QSet>

#include <memory>

class CameraPermissionStore;

// The camera half of the privacy switch: takes camera access from every app
// but the kept ones, on a worker thread (the permission store answers over
// D-Bus and may be slow). The result comes back on the main thread.
class CameraReset : public QObject {
    Q_OBJECT
public:
    // Shared with the worker, which may outlive this object.
    explicit CameraReset(std::shared_ptr<CameraPermissionStore> store, QObject *parent = nullptr);

    void takeAccessFromAllBut(const QSet<QString> &keep);

Q_SIGNALS:
    // The permission store could not be reached: nothing was taken away.
    void storeMissing();

private:
    struct Outcome {
        bool storeAvailable = false;
        int asked = 0;
        int succeeded = 0;
    };
    void finished();

    std::shared_ptr<CameraPermissionStore> m_store;
    QFutureWatcher<Outcome> m_run;
};
