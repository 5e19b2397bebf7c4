#include "InhibitorKeepAwake.h"

#include "DBusCall.h"
#include "Log.h"

namespace {

const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString logind = QStringLiteral("org.freedesktop.login1");

} // namespace

InhibitorKeepAwake::InhibitorKeepAwake(QDBusConnection session, QDBusConnection system, QString who,
                                       QString why, QObject *parent)
    : DesktopToggle(parent)
    , m_session(std::move(session))
    , m_system(std::move(system))
    , m_who(std::move(who))
    , m_why(std::move(why))
{}

InhibitorKeepAwake::~InhibitorKeepAwake()
{
    release();
}

void InhibitorKeepAwake::probe()
{
    auto answers = std::make_shared<int>(0);
    auto found = std::make_shared<bool>(false);
    const auto answered = [this, answers, found](bool owned) {
        *found = *found || owned;
        if (++*answers == 2)
            setMissing(*found ? Missing::Nothing : Missing::Service);
    };
    DBusCall::hasOwner(m_session, screenSaver, this, answered);
    DBusCall::hasOwner(m_system, logind, this, answered);
}

void InhibitorKeepAwake::setOn(bool on)
{
    m_wanted = on;
    if (!on) {
        release();
        setState(false);
        Q_EMIT switched(true);
    } else if (isOn()) {
        Q_EMIT switched(true);
    } else if (!m_taking) {
        take();
    }
}

void InhibitorKeepAwake::take()
{
    m_taking = true;
    auto answers = std::make_shared<int>(0);
    const auto answered = [this, answers] {
        if (++*answers < 2)
            return;
        m_taking = false;
        if (!m_wanted) {
            // Turned off while the desktop was still answering.
            release();
            return;
        }
        const bool held = m_cookie != 0 || m_inhibitor.isValid();
        if (!held)
            qCWarning(lcTools)
                << "neither the screen saver nor logind granted a hold; the computer may sleep";
        setState(held);
        Q_EMIT switched(held);
    };
    DBusCall::async(m_session,
                    DBusCall::method(screenSaver, screenSaverPath, screenSaver, QStringLiteral("Inhibit"),
                                     {m_who, m_why}),
                    this, [this, answered](const QDBusMessage &reply) {
                        if (reply.type() == QDBusMessage::ReplyMessage)
                            m_cookie = reply.arguments().value(0).toUInt();
                        answered();
                    });
    DBusCall::async(m_system,
                    DBusCall::method(logind, QStringLiteral("/org/freedesktop/login1"),
                                     QStringLiteral("org.freedesktop.login1.Manager"),
                                     QStringLiteral("Inhibit"),
                                     {QStringLiteral("idle:sleep"), m_who, m_why, QStringLiteral("block")}),
                    this, [this, answered](const QDBusMessage &reply) {
                        if (reply.type() == QDBusMessage::ReplyMessage)
                            m_inhibitor = reply.arguments().value(0).value<QDBusUnixFileDescriptor>();
                        else
                            qCInfo(lcTools).noquote() << "logind holds no inhibitor:" << reply.errorMessage();
                        answered();
                    });
}

void InhibitorKeepAwake::release()
{
    if (m_cookie != 0) {
        m_session.call(DBusCall::method(screenSaver, screenSaverPath, screenSaver,
                                        QStringLiteral("UnInhibit"), {m_cookie}),
                       QDBus::NoBlock);
        m_cookie = 0;
    }
    // Closing our copy of the descriptor ends logind's inhibitor.
    m_inhibitor = QDBusUnixFileDescriptor();
}
