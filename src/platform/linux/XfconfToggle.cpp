#include "XfconfToggle.h"

#include "DBusCall.h"
#include "Log.h"

namespace {

const QString xfconf = QStringLiteral("org.xfce.Xfconf");
const QString xfconfPath = QStringLiteral("/org/xfce/Xfconf");

} // namespace

XfconfToggle::XfconfToggle(QDBusConnection session, QString channel, QString property, QVariant on,
                           QVariant off, QObject *parent)
    : DesktopToggle(parent)
    , m_session(std::move(session))
    , m_channel(std::move(channel))
    , m_property(std::move(property))
    , m_on(std::move(on))
    , m_off(std::move(off))
{}

std::unique_ptr<XfconfToggle> XfconfToggle::desktopIconsHidden(QDBusConnection session)
{
    return std::make_unique<XfconfToggle>(std::move(session), QStringLiteral("xfce4-desktop"),
                                          QStringLiteral("/desktop-icons/style"), 0, 2);
}

std::unique_ptr<XfconfToggle> XfconfToggle::thunarHiddenFiles(QDBusConnection session)
{
    return std::make_unique<XfconfToggle>(std::move(session), QStringLiteral("thunar"),
                                          QStringLiteral("/last-show-hidden"), true, false);
}

void XfconfToggle::probe()
{
    if (!m_listening)
        m_listening = m_session.connect(xfconf, xfconfPath, xfconf, QStringLiteral("PropertyChanged"), this,
                                        SLOT(onPropertyChanged(QString, QString, QDBusVariant)));
    read([](bool) {});
}

void XfconfToggle::read(std::function<void(bool)> done)
{
    DBusCall::async(
        m_session,
        DBusCall::method(xfconf, xfconfPath, xfconf, QStringLiteral("GetProperty"), {m_channel, m_property}),
        this, [this, done = std::move(done)](const QDBusMessage &reply) {
            if (reply.type() == QDBusMessage::ReplyMessage) {
                take(reply.arguments().value(0).value<QDBusVariant>().variant());
            } else if (reply.errorName() == QLatin1String("org.xfce.Xfconf.Error.PropertyNotFound")) {
                take(m_off); // never set: the desktop's default
            } else {
                setMissing(Missing::Service);
                done(false);
                return;
            }
            done(true);
        });
}

void XfconfToggle::take(const QVariant &value)
{
    setMissing(Missing::Nothing);
    const bool on = value == m_on;
    if (!on && value.isValid())
        m_off = value; // what switching off gives back
    setState(on);
}

void XfconfToggle::onPropertyChanged(const QString &channel, const QString &property,
                                     const QDBusVariant &value)
{
    if (channel == m_channel && property == m_property)
        take(value.variant());
}

void XfconfToggle::setOn(bool on)
{
    DBusCall::async(
        m_session,
        DBusCall::method(xfconf, xfconfPath, xfconf, QStringLiteral("SetProperty"),
                         {m_channel, m_property, QVariant::fromValue(QDBusVariant(on ? m_on : m_off))}),
        this, [this, on](const QDBusMessage &reply) {
            const bool written = reply.type() == QDBusMessage::ReplyMessage;
            if (!written)
                qCWarning(lcTools).noquote()
                    << "xfconf did not take" << m_channel << m_property << reply.errorMessage();
            read(
                [this, on, written](bool answered) { Q_EMIT switched(written && answered && isOn() == on); });
        });
}
