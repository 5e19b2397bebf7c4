#pragma once

#include "Banner.h"
#include "Notch.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QWidget>

#include <functional>

class HaloGlyphs;
class QGraphicsOpacityEffect;
class QHBoxLayout;
class QLabel;
class QPropertyAnimation;
class QVariantAnimation;

// The halo's window and everything in it: the black shape hanging around the
// housing, its glowing ring, the sensor glyphs and the banner card. Its
// coordinates are the window's own (y down); its top edge lies on the
// display's top edge.
class HaloView : public QWidget {
    Q_OBJECT
public:
    explicit HaloView(HaloGlyphs &glyphs, QWidget *parent = nullptr);
    ~HaloView() override;

    // Where the window goes for `notch`: centred on the housing, hanging from
    // the display's top, with room for the widest card and its glow.
    static QRect frameFor(const Notch &notch);

    // Shapes the halo for the lit sensors, or grows it into a card for
    // `banner`. Animated changes start from what is on screen, so a change in
    // the middle of an animation carries on smoothly.
    void apply(const Notch &notch, bool camera, bool mic, const Banner *banner, bool animated);
    // Fades everything out; `completion` runs when the fade has finished (not
    // when an apply() interrupts it).
    void fadeOut(std::function<void()> completion);

    // The shape as it will be when the current animation ends; only it takes clicks.
    QRectF shapeRect() const { return m_shapeRect; }
    // The shape as it is on screen now, in the middle of an animation too.
    QRectF onScreenShapeRect() const;
    // Without a compositor translucent pixels show black, so the window is
    // cut to its shape and ring.
    void setShapeMasked(bool masked);
    bool isAnimating() const;
    QColor ringColor() const { return m_color; }

    static constexpr int pathMilliseconds = 240;
    static constexpr int fadeMilliseconds = 200;
    static constexpr int contentMilliseconds = 180;

Q_SIGNALS:
    void clicked();
    // After every paint; benchmarks and tests wait on it.
    void framePainted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct Shape {
        double width = 0;
        double height = 0;
        double radius = 0;
    };

    QPainterPath fillPath(const Shape &shape) const;
    QPainterPath ringPath(const Shape &shape) const;
    void showBanner(const Banner &banner, double width, bool animated);
    QPixmap bannerIcon(const Banner &banner);
    void setShape(const Shape &shape);
    void fadeTo(double opacity);
    void updateMask();
    void clipContent();
    void runAction(int index);

    HaloGlyphs &m_glyphs;
    Cutout m_cutout;
    double m_gap = 0;
    Shape m_shape;
    Shape m_from;
    Shape m_to;
    QRectF m_shapeRect;
    QColor m_color;
    double m_opacity = 0;
    double m_ringOpacity = 0;
    bool m_glyphsShown = true;
    QImage m_leftGlyph;
    QImage m_rightGlyph;
    bool m_masked = false;

    QWidget *m_contentClip;
    QWidget *m_content;
    QRect m_contentFrame;
    QGraphicsOpacityEffect *m_contentOpacity;
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_subtitle;
    QHBoxLayout *m_buttons;
    QList<Banner::Action> m_actions;

    QVariantAnimation *m_pathAnimation;
    QVariantAnimation *m_fade;
    QPropertyAnimation *m_contentFade;
    std::function<void()> m_fadeCompletion;
};
