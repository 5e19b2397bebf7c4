#include "ShelfView.h"

#include "DragAllHandle.h"
#include "HubPanelRules.h"
#include "HubState.h"
#include "HubStyle.h"
#include "ShelfGrid.h"
#include "ShelfListModel.h"
#include "ShelfStore.h"
#include "Symbols.h"
#include "Text.h"
#include "Thumbnails.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStackedLayout>

namespace {

QLabel *label(const QString &text, int pixelSize, bool secondary, QFont::Weight weight = QFont::Normal)
{
    auto *label = new QLabel(text);
    label->setFont(HubStyle::font(label->font(), pixelSize, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondary ? HubStyle::secondary() : QColor(Qt::white));
    label->setPalette(palette);
    return label;
}

QPushButton *barButton(const QString &title)
{
    auto *button = new QPushButton(title);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(HubStyle::font(button->font(), 12));
    button->setStyleSheet(HubStyle::buttonSheet());
    return button;
}

} // namespace

ShelfView::ShelfView(ShelfStore &store, HubState &state, HubPanelRules &rules, FileManager &files,
                     QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_state(state)
    , m_rules(rules)
    , m_thumbnails(new Thumbnails(this))
    , m_model(new ShelfListModel(store, this))
    , m_pages(new QStackedLayout(this))
    , m_files(files)
{
    m_pages->addWidget(makeEmptyState());
    m_pages->addWidget(makeContent());
    connect(&store, &ShelfStore::countChanged, this, &ShelfView::refresh);
    connect(&store, &ShelfStore::itemChanged, this, &ShelfView::refresh);
    connect(&state, &HubState::dropTargetedChanged, this, [this] { update(); });
    refresh();
}

ShelfView::~ShelfView() = default;

QWidget *ShelfView::makeEmptyState()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->addStretch(1);
    auto *symbol = new QLabel;
    symbol->setPixmap(
        QPixmap::fromImage(Symbols::tinted(QStringLiteral("tray.and.arrow.down"), QColor(255, 255, 255, 140),
                                           QSize(30, 30), devicePixelRatioF())));
    symbol->setAlignment(Qt::AlignCenter);
    column->addWidget(symbol);
    QLabel *title = label(Text::tr("Drop files here — or on the notch"), 14, false, QFont::DemiBold);
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title);
    QLabel *explanation = label(
        Text::tr(
            "The shelf only remembers where they are. Nothing is copied, so it stays light with thousands."),
        12, true);
    explanation->setAlignment(Qt::AlignCenter);
    explanation->setWordWrap(true);
    // Sized by hand: a wrapped label centred in a column is otherwise given
    // the height of fewer lines than it wraps to.
    explanation->setFixedWidth(440);
    explanation->setMinimumHeight(explanation->heightForWidth(440));
    column->addWidget(explanation, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget *ShelfView::makeContent()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    m_grid = new ShelfGrid(m_store, *m_thumbnails, m_rules, m_files);
    m_grid->setModel(m_model);
    column->addWidget(m_grid, 1);

    auto *bar = new QHBoxLayout;
    bar->setSpacing(8);
    bar->addWidget(new DragAllHandle([this] { return m_store.paths(); }, m_rules));
    QPushButton *move = barButton(Text::tr("Move All"));
    connect(move, &QPushButton::clicked, this, [this] { chooseFolder(Batch::Move); });
    bar->addWidget(move);
    QPushButton *copy = barButton(Text::tr("Copy All"));
    connect(copy, &QPushButton::clicked, this, [this] { chooseFolder(Batch::Copy); });
    bar->addWidget(copy);
    m_removeMissing = barButton(QString());
    connect(m_removeMissing, &QPushButton::clicked, this, [this] { m_store.removeMissing(); });
    bar->addWidget(m_removeMissing);
    bar->addStretch(1);
    m_count = label(QString(), 12, true);
    bar->addWidget(m_count);
    QPushButton *clear = barButton(Text::tr("Clear Shelf"));
    clear->setToolTip(Text::tr("Takes everything off the shelf. Your files stay where they are."));
    connect(clear, &QPushButton::clicked, this, [this] { m_store.clear(); });
    bar->addWidget(clear);
    column->addLayout(bar);

    QLabel *hint =
        label(Text::tr("Drag any file out — or select several. Clear only empties the shelf: your files stay "
                       "where they are. Right-click a file for more."),
              11, true);
    hint->setWordWrap(true);
    column->addWidget(hint);
    return page;
}

void ShelfView::refresh()
{
    const int count = int(m_store.items().size());
    m_pages->setCurrentIndex(count == 0 ? 0 : 1);
    m_count->setText(count == 1 ? Text::tr("1 item") : Text::tr("%n items", nullptr, count));
    const int missing = int(m_store.missing().size());
    m_removeMissing->setVisible(missing > 0);
    m_removeMissing->setText(Text::tr("Remove Not Found (%n)", nullptr, missing));
}

void ShelfView::chooseFolder(Batch batch)
{
    const bool move = batch == Batch::Move;
    auto *dialog = new QFileDialog(nullptr, move ? Text::tr("Move every file on the shelf to this folder.")
                                                 : Text::tr("Copy every file on the shelf to this folder."));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, move ? Text::tr("Move Here") : Text::tr("Copy Here"));
    // The hub stays open while the chooser is up, and comes back to the front after.
    m_rules.beginBusy();
    connect(dialog, &QFileDialog::finished, this, [this] { m_rules.endBusy(); });
    connect(dialog, &QFileDialog::fileSelected, this, [this, move](const QString &folder) {
        const QByteArray path = QFile::encodeName(folder);
        if (move)
            m_store.moveAll(path);
        else
            m_store.copyAll(path);
    });
    dialog->open();
    dialog->activateWindow();
}

void ShelfView::paintEvent(QPaintEvent *)
{
    if (!m_state.dropTargeted())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 12, 12);
    painter.fillPath(outline, QColor(255, 255, 255, 15));
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
    painter.drawPath(outline);
}
