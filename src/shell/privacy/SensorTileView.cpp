#include "SensorTileView.h"

#include "AppIcon.h"
#include "HubStyle.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 22;
// More users than this are named in the status line only.
constexpr int iconsShown = 6;

} // namespace

SensorTileView::SensorTileView(Sensor sensor, qint32 ownPid, std::function<void(qint32)> quit,
                               QWidget *parent)
    : QFrame(parent)
    , m_ownPid(ownPid)
    , m_quit(std::move(quit))
    , m_symbol(new QLabel)
    , m_status(new QLabel)
    , m_usersRow(new QHBoxLayout)
    , m_quitButton(new QPushButton)
{
    m_tile.sensor = sensor;
    setFixedWidth(fixedWidth);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(m_tile.title());

    auto *title = new QLabel(m_tile.title());
    title->setFont(HubStyle::font(font(), 13, QFont::DemiBold));
    m_symbol->setFixedSize(18, 18);
    m_status->setFont(HubStyle::font(font(), 11));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_quitButton->setFont(HubStyle::font(font(), 11));
    m_quitButton->setStyleSheet(HubStyle::buttonSheet());
    m_quitButton->setCursor(Qt::PointingHandCursor);
    m_quitButton->hide();
    connect(m_quitButton, &QPushButton::clicked, this, [this] {
        if (m_quitPid > 0 && m_quit)
            m_quit(m_quitPid);
    });

    auto *heading = new QHBoxLayout;
    heading->setSpacing(8);
    heading->addWidget(m_symbol);
    heading->addWidget(title);
    heading->addStretch(1);

    m_usersRow->setSpacing(4);
    m_usersRow->addStretch(1);
    m_usersRow->addWidget(m_quitButton);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 10);
    column->setSpacing(4);
    column->addLayout(heading);
    column->addWidget(m_status);
    column->addLayout(m_usersRow);
}

void SensorTileView::setTile(const SensorTile &tile)
{
    m_tile = tile;
    const bool blocked = tile.on && tile.switchedOff && !tile.users.isEmpty();
    const SrgbColor lit = blocked                         ? HaloColor::blocked
                          : tile.sensor == Sensor::Camera ? HaloColor::camera
                                                          : HaloColor::mic;
    const QColor symbolColor = tile.on ? HubStyle::color(lit) : HubStyle::secondary();
    m_symbol->setPixmap(QPixmap::fromImage(
        Symbols::tinted(tile.symbol(), symbolColor, m_symbol->size(), devicePixelRatioF())));

    m_status->setText(tile.status());
    QPalette statusPalette = m_status->palette();
    statusPalette.setColor(QPalette::WindowText, tile.on ? QColor(Qt::white) : HubStyle::secondary());
    m_status->setPalette(statusPalette);

    qDeleteAll(m_userIcons);
    m_userIcons.clear();
    for (const SensorUser &user : tile.users.mid(0, iconsShown)) {
        auto *icon = new QLabel;
        icon->setFixedSize(iconSize, iconSize);
        icon->setToolTip(user.name);
        icon->setAccessibleName(user.name);
        QPixmap pixmap = AppIcon::pixmap(user.icon, iconSize, devicePixelRatioF());
        if (pixmap.isNull())
            pixmap =
                QPixmap::fromImage(Symbols::tinted(tile.symbol(), HubStyle::secondary(),
                                                   QSize(iconSize - 6, iconSize - 6), devicePixelRatioF()));
        icon->setPixmap(pixmap);
        icon->setAlignment(Qt::AlignCenter);
        m_usersRow->insertWidget(int(m_userIcons.size()), icon);
        m_userIcons.append(icon);
    }

    const std::optional<SensorUser> offer = tile.quitOffer(m_ownPid);
    m_quitPid = offer ? offer->pid : 0;
    if (offer) {
        m_quitButton->setText(SensorTile::quitTitle(*offer));
        m_quitButton->setToolTip(SensorTile::quitHelp(*offer));
    }
    m_quitButton->setVisible(offer.has_value());
    update();
}

QString SensorTileView::status() const
{
    return m_status->text();
}

QPushButton *SensorTileView::quitButton() const
{
    return m_quitPid > 0 ? m_quitButton : nullptr;
}

void SensorTileView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 20));
    painter.drawRoundedRect(QRectF(rect()), 14, 14);
}
