#pragma once

#include "AppInfo.h"
#include "Appcast.h"
#include "Clock.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

class DefaultsStore;
class QNetworkReply;

// Asks the update feed compiled into the build whether a newer Tarnwick
// exists: over HTTPS only, never following a redirect to another host,
// never downloading or installing anything (the system's package manager
// does that). Checks by itself at most once a day, on one single-shot
// timer, and when the user asks. A feed that is unreachable, slow or
// damaged costs one log line and blocks nothing.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Result {
        enum class Kind { UpToDate, NewerVersion, Failed };
        Kind kind = Kind::Failed;
        Appcast::Release newest; // when the feed was read
        QString problem;         // when it failed
    };

    // When the last check began, in the settings.
    static constexpr char lastCheckKey[] = "orvane.lastUpdateCheck";

    UpdateCheck(AppInfo info, DefaultsStore &defaults, QObject *parent = nullptr);
    ~UpdateCheck() override;

    // False without a feed address, or with one that is not https.
    bool hasFeed() const { return m_feed.isValid(); }
    // Daily checks from now on; the first once a day has passed since the last.
    void start();
    // The user asked: at once, unless a check is under way.
    void checkNow();
    bool isChecking() const { return !m_reply.isNull(); }
    // Until the next check by itself; negative when none is planned.
    std::chrono::milliseconds nextCheckIn() const { return m_timer.remainingTimeAsDuration(); }

    // For tests: a private certificate authority, and time moved by hand.
    void setSslConfiguration(const QSslConfiguration &configuration) { m_ssl = configuration; }
    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    void finished(const UpdateCheck::Result &result);

private:
    void scheduleNext();
    void done(QNetworkReply *reply);

    AppInfo m_info;
    DefaultsStore &m_defaults;
    QUrl m_feed;
    QNetworkAccessManager m_network;
    QSslConfiguration m_ssl = QSslConfiguration::defaultConfiguration();
    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    QString m_refused;
    bool m_started = false;
    Clock m_clock = systemClock();
};
