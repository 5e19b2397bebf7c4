#include "NotchSketch.h"

#include "HaloColor.h"
#include "HubStyle.h"
#include "Symbols.h"
#include "Text.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

NotchSketch::NotchSketch(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
}

void NotchSketch::setStep(Tutorial::Step step)
{
    m_step = step;
    update();
}

void NotchSketch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0, QColor(255, 255, 255, 89));
    fill.setColorAt(1, QColor(255, 255, 255, 46));
    painter.setPen(QColor(128, 128, 128, 60));
    painter.setBrush(fill);
    painter.drawRoundedRect(card, 14, 14);

    // The housing hangs from the top edge; lit steps draw the halo around it.
    const QRectF notch(width() / 2.0 - 50, 0, 100, 22);
    QColor glow;
    QString symbol;
    QString label;
    switch (m_step) {
    case Tutorial::Step::Camera:
        glow = HubStyle::color(HaloColor::camera);
        symbol = QStringLiteral("video.fill");
        label = Tutorial::cameraSample().name;
        break;
    case Tutorial::Step::Microphone:
        glow = HubStyle::color(HaloColor::mic);
        symbol = QStringLiteral("mic.fill");
        label = Tutorial::microphoneSample().name;
        break;
    case Tutorial::Step::Hub:
        break;
    case Tutorial::Step::Toggle:
        symbol = QStringLiteral("video.slash.fill");
        label = Text::tr("Off");
        break;
    }
    QPainterPath housing;
    housing.addRoundedRect(notch.adjusted(0, -10, 0, 0), 10, 10);
    if (glow.isValid()) {
        painter.setPen(QPen(glow, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(housing);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    if (m_step == Tutorial::Step::Hub) {
        // The panel open below the housing, with its section buttons.
        const QRectF panel(width() / 2.0 - 110, 0, 220, 110);
        painter.drawRoundedRect(panel.adjusted(0, -14, 0, 0), 14, 14);
        painter.setBrush(QColor(255, 255, 255, 60));
        for (int i = 0; i < 6; ++i)
            painter.drawRoundedRect(QRectF(panel.left() + 14 + i * 33, panel.top() + 30, 26, 26), 6, 6);
        painter.drawRoundedRect(QRectF(panel.left() + 14, panel.top() + 66, panel.width() - 28, 28), 6, 6);
        return;
    }
    painter.drawPath(housing);
    if (symbol.isEmpty())
        return;
    const QColor ink = glow.isValid() ? glow : QColor(255, 255, 255, 200);
    const qreal ratio = devicePixelRatioF();
    painter.drawImage(QRectF(notch.left() + 10, 4, 14, 14),
                      Symbols::tinted(symbol, ink, QSize(14, 14), ratio));
    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    painter.setPen(Qt::white);
    painter.drawText(notch.adjusted(28, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, label);
}
