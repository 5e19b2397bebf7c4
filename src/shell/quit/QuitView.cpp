#include "QuitView.h"

#include "HubStyle.h"
#include "QuitListView.h"
#include "QuitModel.h"
#include "QuitResultView.h"

#include <QStackedLayout>

QuitView::QuitView(QuitModel &model, Quitter &quitter, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_stack(new QStackedLayout(this))
    , m_list(new QuitListView(model, this))
    , m_result(new QuitResultView(model, quitter, this))
{
    // Dark whatever the desktop's colours, like the rest of the hub.
    setPalette(HubStyle::palette());
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_result);
    connect(&model, &QuitModel::changed, this, &QuitView::showPhase);
    showPhase();
}

void QuitView::showPhase()
{
    m_stack->setCurrentWidget(m_model.phase() == QuitModel::Phase::Done ? static_cast<QWidget *>(m_result)
                                                                        : m_list);
}
