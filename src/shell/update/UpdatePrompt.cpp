#include "UpdatePrompt.h"

#include "Text.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

UpdatePrompt::UpdatePrompt(const AppInfo &info, DefaultsStore &defaults, Note note, QObject *parent)
    : QObject(parent)
    , m_check(info, defaults)
    , m_note(std::move(note))
    , m_version(info.version)
{
    connect(&m_check, &UpdateCheck::finished, this, &UpdatePrompt::finished);
}

void UpdatePrompt::start()
{
    m_check.start();
}

void UpdatePrompt::checkForUpdates()
{
    if (!m_check.hasFeed()) {
        auto *answer =
            new QMessageBox(QMessageBox::Information, Text::tr("Check for Updates…"),
                            Text::tr("Updates for Tarnwick come from your system’s package manager."));
        answer->setAttribute(Qt::WA_DeleteOnClose);
        answer->show();
        return;
    }
    // A check under way answers this request too.
    m_asked = true;
    m_check.checkNow();
}

void UpdatePrompt::finished(const UpdateCheck::Result &result)
{
    const bool asked = std::exchange(m_asked, false);
    const QString newer = cleanName(result.newest.displayVersion);
    const bool available = result.kind == UpdateCheck::Result::Kind::NewerVersion;
    if (!asked) {
        // Checks nobody asked for speak only when there is news.
        if (available)
            m_note(Text::tr("Tarnwick %1 is available").arg(newer));
        return;
    }
    auto *answer = new QMessageBox(QMessageBox::Information, Text::tr("Check for Updates…"), QString());
    answer->setAttribute(Qt::WA_DeleteOnClose);
    if (available) {
        answer->setText(Text::tr("Tarnwick %1 is available. You have %2; your package manager installs the "
                                 "update.")
                            .arg(newer, m_version));
        QPushButton *page = answer->addButton(Text::tr("Open Release Page"), QMessageBox::ActionRole);
        const QUrl url = result.newest.page;
        connect(page, &QPushButton::clicked, answer, [url] { QDesktopServices::openUrl(url); });
        answer->addButton(QMessageBox::Close);
    } else if (result.kind == UpdateCheck::Result::Kind::UpToDate) {
        answer->setText(Text::tr("Tarnwick %1 is the newest version.").arg(m_version));
    } else {
        answer->setIcon(QMessageBox::Warning);
        answer->setText(
            Text::tr("Tarnwick could not find out whether a newer version exists. Try again later."));
    }
    answer->show();
}
