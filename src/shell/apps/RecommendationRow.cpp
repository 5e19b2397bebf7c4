#include "RecommendationRow.h"

#include "HubStyle.h"
#include "OrvaneApp.h"
#include "Symbols.h"
#include "Text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int pictureSize = 34;

// The app's own picture where the build carries one, else the plain app symbol.
QPixmap picture(const QString &id, qreal ratio)
{
    QPixmap own(QStringLiteral(":/apps/app-%1.png").arg(id));
    if (!own.isNull())
        return own.scaled(QSize(pictureSize, pictureSize) * ratio, Qt::KeepAspectRatio,
                          Qt::SmoothTransformation);
    return QPixmap::fromImage(Symbols::tinted(QStringLiteral("app"), HubStyle::secondary(),
                                              QSize(pictureSize, pictureSize), ratio));
}

} // namespace

RecommendationRow::RecommendationRow(const OrvaneApp &app, QWidget *parent)
    : QFrame(parent)
    , m_website(new QPushButton(Text::tr("Website"), this))
    , m_dismiss(new QToolButton(this))
{
    setObjectName(QStringLiteral("recommendation"));
    setStyleSheet(
        QStringLiteral("#recommendation { background: rgba(255,255,255,12); border-radius: 10px; }") +
        HubStyle::buttonSheet() + QStringLiteral("QToolButton { background: transparent; padding: 2px; }"));
    setAccessibleName(app.name);

    auto *icon = new QLabel(this);
    icon->setPixmap(picture(app.id, devicePixelRatioF()));
    icon->setFixedSize(pictureSize, pictureSize);

    auto *name = new QLabel(app.name, this);
    name->setFont(HubStyle::font(font(), 13, QFont::DemiBold));
    name->setStyleSheet(QStringLiteral("color: white;"));
    auto *tagline = new QLabel(app.tagline, this);
    tagline->setFont(HubStyle::font(font(), 11));
    tagline->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 55%);"));
    tagline->setWordWrap(true);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(name);
    texts->addWidget(tagline);

    m_website->setToolTip(Text::tr("Opens %1’s website in your browser.").arg(app.name));
    m_website->setCursor(Qt::PointingHandCursor);
    connect(m_website, &QPushButton::clicked, this, &RecommendationRow::websiteClicked);

    m_dismiss->setIcon(Symbols::icon(QStringLiteral("xmark")));
    m_dismiss->setIconSize(QSize(12, 12));
    m_dismiss->setAccessibleName(Text::tr("Don’t show this again"));
    m_dismiss->setToolTip(Text::tr("Don’t show %1 again").arg(app.name));
    m_dismiss->setCursor(Qt::PointingHandCursor);
    connect(m_dismiss, &QToolButton::clicked, this, &RecommendationRow::dismissClicked);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 6, 8);
    row->setSpacing(10);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(m_website, 0, Qt::AlignVCenter);
    row->addWidget(m_dismiss, 0, Qt::AlignTop);
}
