#include "PrivacyView.h"

#include "AppTerminator.h"
#include "BigSwitch.h"
#include "HubStyle.h"
#include "HubSwitch.h"
#include "PrivacySwitch.h"
#include "SensorModel.h"
#include "SensorTileView.h"
#include "Symbols.h"
#include "Text.h"
#include "VpnRowView.h"
#include "WhyView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

PrivacyView::PrivacyView(SensorModel &sensors, PrivacySwitch &privacy, AppTerminator &terminator,
                         qint32 ownPid, MicSoundRow::Panel panel, VpnList *vpns,
                         std::function<void()> showHistory, QWidget *parent)
    : QWidget(parent)
    , m_sensors(sensors)
    , m_privacy(privacy)
    , m_panel(std::move(panel))
    , m_cameraTile(new SensorTileView(Sensor::Camera, ownPid,
                                      [&terminator](qint32 pid) { terminator.terminate(pid); }))
    , m_micTile(new SensorTileView(Sensor::Microphone, ownPid,
                                   [&terminator](qint32 pid) { terminator.terminate(pid); }))
    , m_bigSwitch(new BigSwitch)
    , m_cameraSwitch(new HubSwitch(Text::tr("Camera"), HubStyle::color(HaloColor::camera)))
    , m_micSwitch(new HubSwitch(Text::tr("Microphone"), HubStyle::color(HaloColor::mic)))
    , m_whyButton(new QToolButton)
    , m_why(new WhyView(this))
{
    m_why->setPalette(HubStyle::palette());
    setPalette(HubStyle::palette());
    setAutoFillBackground(false);
    setFont(HubStyle::font(font(), 12));

    auto *tiles = new QVBoxLayout;
    tiles->setSpacing(10);
    tiles->addStretch(1);
    tiles->addWidget(m_cameraTile);
    tiles->addWidget(m_micTile);
    tiles->addStretch(1);
    if (showHistory) {
        // Who used them before: the history window.
        m_historyButton = new QPushButton(Text::tr("History…"));
        m_historyButton->setStyleSheet(HubStyle::buttonSheet());
        m_historyButton->setCursor(Qt::PointingHandCursor);
        m_historyButton->setFont(HubStyle::font(font(), 11));
        connect(m_historyButton, &QPushButton::clicked, this, std::move(showHistory));
        tiles->addWidget(m_historyButton, 0, Qt::AlignLeft);
    }

    auto *oneAtATime = new QHBoxLayout;
    oneAtATime->setSpacing(10);
    auto *oneAtATimeLabel = new QLabel(Text::tr("Or one at a time:"));
    oneAtATimeLabel->setFont(HubStyle::font(font(), 11));
    QPalette secondary = oneAtATimeLabel->palette();
    secondary.setColor(QPalette::WindowText, HubStyle::secondary());
    oneAtATimeLabel->setPalette(secondary);
    oneAtATime->addWidget(oneAtATimeLabel);
    oneAtATime->addWidget(m_cameraSwitch);
    oneAtATime->addWidget(m_micSwitch);
    oneAtATime->addStretch(1);

    auto *explanation =
        new QLabel(Text::tr("The light next to the camera can’t be faked: when it’s on, an app gets a "
                            "picture — and Tarnwick names it."));
    explanation->setWordWrap(true);
    explanation->setFont(HubStyle::font(font(), 11));
    explanation->setPalette(secondary);
    m_whyButton->setIcon(QIcon(QPixmap::fromImage(
        Symbols::tinted(QStringLiteral("questionmark.circle"), HubStyle::secondary(), QSize(16, 16), 2))));
    m_whyButton->setIconSize(QSize(16, 16));
    m_whyButton->setAutoRaise(true);
    m_whyButton->setCursor(Qt::PointingHandCursor);
    m_whyButton->setAccessibleName(Text::tr("How the switch works"));
    m_whyButton->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    auto *why = new QHBoxLayout;
    why->setSpacing(6);
    why->addWidget(explanation, 1);
    why->addWidget(m_whyButton, 0, Qt::AlignVCenter);

    auto *controls = new QVBoxLayout;
    controls->setSpacing(10);
    controls->addWidget(m_bigSwitch);
    controls->addLayout(oneAtATime);
    if (m_privacy.offersWhiteNoise()) {
        m_micSound = new MicSoundRow(m_privacy, m_panel);
        controls->addWidget(m_micSound);
    }
    controls->addLayout(why);
    controls->addStretch(1);
    if (vpns) {
        m_vpnRow = new VpnRowView(*vpns);
        controls->addWidget(m_vpnRow);
    }

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(16);
    columns->addLayout(tiles);
    columns->addLayout(controls, 1);

    m_why->hide();
    connect(m_whyButton, &QToolButton::clicked, this, &PrivacyView::toggleWhy);
    connect(m_bigSwitch, &BigSwitch::clicked, this, &PrivacyView::pressBigSwitch);
    connect(m_cameraSwitch, &HubSwitch::clicked, this, [this](bool on) { m_privacy.setCameraOff(!on); });
    connect(m_micSwitch, &HubSwitch::clicked, this, [this](bool on) { m_privacy.setMicOff(!on); });
    connect(&m_sensors, &SensorModel::stateChanged, this, &PrivacyView::refresh);
    connect(&m_privacy, &PrivacySwitch::cameraOffChanged, this, &PrivacyView::refresh);
    connect(&m_privacy, &PrivacySwitch::micOffChanged, this, &PrivacyView::refresh);
    refresh();
}

PrivacyView::~PrivacyView()
{
    // Shown over the panel, it belongs to the panel's window: it goes with the section.
    delete m_why;
}

void PrivacyView::refresh()
{
    const SensorState &state = m_sensors.state();
    m_cameraTile->setTile({Sensor::Camera, state.cameraOn, state.cameraUsers, m_privacy.cameraOff(), {}});
    QSet<qint32> offeredAbove;
    for (const SensorUser &user : state.cameraUsers)
        offeredAbove.insert(user.pid);
    m_micTile->setTile({Sensor::Microphone, state.micOn, state.micUsers, m_privacy.micOff(), offeredAbove});
    m_bigSwitch->setAllOff(m_privacy.cameraOff() && m_privacy.micOff());
    m_cameraSwitch->setChecked(!m_privacy.cameraOff());
    m_micSwitch->setChecked(!m_privacy.micOff());
}

void PrivacyView::pressBigSwitch()
{
    const bool off = !m_bigSwitch->allOff();
    m_privacy.setCameraOff(off);
    m_privacy.setMicOff(off);
    if (m_panel.note)
        m_panel.note(off ? Text::tr("Camera access taken away, microphone silent.")
                         : Text::tr("Camera and microphone are back on."));
}

void PrivacyView::toggleWhy()
{
    if (m_why->isVisible()) {
        m_why->hide();
        return;
    }
    // The explanation is taller than the section: it may cover the whole
    // panel, like a popover over it.
    if (m_why->parentWidget() != window())
        m_why->setParent(window());
    placeWhy();
    m_why->show();
    m_why->raise();
}

void PrivacyView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_why->isVisible())
        placeWhy();
}

void PrivacyView::placeWhy()
{
    // Under the button that shows it, else over it, else beside it; always
    // inside the panel and never over the button.
    QWidget *area = m_why->parentWidget();
    m_why->adjustSize();
    const QRect button(m_whyButton->mapTo(area, QPoint()), m_whyButton->size());
    const QSize size = m_why->size();
    const auto clampX = [&](int x) { return std::clamp(x, 0, std::max(0, area->width() - size.width())); };
    const auto clampY = [&](int y) { return std::clamp(y, 0, std::max(0, area->height() - size.height())); };
    if (button.bottom() + 6 + size.height() <= area->height())
        m_why->move(clampX(button.right() - size.width()), button.bottom() + 6);
    else if (button.top() - 6 - size.height() >= 0)
        m_why->move(clampX(button.right() - size.width()), button.top() - 6 - size.height());
    else
        m_why->move(clampX(button.left() - 6 - size.width()),
                    clampY(button.center().y() - size.height() / 2));
}
