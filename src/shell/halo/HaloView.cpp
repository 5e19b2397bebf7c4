#include "HaloView.h"

#include "AppIcon.h"
#include "HaloGlyphs.h"
#include "PainterPath.h"
#include "Text.h"
#include "WindowSystem.h"

#include <QBitmap>
#include <QEasingCurve>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr double glyphSize = 15;
constexpr double glyphOffset = 18; // from the housing's side to the glyph's centre
constexpr double glowRadius = 7;
constexpr int iconSize = 26;
constexpr int contentHeight = 38;

QColor qColor(const SrgbColor &color)
{
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

// Core Animation's ease-out: quick start, gentle landing.
QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

QFont pixelFont(int pixelSize, QFont::Weight weight)
{
    QFont result;
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

} // namespace

HaloView::HaloView(HaloGlyphs &glyphs, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | WindowSystem::overlayFlags())
    , m_glyphs(glyphs)
    , m_contentClip(new QWidget(this))
    , m_content(new QWidget(m_contentClip))
    , m_contentOpacity(new QGraphicsOpacityEffect(m_content))
    , m_icon(new QLabel(m_content))
    , m_title(new QLabel(m_content))
    , m_subtitle(new QLabel(m_content))
    , m_buttons(new QHBoxLayout)
    , m_pathAnimation(new QVariantAnimation(this))
    , m_fade(new QVariantAnimation(this))
    , m_contentFade(new QPropertyAnimation(m_contentOpacity, "opacity", this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(Text::tr("Tarnwick"));

    m_icon->setFixedSize(iconSize, iconSize);
    m_icon->setAlignment(Qt::AlignCenter);
    m_title->setFont(pixelFont(13, QFont::DemiBold));
    m_title->setStyleSheet(QStringLiteral("color: white;"));
    m_subtitle->setFont(pixelFont(11, QFont::Normal));
    m_subtitle->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 65%);"));
    for (QLabel *label : {m_title, m_subtitle})
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *text = new QVBoxLayout;
    text->setSpacing(1);
    text->setContentsMargins(0, 0, 0, 0);
    text->addStretch(1);
    text->addWidget(m_title);
    text->addWidget(m_subtitle);
    text->addStretch(1);
    m_buttons->setSpacing(6);
    m_buttons->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout(m_content);
    row->setSpacing(10);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    row->addLayout(text, 1);
    row->addLayout(m_buttons);
    m_content->setGraphicsEffect(m_contentOpacity);
    m_contentOpacity->setOpacity(0);
    m_contentClip->hide();

    m_pathAnimation->setDuration(pathMilliseconds);
    m_pathAnimation->setEasingCurve(easeOut());
    m_pathAnimation->setStartValue(0.0);
    m_pathAnimation->setEndValue(1.0);
    connect(m_pathAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const double t = value.toDouble();
        const auto mix = [t](double from, double to) { return from + (to - from) * t; };
        setShape({mix(m_from.width, m_to.width), mix(m_from.height, m_to.height),
                  mix(m_from.radius, m_to.radius)});
    });

    m_fade->setDuration(fadeMilliseconds);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_opacity = value.toDouble();
        update();
    });
    connect(m_fade, &QVariantAnimation::finished, this, [this] {
        if (auto completion = std::exchange(m_fadeCompletion, nullptr))
            completion();
    });
    m_contentFade->setDuration(contentMilliseconds);
    // The effect renders the content off screen; it is only worth it while fading.
    connect(m_contentFade, &QPropertyAnimation::finished, this,
            [this] { m_contentOpacity->setEnabled(m_contentOpacity->opacity() < 1); });
}

HaloView::~HaloView() = default;

QRect HaloView::frameFor(const Notch &notch)
{
    const QRectF cutout = notch.cutout.rect();
    const double width = cutout.width() + 460;
    const double height = notch.gap() + cutout.height() + 96;
    return QRectF(cutout.center().x() - width / 2, notch.screenTop(), width, height).toRect();
}

void HaloView::apply(const Notch &notch, bool camera, bool mic, const Banner *banner, bool animated)
{
    m_cutout = notch.cutout;
    m_gap = notch.gap();
    const double w = m_cutout.rect().width();
    const double h = m_cutout.rect().height();
    const bool island = m_cutout.kind() == Cutout::Kind::Island;

    Shape target;
    if (banner) {
        target = {std::min(std::max(420.0, w + 300), width() - 8.0), h + 54, island ? 26.0 : 20.0};
        m_color = qColor(banner->color);
        m_actions = banner->actions;
    } else {
        target = {w + 68, h, island ? h / 2 : m_cutout.cornerRadius()};
        m_color = qColor(camera ? HaloColor::camera : HaloColor::mic);
        m_actions.clear();
    }
    m_shapeRect = QRectF(QRectF(rect()).center().x() - target.width / 2, m_gap, target.width, target.height);

    m_to = target;
    // A new window has nothing on screen to grow from: it only fades in.
    if (animated && m_shape.width > 0) {
        m_from = m_shape;
        m_pathAnimation->stop();
        m_pathAnimation->start();
        if (m_fade->state() == QAbstractAnimation::Running || m_opacity < 1) {
            // Fading in, or back in from a fade-out that this change interrupts.
            m_fadeCompletion = nullptr;
            fadeTo(1);
        }
    } else if (animated) {
        setShape(target);
        fadeTo(1);
    } else {
        m_pathAnimation->stop();
        m_fade->stop();
        m_fadeCompletion = nullptr;
        m_opacity = 1;
        setShape(target);
    }
    m_ringOpacity = camera || mic || banner ? 1 : 0;

    const QSize glyph{int(glyphSize), int(glyphSize)};
    m_leftGlyph =
        camera ? m_glyphs.glyph(QStringLiteral("video.fill"), qColor(HaloColor::camera), glyph) : QImage();
    m_rightGlyph = mic ? m_glyphs.glyph(QStringLiteral("mic.fill"), qColor(HaloColor::mic), glyph) : QImage();
    m_glyphsShown = !banner;

    if (banner) {
        showBanner(*banner, target.width, animated);
        setAccessibleName(banner->title);
    } else {
        m_contentFade->stop();
        m_contentOpacity->setOpacity(0);
        m_contentClip->hide();
        QStringList lit;
        if (camera)
            lit.append(Text::tr("Camera in use"));
        if (mic)
            lit.append(Text::tr("Microphone in use"));
        setAccessibleName(lit.join(QStringLiteral(", ")));
    }
    update();
}

void HaloView::showBanner(const Banner &banner, double width, bool animated)
{
    m_icon->setPixmap(bannerIcon(banner));
    // An action may announce the next banner from inside its button's click.
    while (QLayoutItem *item = m_buttons->takeAt(0)) {
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    int buttonsWidth = 0;
    for (int index = 0; index < banner.actions.size(); ++index) {
        auto *button = new QPushButton(banner.actions[index].title, m_content);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(pixelFont(11, QFont::Medium));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QPushButton { color: white; background: rgba(255, 255, 255, "
                                             "40); border: none; border-radius: 6px;"
                                             " padding: 3px 8px; }"
                                             "QPushButton:hover { background: rgba(255, 255, 255, 64); }"
                                             "QPushButton:pressed { background: rgba(255, 255, 255, 28); }"));
        connect(button, &QPushButton::clicked, this, [this, index] { runAction(index); });
        m_buttons->addWidget(button);
        buttonsWidth += button->sizeHint().width() + (index > 0 ? m_buttons->spacing() : 0);
    }

    const QRectF frame(m_shapeRect.left() + 16, m_shapeRect.bottom() - 8 - contentHeight, width - 32,
                       contentHeight);
    m_contentFrame = frame.toRect();
    m_content->resize(m_contentFrame.size());
    // The text gives way to the icon and the buttons, ending in an ellipsis.
    const int textWidth =
        std::max(0, m_content->width() - iconSize - 10 - (buttonsWidth ? buttonsWidth + 10 : 0));
    m_title->setText(m_title->fontMetrics().elidedText(banner.title, Qt::ElideRight, textWidth));
    m_subtitle->setText(
        m_subtitle->fontMetrics().elidedText(banner.subtitle.value_or(QString()), Qt::ElideRight, textWidth));
    m_subtitle->setVisible(banner.subtitle.has_value());
    m_content->layout()->activate();
    m_contentClip->show();
    clipContent();

    m_contentFade->stop();
    if (animated) {
        m_contentOpacity->setEnabled(true);
        m_contentFade->setStartValue(m_contentOpacity->opacity());
        m_contentFade->setEndValue(1.0);
        m_contentFade->start();
    } else {
        m_contentOpacity->setOpacity(1);
        m_contentOpacity->setEnabled(false);
    }
}

QPixmap HaloView::bannerIcon(const Banner &banner)
{
    const QSize size(iconSize, iconSize);
    const qreal scale = 2;
    if (banner.swatch) {
        QPixmap swatch(size * scale);
        swatch.setDevicePixelRatio(scale);
        swatch.fill(Qt::transparent);
        QPainter painter(&swatch);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(qColor(*banner.swatch));
        painter.drawRoundedRect(QRectF(QPointF(), size).adjusted(2, 2, -2, -2), 6, 6);
        return swatch;
    }
    const QPixmap icon = AppIcon::pixmap(banner.icon, iconSize, scale);
    if (!icon.isNull())
        return icon;
    return QPixmap::fromImage(m_glyphs.glyph(banner.symbol, qColor(banner.color), QSize(22, 22)));
}

void HaloView::fadeOut(std::function<void()> completion)
{
    m_fadeCompletion = std::move(completion);
    m_glyphsShown = false;
    m_contentFade->stop();
    m_contentOpacity->setOpacity(0);
    m_contentClip->hide();
    fadeTo(0);
}

void HaloView::fadeTo(double opacity)
{
    m_fade->stop();
    m_fade->setStartValue(m_opacity);
    m_fade->setEndValue(opacity);
    m_fade->start();
}

bool HaloView::isAnimating() const
{
    return m_pathAnimation->state() == QAbstractAnimation::Running ||
           m_fade->state() == QAbstractAnimation::Running ||
           m_contentFade->state() == QAbstractAnimation::Running;
}

void HaloView::setShapeMasked(bool masked)
{
    m_masked = masked;
    if (masked)
        updateMask();
    else
        clearMask();
}

void HaloView::setShape(const Shape &shape)
{
    m_shape = shape;
    if (m_masked)
        updateMask();
    clipContent();
    update();
}

QRectF HaloView::onScreenShapeRect() const
{
    return QRectF(QRectF(rect()).center().x() - m_shape.width / 2, m_gap, m_shape.width, m_shape.height);
}

void HaloView::clipContent()
{
    // While the card grows its content shows only where the card already is:
    // the content stays put inside a frame that follows the card.
    if (m_contentClip->isHidden())
        return;
    const QRectF card = onScreenShapeRect();
    // Inside the ring, not over it.
    const QRect visible = card.adjusted(4, 0, -4, -4).toRect().intersected(m_contentFrame);
    m_contentClip->setGeometry(visible);
    m_content->move(m_contentFrame.topLeft() - visible.topLeft());
}

QPainterPath HaloView::fillPath(const Shape &shape) const
{
    return toPainterPath(m_cutout.outline({shape.width, shape.height}, rect(), m_gap, shape.radius, true));
}

QPainterPath HaloView::ringPath(const Shape &shape) const
{
    // An island's ring goes all the way round; a notch's leaves the screen's edge alone.
    if (m_cutout.kind() == Cutout::Kind::Island)
        return toPainterPath(m_cutout.outline({shape.width + 2, shape.height + 2}, rect(),
                                              std::max(m_gap - 1, 0.0), shape.radius + 1, true));
    return toPainterPath(
        m_cutout.outline({shape.width + 2, shape.height + 1}, rect(), 0, shape.radius + 1, false));
}

void HaloView::updateMask()
{
    QBitmap mask(size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(QPen(Qt::color1, 3));
    painter.setBrush(Qt::color1);
    painter.drawPath(fillPath(m_shape));
    painter.strokePath(ringPath(m_shape), painter.pen());
    painter.end();
    setMask(mask);
}

void HaloView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath fill = fillPath(m_shape);
    const QPainterPath ring = ringPath(m_shape);

    painter.setOpacity(m_opacity);
    painter.fillPath(fill, Qt::black);

    // The glow: wider and fainter strokes under the ring, adding up to a soft edge.
    painter.setOpacity(m_opacity * m_ringOpacity);
    QColor glow = m_color;
    glow.setAlphaF(0.09f);
    for (int step = int(glowRadius); step >= 1; --step)
        painter.strokePath(ring, QPen(glow, 2 + 2 * step, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.strokePath(ring, QPen(m_color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    if (m_glyphsShown) {
        painter.setOpacity(1);
        const double middle = QRectF(rect()).center().x();
        const double w = m_cutout.rect().width();
        const QPointF centre(0, m_gap + m_cutout.rect().height() / 2);
        const QSizeF size(glyphSize, glyphSize);
        const auto at = [&](double x) {
            return QRectF(QPointF(x - glyphSize / 2, centre.y() - glyphSize / 2), size);
        };
        if (!m_leftGlyph.isNull())
            painter.drawImage(at(middle - w / 2 - glyphOffset), m_leftGlyph);
        if (!m_rightGlyph.isNull())
            painter.drawImage(at(middle + w / 2 + glyphOffset), m_rightGlyph);
    }
    painter.end();
    Q_EMIT framePainted();
}

void HaloView::mousePressEvent(QMouseEvent *event)
{
    if (!m_shapeRect.contains(event->position())) {
        event->ignore();
        return;
    }
    Q_EMIT clicked();
}

void HaloView::runAction(int index)
{
    if (index < 0 || index >= m_actions.size())
        return;
    // The action may end the banner and so replace m_actions.
    const auto run = m_actions[index].run;
    if (run)
        run();
}
