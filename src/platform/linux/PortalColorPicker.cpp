#include "PortalColorPicker.h"

#include "DBusCall.h"
#include "Log.h"

#include <QDBusArgument>
#include <QDBusVariant>

namespace {

const QString screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
// PickColor came with the interface's second version.
constexpr uint pickColorVersion = 2;
// The user takes their time to pick.
constexpr int pickTimeoutMs = 10 * 60 * 1000;

} // namespace

PortalColorPicker::PortalColorPicker(QDBusConnection session, QObject *parent)
    : ColorPicker(parent)
    , m_session(session)
    , m_request(std::move(session))
{}

void PortalColorPicker::probe()
{
    QDBusMessage get = DBusCall::method(PortalRequest::portal, PortalRequest::portalPath,
                                        QStringLiteral("org.freedesktop.DBus.Properties"),
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
    m_request.start(
        screenshot, QStringLiteral("PickColor"), {QString()}, {},
        [this](uint response, const QVariantMap &results) { answered(response, results); }, pickTimeoutMs);
}

void PortalColorPicker::answered(uint response, const QVariantMap &results)
{
    double rgb[3] = {0, 0, 0};
    bool chosen = false;
    // 1 is the user's cancel; anything else, the picker failed.
    if (response > 1) {
        if (results.contains(QStringLiteral("error")))
            qCWarning(lcTools).noquote() << "the portal's colour picker did not start:"
                                         << results.value(QStringLiteral("error")).toString();
        // A portal that claims a picker it cannot run offers none.
        setMissing(Missing::Service);
    }
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
    Q_EMIT picked(chosen, rgb[0], rgb[1], rgb[2]);
}
