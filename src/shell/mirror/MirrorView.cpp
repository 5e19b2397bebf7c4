#include "MirrorView.h"

#include "CameraFeed.h"
#include "HubStyle.h"
#include "MirrorPicture.h"
#include "Symbols.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

// The card's text column at its widest.
constexpr int cardTextWidth = 420;

} // namespace

MirrorView::MirrorView(Mirror &mirror, std::unique_ptr<CameraFeed> feed, QWidget *parent)
    : QWidget(parent)
    , m_mirror(mirror)
    , m_feed(std::move(feed))
{
    setPalette(HubStyle::palette());
    m_pages = new QStackedLayout(this);
    m_picture = new MirrorPicture(Mirror::previewNote());
    m_pages->addWidget(m_picture);

    auto *card = new QWidget;
    auto *column = new QVBoxLayout(card);
    column->setAlignment(Qt::AlignCenter);
    column->setSpacing(10);
    m_symbol = new QLabel;
    m_title = new QLabel;
    m_title->setFont(HubStyle::font(font(), 15, QFont::DemiBold));
    m_text = new QLabel;
    m_text->setWordWrap(true);
    m_text->setFixedWidth(cardTextWidth);
    m_text->setFont(HubStyle::font(font(), 12));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_button = new QPushButton;
    m_button->setStyleSheet(HubStyle::buttonSheet());
    for (QLabel *label : {m_symbol, m_title, m_text})
        label->setAlignment(Qt::AlignHCenter);
    for (QWidget *part : std::initializer_list<QWidget *>{m_symbol, m_title, m_text, m_button})
        column->addWidget(part, 0, Qt::AlignHCenter);
    m_pages->addWidget(card);

    connect(m_feed.get(), &CameraFeed::frame, m_picture, &MirrorPicture::show);
    connect(m_feed.get(), &CameraFeed::busy, this, [this] {
        stopCamera();
        m_mirror.cameraBusy();
    });
    connect(m_button, &QPushButton::clicked, this, &MirrorView::act);
    connect(&m_mirror, &Mirror::statusChanged, this, &MirrorView::follow);
    follow(m_mirror.status());
}

MirrorView::~MirrorView()
{
    stopCamera();
}

void MirrorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_mirror.status() == Mirror::Status::Preview)
        startCamera();
}

void MirrorView::hideEvent(QHideEvent *event)
{
    stopCamera();
    QWidget::hideEvent(event);
}

void MirrorView::follow(Mirror::Status status)
{
    if (status == Mirror::Status::Preview || status == Mirror::Status::Checking) {
        m_pages->setCurrentWidget(m_picture);
        if (status == Mirror::Status::Preview && isVisible())
            startCamera();
        return;
    }
    stopCamera();
    const Mirror::Card card = m_mirror.card();
    m_symbol->setPixmap(QPixmap::fromImage(
        Symbols::tinted(card.symbol, HubStyle::secondary(), QSize(44, 44), devicePixelRatioF())));
    m_title->setText(card.title);
    m_text->setText(card.text);
    m_button->setText(card.button);
    m_pages->setCurrentIndex(1);
}

void MirrorView::startCamera()
{
    if (m_cameraRunning)
        return;
    m_cameraRunning = true;
    m_mirror.previewStarted();
    m_feed->start();
}

void MirrorView::stopCamera()
{
    if (!m_cameraRunning)
        return;
    m_cameraRunning = false;
    m_feed->stop();
    m_mirror.previewStopped();
}

void MirrorView::act()
{
    switch (m_mirror.card().action) {
    case Mirror::Action::Ask:
        m_mirror.ask();
        break;
    case Mirror::Action::CopyCommand:
        QGuiApplication::clipboard()->setText(m_mirror.accessCommand());
        break;
    case Mirror::Action::TryAgain:
        m_mirror.refresh();
        break;
    }
}
