#include "SiblingTile.h"

#include "AppIcon.h"
#include "HubStyle.h"
#include "InstalledApps.h"
#include "Symbols.h"
#include "Text.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 40;

} // namespace

SiblingTile::SiblingTile(const QString &name, const InstalledApp &installed, bool running, QWidget *parent)
    : QFrame(parent)
    , m_open(new QPushButton(Text::tr("Open"), this))
{
    setObjectName(QStringLiteral("siblingTile"));
    setStyleSheet(QStringLiteral("#siblingTile { background: rgba(255,255,255,18); border-radius: 12px; }") +
                  HubStyle::buttonSheet());
    setFixedSize(132, 132);
    setAccessibleName(name);

    auto *icon = new QLabel(this);
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = AppIcon::pixmap(installed.icon, iconSize, ratio);
    if (picture.isNull())
        picture = QPixmap::fromImage(
            Symbols::tinted(QStringLiteral("app"), HubStyle::secondary(), QSize(iconSize, iconSize), ratio));
    icon->setPixmap(picture);
    icon->setAlignment(Qt::AlignCenter);

    auto *title = new QLabel(name, this);
    title->setFont(HubStyle::font(font(), 13, QFont::DemiBold));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("color: white;"));

    auto *state = new QLabel(running ? Text::tr("Running") : QString(), this);
    state->setFont(HubStyle::font(font(), 11));
    state->setAlignment(Qt::AlignCenter);
    state->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 55%);"));
    state->setObjectName(QStringLiteral("state"));

    m_open->setCursor(Qt::PointingHandCursor);
    connect(m_open, &QPushButton::clicked, this, &SiblingTile::openClicked);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 12, 10, 10);
    column->setSpacing(6);
    column->addWidget(icon);
    column->addWidget(title);
    column->addWidget(state);
    column->addStretch(1);
    column->addWidget(m_open, 0, Qt::AlignHCenter);
}
