#include "HistoryView.h"

#include "HistoryModel.h"
#include "SensorHistory.h"
#include "Text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

HistoryView::HistoryView(SensorHistory &history, QWidget *parent)
    : QWidget(parent)
    , m_history(history)
    , m_model(new HistoryModel(this))
    , m_pages(new QStackedWidget(this))
    , m_empty(new QLabel(
          Text::tr("Nothing yet. Every time an app uses the camera or the microphone, it appears here.")))
    , m_table(new QTableView)
    , m_clear(new QPushButton(Text::tr("Clear History")))
{
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setForegroundRole(QPalette::PlaceholderText);

    m_table->setModel(m_model);
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing has to measure every row.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(24);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSectionResizeMode(HistoryModel::AppColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(HistoryModel::StartedColumn, QHeaderView::Interactive);
    columns->setSectionResizeMode(HistoryModel::DurationColumn, QHeaderView::Interactive);
    columns->resizeSection(HistoryModel::StartedColumn, 170);
    columns->resizeSection(HistoryModel::DurationColumn, 110);

    m_pages->addWidget(m_empty);
    m_pages->addWidget(m_table);

    auto *where = new QLabel(Text::tr("Kept on this computer only — the last 2 000 uses."));
    QFont caption = where->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    where->setFont(caption);
    where->setForegroundRole(QPalette::PlaceholderText);
    where->setToolTip(m_history.filePath());
    connect(m_clear, &QPushButton::clicked, this, &HistoryView::clear);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(12, 12, 12, 12);
    footer->addWidget(where);
    footer->addStretch(1);
    footer->addWidget(m_clear);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_pages, 1);
    column->addLayout(footer);

    reload();
}

void HistoryView::reload()
{
    m_model->setSessions(m_history.sessions());
    showSessions();
}

void HistoryView::clear()
{
    m_history.clear();
    m_model->setSessions({});
    showSessions();
}

bool HistoryView::showsTable() const
{
    return m_pages->currentWidget() == m_table;
}

void HistoryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        reload();
}

void HistoryView::showSessions()
{
    const bool any = m_model->rowCount() > 0;
    m_pages->setCurrentWidget(any ? static_cast<QWidget *>(m_table) : m_empty);
    m_clear->setEnabled(any);
}
