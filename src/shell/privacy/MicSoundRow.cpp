#include "MicSoundRow.h"

#include "HubStyle.h"
#include "PrivacySwitch.h"
#include "Text.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

namespace {

// One half of a two-part choice; `leading` rounds the outer corners on the left.
QToolButton *segment(const QString &text, bool leading)
{
    auto *button = new QToolButton;
    button->setText(text);
    button->setCheckable(true);
    button->setCursor(Qt::PointingHandCursor);
    const QString corners =
        leading ? QStringLiteral("border-top-left-radius: 6px; border-bottom-left-radius: 6px;")
                : QStringLiteral("border-top-right-radius: 6px; border-bottom-right-radius: 6px;");
    button->setStyleSheet(
        QStringLiteral("QToolButton { color: white; background: rgba(255,255,255,22); border: none;"
                       " padding: 3px 10px; %1 }"
                       "QToolButton:checked { background: rgba(255,255,255,70); }")
            .arg(corners));
    return button;
}

} // namespace

MicSoundRow::MicSoundRow(PrivacySwitch &privacy, Panel panel, QWidget *parent)
    : QWidget(parent)
    , m_privacy(privacy)
    , m_panel(std::move(panel))
    , m_silence(segment(Text::tr("Silence"), true))
    , m_whiteNoise(segment(Text::tr("White Noise"), false))
    , m_install(new QPushButton)
{
    setFont(HubStyle::font(font(), 11));
    auto *label = new QLabel(Text::tr("Muted, calls hear"));
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(m_silence);
    group->addButton(m_whiteNoise);
    const QString help = Text::tr("White noise lets a call hear that you’re there, just muted.");
    m_silence->setToolTip(help);
    m_whiteNoise->setToolTip(help);
    connect(m_silence, &QAbstractButton::clicked, this,
            [this] { m_privacy.setMicSound(PrivacySwitch::MicSound::Silence); });
    connect(m_whiteNoise, &QAbstractButton::clicked, this,
            [this] { m_privacy.setMicSound(PrivacySwitch::MicSound::WhiteNoise); });

    m_install->setStyleSheet(HubStyle::buttonSheet());
    m_install->setCursor(Qt::PointingHandCursor);
    // No password is asked for on this system: the quiet microphone is the
    // user's own audio setting.
    m_install->setToolTip(Text::tr("Adds Tarnwick’s quiet microphone."));
    connect(m_install, &QPushButton::clicked, this, &MicSoundRow::install);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(label);
    row->addSpacing(8);
    row->addWidget(m_silence);
    row->addSpacing(1);
    row->addWidget(m_whiteNoise);
    row->addSpacing(8);
    row->addWidget(m_install);
    row->addStretch(1);

    connect(&m_privacy, &PrivacySwitch::micSoundChanged, this, &MicSoundRow::refresh);
    connect(&m_privacy, &PrivacySwitch::quietMicInstalledChanged, this, &MicSoundRow::refresh);
    refresh();
}

void MicSoundRow::refresh()
{
    const bool whiteNoise = m_privacy.micSound() == PrivacySwitch::MicSound::WhiteNoise;
    m_silence->setChecked(!whiteNoise);
    m_whiteNoise->setChecked(whiteNoise);
    m_install->setText(m_installing ? Text::tr("Installing…") : Text::tr("Install…"));
    m_install->setEnabled(!m_installing);
    m_install->setVisible(whiteNoise && !m_privacy.quietMicInstalled());
}

void MicSoundRow::installFinished()
{
    m_installing = false;
    refresh();
}

void MicSoundRow::install()
{
    if (m_installing)
        return;
    m_installing = true;
    refresh();
    if (m_panel.beginBusy)
        m_panel.beginBusy();
    // The answer may come after this row is gone (the hub's content is made
    // afresh for each opening); the panel's count and note must still hear of it.
    QPointer<MicSoundRow> row(this);
    m_privacy.installQuietMic([row, panel = m_panel](const std::optional<QString> &error) {
        if (panel.endBusy)
            panel.endBusy();
        if (MicSoundRow *alive = row.data())
            alive->installFinished();
        if (panel.note)
            panel.note(error ? *error : Text::tr("White noise is ready."));
    });
}
