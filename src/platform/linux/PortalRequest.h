#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

// One call to a desktop portal method that answers later through a request
// object's Response signal. The object's path is known before asking, so the
// answer is listened for before the call goes out.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    // 0 granted or done, 1 cancelled by the user, 2 anything else (also when
    // the call itself fails).
    using Answer = std::function<void(uint response, const QVariantMap &results)>;

    explicit PortalRequest(QDBusConnection session, QObject *parent = nullptr);

    bool isRunning() const { return !m_path.isEmpty(); }
    // Calls `method` of `interface` with `arguments` followed by the options
    // (a handle token added). Does nothing while a request runs.
    void start(const QString &interface, const QString &method, const QVariantList &arguments,
               QVariantMap options, Answer answer, int timeoutMs);

    static const QString portal;
    static const QString portalPath;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    QDBusConnection m_session;
    QString m_path;
    Answer m_answer;
    int m_requests = 0;
};
