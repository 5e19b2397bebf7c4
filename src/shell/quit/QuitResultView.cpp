#include "QuitResultView.h"

#include "BigButton.h"
#include "HubStyle.h"
#include "QuitModel.h"
#include "QuitRowDelegate.h"
#include "Quitter.h"
#include "Text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace {

QLabel *label(const QString &text, const QFont &font, QWidget *parent, bool secondary = false)
{
    auto *shown = new QLabel(text, parent);
    shown->setFont(font);
    shown->setWordWrap(true);
    shown->setAlignment(Qt::AlignHCenter);
    if (secondary) {
        QPalette palette = shown->palette();
        palette.setColor(QPalette::WindowText, HubStyle::secondary());
        shown->setPalette(palette);
    }
    return shown;
}

QPixmap checkmark(int size, qreal ratio)
{
    QPixmap image(QSize(size, size) * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(QStringLiteral(":/icons/checkmark.circle.fill.svg"))
        .render(&painter, QRectF(0, 0, size, size));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), QColor(48, 209, 88));
    return image;
}

} // namespace

QuitResultView::QuitResultView(QuitModel &model, Quitter &quitter, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_quitter(quitter)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    connect(&model, &QuitModel::changed, this, &QuitResultView::rebuild);
    rebuild();
}

void QuitResultView::rebuild()
{
    delete m_content;
    m_content = new QWidget(this);
    layout()->addWidget(m_content);
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    const QuitReport &report = m_model.report();

    auto *symbol = new QLabel(m_content);
    symbol->setPixmap(checkmark(34, devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignHCenter);
    column->addWidget(symbol);
    if (report.freed() == 0) {
        column->addWidget(label(report.headline(), HubStyle::font(font(), 17, QFont::DemiBold), m_content));
    } else {
        column->addWidget(
            label(formatBytes(report.freed()), HubStyle::font(font(), 30, QFont::Bold), m_content));
        const int closed = int(report.closed.size());
        column->addWidget(label(closed == 1 ? Text::tr("of memory freed — 1 app closed")
                                            : Text::tr("of memory freed — %n apps closed", nullptr, closed),
                                HubStyle::font(font(), 13), m_content));
    }
    if (!report.closed.isEmpty()) {
        QStringList names;
        for (const AppEntry &app : report.closed)
            names.append(app.name);
        column->addWidget(
            label(QLocale().createSeparatedList(names), HubStyle::font(font(), 11), m_content, true));
    }

    if (!report.stillOpen.isEmpty()) {
        column->addWidget(
            label(report.stillOpen.size() == 1
                      ? Text::tr("Still open — it may be asking you to save, or not responding:")
                      : Text::tr("Still open — they may be asking you to save, or not responding:"),
                  HubStyle::font(font(), 11), m_content));
        auto *scroll = new QScrollArea(m_content);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setMaximumHeight(70);
        scroll->setStyleSheet(
            QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
        auto *rows = new QWidget(scroll);
        auto *rowsLayout = new QVBoxLayout(rows);
        rowsLayout->setContentsMargins(0, 0, 0, 0);
        rowsLayout->setSpacing(4);
        for (const AppEntry &app : report.stillOpen) {
            auto *row = new QHBoxLayout;
            auto *icon = new QLabel(rows);
            icon->setPixmap(QuitRowDelegate::icon(app.name, app.icon, 20, devicePixelRatioF()));
            row->addWidget(icon);
            row->addWidget(new QLabel(app.name, rows), 1);
            auto *show = new QPushButton(Text::tr("Show"), rows);
            auto *force = new QPushButton(Text::tr("Force Quit"), rows);
            force->setToolTip(Text::tr("Unsaved work in this app will be lost."));
            for (QPushButton *button : {show, force}) {
                button->setStyleSheet(HubStyle::buttonSheet());
                button->setFont(HubStyle::font(font(), 11));
                row->addWidget(button);
            }
            connect(show, &QPushButton::clicked, this, [this, app] { m_quitter.bringToFront(app); });
            // Queued: the press must not delete its own button.
            connect(
                force, &QPushButton::clicked, this, [this, app] { m_model.forceQuit(app); },
                Qt::QueuedConnection);
            rowsLayout->addLayout(row);
        }
        scroll->setWidget(rows);
        column->addWidget(scroll);
    }
    column->addStretch(1);
    auto *done = new BigButton(m_content);
    done->setText(Text::tr("Done"));
    connect(done, &QPushButton::clicked, &m_model, &QuitModel::done, Qt::QueuedConnection);
    column->addWidget(done);
}
