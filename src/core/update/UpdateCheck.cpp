#include "UpdateCheck.h"

#include "DefaultsStore.h"
#include "FirstCheck.h"
#include "Log.h"
#include "StoredDate.h"

#include <QNetworkReply>
#include <QUrlQuery>

namespace {
constexpr qint64 dayMs = 24 * 60 * 60 * 1000;
constexpr int transferTimeoutMs = 30000;
// An appcast is a few kilobytes; more is not one.
constexpr qint64 maxFeedBytes = 1 << 20;
} // namespace

UpdateCheck::UpdateCheck(AppInfo info, DefaultsStore &defaults, QObject *parent)
    : QObject(parent)
    , m_info(std::move(info))
    , m_defaults(defaults)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UpdateCheck::checkNow);
    if (m_info.feedUrl.isEmpty())
        return;
    const QUrl feed(m_info.feedUrl);
    if (feed.scheme() == QLatin1String("https") && !feed.host().isEmpty())
        m_feed = feed;
    else
        qCWarning(lcUpdate).noquote() << "the update feed" << m_info.feedUrl
                                      << "is not an https address; Tarnwick does not check for updates";
}

UpdateCheck::~UpdateCheck()
{
    // Ending here, without a result for anyone.
    if (QNetworkReply *reply = m_reply.data()) {
        reply->disconnect(this);
        reply->abort();
    }
}

void UpdateCheck::start()
{
    m_started = true;
    scheduleNext();
}

void UpdateCheck::scheduleNext()
{
    if (!hasFeed() || !m_started || isChecking())
        return;
    const std::optional<QDateTime> last = StoredDate::read(m_defaults.value(QLatin1String(lastCheckKey)));
    // A last check in the future (the clock was put back) still waits no more than a day.
    const qint64 wait = last ? std::clamp(m_clock().msecsTo(last->addMSecs(dayMs)), qint64(0), dayMs) : 0;
    m_timer.start(std::chrono::milliseconds(wait));
}

void UpdateCheck::checkNow()
{
    if (!hasFeed() || isChecking())
        return;
    m_timer.stop();
    m_defaults.setValue(QLatin1String(lastCheckKey), StoredDate::seconds(m_clock()));
    QUrl url = m_feed;
    QUrlQuery query(url);
    for (const auto &[key, value] : FirstCheck::parameters(m_info.countsFirstCheck, m_defaults))
        query.addQueryItem(key, value);
    url.setQuery(query);

    QNetworkRequest request(url);
    request.setSslConfiguration(m_ssl);
    request.setTransferTimeout(transferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    m_refused.clear();
    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl &target) {
        if (target.scheme() == QLatin1String("https") && target.host() == m_feed.host()) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        m_refused = QStringLiteral("refused a redirect to %1, another host or not https")
                        .arg(target.toDisplayString(QUrl::RemoveQuery));
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received <= maxFeedBytes)
            return;
        m_refused = QStringLiteral("more than %1 bytes, not an update feed").arg(maxFeedBytes);
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { done(reply); });
}

void UpdateCheck::done(QNetworkReply *reply)
{
    reply->deleteLater();
    m_reply.clear();
    Result result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_refused.isEmpty())
        result.problem = m_refused;
    else if (status != 0 && status != 200)
        result.problem = QStringLiteral("the server answered %1").arg(status);
    else if (reply->error() != QNetworkReply::NoError)
        result.problem = reply->errorString();
    std::optional<Appcast::Release> newest;
    if (result.problem.isEmpty())
        newest = Appcast::newest(reply->readAll(), &result.problem);
    if (newest) {
        // Only a feed that was read counts as the first check answered.
        if (m_info.countsFirstCheck)
            FirstCheck::markSent(m_defaults);
        result.newest = *newest;
        result.kind = Appcast::compareVersions(newest->version, m_info.version) > 0
                          ? Result::Kind::NewerVersion
                          : Result::Kind::UpToDate;
    } else {
        qCWarning(lcUpdate).noquote().nospace()
            << "update check of " << m_feed.toDisplayString() << " failed: " << result.problem;
    }
    scheduleNext();
    Q_EMIT finished(result);
}
