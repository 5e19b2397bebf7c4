#include "QuitListView.h"

#include "BigButton.h"
#include "HubStyle.h"
#include "QuitModel.h"
#include "QuitRowDelegate.h"
#include "Text.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

QuitListView::QuitListView(QuitModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_presets(new QButtonGroup(this))
    , m_explanation(new QLabel(this))
    , m_empty(new QLabel(Text::tr("No other apps are open."), this))
    , m_list(new QListView(this))
    , m_button(new BigButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    // A segmented picker: one checkable button per preset.
    auto *picker = new QWidget(this);
    picker->setAccessibleName(Text::tr("What to quit"));
    auto *segments = new QHBoxLayout(picker);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(2);
    for (const QuitPreset preset : QuitPresets::all()) {
        auto *segment = new QPushButton(QuitPresets::title(preset), picker);
        segment->setCheckable(true);
        segment->setToolTip(QuitPresets::explanation(preset));
        segment->setFont(HubStyle::font(font(), 12));
        segment->setStyleSheet(HubStyle::buttonSheet() +
                               QStringLiteral("QPushButton:checked { background: rgba(255,255,255,80); }"));
        m_presets->addButton(segment, int(preset));
        segments->addWidget(segment);
    }
    m_presets->setExclusive(true);
    connect(m_presets, &QButtonGroup::idClicked, this, [this](int id) { m_model.setPreset(QuitPreset(id)); });
    layout->addWidget(picker);

    const QFont small = HubStyle::font(font(), 11);
    m_explanation->setFont(small);
    m_explanation->setWordWrap(true);
    layout->addWidget(m_explanation);
    auto *note = new QLabel(
        Text::tr("Ticked apps close; untick one to keep it (remembered). Apps with unsaved work ask "
                 "you to save first, like Ctrl+Q."),
        this);
    note->setFont(small);
    note->setWordWrap(true);
    QPalette secondary = note->palette();
    secondary.setColor(QPalette::WindowText, HubStyle::secondary());
    note->setPalette(secondary);
    layout->addWidget(note);

    m_empty->setFont(HubStyle::font(font(), 13));
    layout->addWidget(m_empty);
    m_list->setModel(&model);
    m_list->setItemDelegate(new QuitRowDelegate(m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    layout->addWidget(m_list, 1);

    m_button->setDefault(true);
    m_button->setShortcut(Qt::Key_Return);
    connect(m_button, &QPushButton::clicked, &m_model, &QuitModel::quitAll);
    layout->addWidget(m_button);

    connect(&model, &QuitModel::changed, this, &QuitListView::refresh);
    refresh();
}

void QuitListView::refresh()
{
    const QuitPreset preset = m_model.preset();
    m_presets->button(int(preset))->setChecked(true);
    m_explanation->setText(QuitPresets::explanation(preset));
    const bool empty = m_model.apps().isEmpty();
    m_empty->setVisible(empty);
    m_list->setVisible(!empty);
    m_button->setText(m_model.buttonTitle());
    m_button->setEnabled(m_model.canQuit());
}
