#include "VpnRowView.h"

#include "HubStyle.h"
#include "Symbols.h"
#include "VpnList.h"
#include "VpnRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VpnRowView::VpnRowView(VpnList &list, QWidget *parent)
    : QWidget(parent)
    , m_list(list)
    , m_row(new VpnRow(&list, this))
    , m_symbol(new QLabel)
    , m_name(new QLabel)
    , m_status(new QLabel)
    , m_button(new QPushButton)
    , m_content(new QWidget)
{
    m_symbol->setFixedSize(20, 20);
    m_name->setFont(HubStyle::font(font(), 12));
    m_name->setTextFormat(Qt::PlainText);
    m_status->setFont(HubStyle::font(font(), 11));
    QPalette secondary = m_status->palette();
    secondary.setColor(QPalette::WindowText, HubStyle::secondary());
    m_status->setPalette(secondary);
    m_button->setFont(HubStyle::font(font(), 11));
    m_button->setStyleSheet(HubStyle::buttonSheet());
    m_button->setCursor(Qt::PointingHandCursor);
    connect(m_button, &QPushButton::clicked, m_row, &VpnRow::press);

    auto *text = new QVBoxLayout;
    text->setSpacing(0);
    text->addWidget(m_name);
    text->addWidget(m_status);
    auto *row = new QHBoxLayout(m_content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    row->addLayout(text);
    row->addWidget(m_button, 0, Qt::AlignVCenter);
    row->addStretch(1);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);

    connect(m_row, &VpnRow::changed, this, &VpnRowView::refresh);
    refresh();
}

VpnRowView::~VpnRowView()
{
    if (isVisible())
        m_list.setWatched(false);
}

void VpnRowView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_list.setWatched(true);
}

void VpnRowView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_list.setWatched(false);
}

void VpnRowView::refresh()
{
    m_content->setVisible(m_row->isShown());
    if (!m_row->isShown())
        return;
    const QColor tint = m_row->isLit() ? HubStyle::color(HaloColor::camera) : HubStyle::secondary();
    m_symbol->setPixmap(QPixmap::fromImage(Symbols::tinted(QStringLiteral("network.badge.shield.half.filled"),
                                                           tint, m_symbol->size(), devicePixelRatioF())));
    m_name->setText(m_row->name());
    m_status->setText(m_row->statusText());
    m_button->setText(m_row->actionText());
}
