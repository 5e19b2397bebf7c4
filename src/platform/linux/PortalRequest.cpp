#include "PortalRequest.h"

#include "DBusCall.h"

namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint failed = 2;

} // namespace

const QString PortalRequest::portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalRequest::portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

PortalRequest::PortalRequest(QDBusConnection session, QObject *parent)
    : QObject(parent)
    , m_session(std::move(session))
{}

void PortalRequest::start(const QString &interface, const QString &method, const QVariantList &arguments,
                          QVariantMap options, Answer answer, int timeoutMs)
{
    if (isRunning())
        return;
    const QString token = QStringLiteral("tarnwick%1").arg(++m_requests);
    QString sender = m_session.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_path = portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    m_answer = std::move(answer);
    m_session.connect(portal, m_path, requestInterface, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call =
        DBusCall::method(portal, portalPath, interface, method, QVariantList(arguments) << options);
    DBusCall::async(
        m_session, call, this,
        [this](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage)
                onResponse(failed, {{QStringLiteral("error"), reply.errorMessage()}});
        },
        timeoutMs);
}

void PortalRequest::onResponse(uint response, const QVariantMap &results)
{
    if (!isRunning())
        return;
    m_session.disconnect(portal, m_path, requestInterface, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
    m_path.clear();
    const Answer answer = std::exchange(m_answer, {});
    answer(response, results);
}
