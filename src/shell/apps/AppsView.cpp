#include "AppsView.h"

#include "HubStyle.h"
#include "RecommendationRow.h"
#include "Settings.h"
#include "SiblingApps.h"
#include "SiblingTile.h"
#include "Text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int headingHeight = 26;

QLabel *heading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(HubStyle::font(parent->font(), 13, QFont::DemiBold));
    label->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 80%);"));
    // As high as "Hide All" beside the other heading, so both line up.
    label->setFixedHeight(headingHeight);
    return label;
}

} // namespace

AppsView::AppsView(SiblingApps &siblings, Settings &settings, Actions actions, QWidget *parent)
    : QWidget(parent)
    , m_siblings(siblings)
    , m_settings(settings)
    , m_actions(std::move(actions))
{
    setPalette(HubStyle::palette());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    connect(&m_siblings, &SiblingApps::found, this, &AppsView::rebuild);
    connect(&m_settings.showRecommendations, &SettingBase::changed, this, &AppsView::rebuild);
    connect(&m_settings.dismissedRecommendations, &SettingBase::changed, this, &AppsView::rebuild);
    rebuild();
}

QList<SiblingTile *> AppsView::tiles() const
{
    return findChildren<SiblingTile *>();
}

QList<RecommendationRow *> AppsView::recommendations() const
{
    return m_group ? m_group->findChildren<RecommendationRow *>() : QList<RecommendationRow *>();
}

void AppsView::rebuild()
{
    // A rebuild may come from a click on a button of the old content.
    if (m_content) {
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
    }
    m_content = new QWidget(this);
    auto *row = new QHBoxLayout(m_content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(18);
    row->addWidget(installedColumn(), 1);
    if (QWidget *group = recommendationColumn())
        row->addWidget(group, 1);
    layout()->addWidget(m_content);
    m_content->show();
}

QWidget *AppsView::installedColumn()
{
    auto *column = new QWidget(m_content);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(heading(Text::tr("Your Orvane apps"), column));
    const QList<SiblingApps::Sibling> installed = m_siblings.installed();
    if (installed.isEmpty() && m_siblings.isKnown()) {
        auto *empty = new QLabel(Text::tr("Your Orvane apps appear here."), column);
        empty->setFont(HubStyle::font(font(), 12));
        empty->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 55%);"));
        layout->addWidget(empty);
    }
    auto *grid = new QGridLayout;
    grid->setSpacing(10);
    constexpr int perRow = 2;
    for (qsizetype i = 0; i < installed.size(); ++i) {
        const SiblingApps::Sibling &sibling = installed.at(i);
        auto *tile =
            new SiblingTile(sibling.app.name, *sibling.installed, m_siblings.isRunning(sibling.app), column);
        connect(tile, &SiblingTile::openClicked, this,
                [this, app = *sibling.installed] { m_actions.open(app); });
        grid->addWidget(tile, int(i / perRow), int(i % perRow));
    }
    grid->setColumnStretch(perRow, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    return column;
}

QWidget *AppsView::recommendationColumn()
{
    m_group = nullptr;
    m_hideAll = nullptr;
    const QList<OrvaneApp> apps = m_siblings.recommendations(m_settings.dismissedRecommendations.value());
    if (!m_settings.showRecommendations.value() || !m_siblings.isKnown() || apps.isEmpty())
        return nullptr;
    auto *group = new QWidget(m_content);
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *top = new QHBoxLayout;
    top->addWidget(heading(Text::tr("From the makers of Tarnwick"), group), 1);
    m_hideAll = new QPushButton(Text::tr("Hide All"), group);
    m_hideAll->setStyleSheet(HubStyle::buttonSheet());
    m_hideAll->setCursor(Qt::PointingHandCursor);
    m_hideAll->setFixedHeight(headingHeight);
    connect(m_hideAll, &QPushButton::clicked, this, [this] { m_settings.showRecommendations.set(false); });
    top->addWidget(m_hideAll);
    layout->addLayout(top);
    for (const OrvaneApp &app : apps) {
        auto *row = new RecommendationRow(app, group);
        connect(row, &RecommendationRow::websiteClicked, this,
                [this, site = app.site] { m_actions.visit(site); });
        connect(row, &RecommendationRow::dismissClicked, this, [this, id = app.id] {
            QStringList dismissed = m_settings.dismissedRecommendations.value();
            dismissed.append(id);
            m_settings.dismissedRecommendations.set(dismissed);
        });
        layout->addWidget(row);
    }
    layout->addStretch(1);
    m_group = group;
    return group;
}
