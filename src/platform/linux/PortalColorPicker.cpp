#include "PortalColorPicker.h"

#include "DBusCall.h"
#include "Log.h"

#include <QDBusArgument>
#include <QDBusVariant>

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString request = QStringLiteral("org.freedesktop.portal.Request");
// PickColor came with the interface's second version.
constexpr uint pickColorVersion = 2;
// The user takes their time to pick.
constexpr int pickTimeoutMs = 10 * 60 * 1000;

} // namespace

PortalColorPicker::PortalColorPicker(QDBusConnection session, QObject *parent)
    : ColorPicker(parent)
    , m_session(std::move(session))
{}

void PortalColorPicker::probe()
{
    QDBusMessage get = DBusCall::method(portal, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {screenshot, QStringLiteral("version")});
    // The portal starts on demand on most desktops.
    get.setAutoStartService(true);
    DBusCall::async(m_session, get, this, [this](const QDBusMessage &reply) {
        const uint version = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
        setMissing(reply.type() == QDBusMessage::ReplyMessage && version >= pickColorVersion
                       ? Missing::Nothing
                       : Missing::Service);
    });
}

void PortalColorPicker::pick()
{
    if (!m_requestPath.isEmpty())
        return; // one pick at a time
    const QString token = QStringLiteral("tarnwick%1").arg(++m_requests);
    QString sender = m_session.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_requestPath = portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    // Listening before asking: a fast portal may answer before the call returns.
    m_session.connect(portal, m_requestPath, request, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call = DBusCall::method(portal, portalPath, screenshot, QStringLiteral("PickColor"),
                                         {QString(), QVariantMap{{QStringLiteral("handle_token"), token}}});
    DBusCall::async(
        m_session, call, this,
        [this](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                qCWarning(lcTools).noquote()
                    << "the portal's colour picker did not start:" << reply.errorMessage();
                // A portal that claims a picker it cannot run offers none.
                setMissing(Missing::Service);
                finish(false);
            }
        },
        pickTimeoutMs);
}

void PortalColorPicker::onResponse(uint response, const QVariantMap &results)
{
    double rgb[3] = {0, 0, 0};
    bool chosen = false;
    // 1 is the user's cancel; anything else, the picker failed.
    if (response > 1)
        setMissing(Missing::Service);
    const QVariant color = results.value(QStringLiteral("color"));
    if (response == 0 && color.canConvert<QDBusArgument>()) {
        const auto argument = color.value<QDBusArgument>();
        if (argument.currentType() == QDBusArgument::StructureType) {
            argument.beginStructure();
            argument >> rgb[0] >> rgb[1] >> rgb[2];
            argument.endStructure();
            chosen = true;
        }
    }
    finish(chosen, rgb[0], rgb[1], rgb[2]);
}

void PortalColorPicker::finish(bool chosen, double red, double green, double blue)
{
    if (m_requestPath.isEmpty())
        return;
    m_session.disconnect(portal, m_requestPath, request, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
    m_requestPath.clear();
    Q_EMIT picked(chosen, red, green, blue);
}
