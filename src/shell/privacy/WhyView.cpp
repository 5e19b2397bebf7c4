#include "WhyView.h"

#include "HubStyle.h"
#include "Text.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

WhyView::WhyView(QWidget *parent)
    : QFrame(parent)
{
    setFixedWidth(fixedWidth);
    setAttribute(Qt::WA_TranslucentBackground);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(8);
    const QStringList lines = texts();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto *label = new QLabel(lines.at(i));
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setFont(i == 0 ? HubStyle::font(font(), 13, QFont::DemiBold) : HubStyle::font(font(), 12));
        column->addWidget(label);
    }
    setAccessibleName(lines.constFirst());
}

QStringList WhyView::texts()
{
    // Most laptops do not cut the microphone in hardware when the lid
    // closes, so the explanation does not say so.
    return {
        Text::tr("How the switch works"),
        Text::tr(
            "The camera’s power and its green light are controlled by the system and the camera’s own chip — "
            "no app "
            "can switch them off, and that’s what keeps the light honest."),
        Text::tr(
            "Camera off: every app loses the camera access you gave it, so it has to ask again — and the "
            "system asks "
            "you. Apps you allow keep theirs."),
        Text::tr(
            "Microphone off: every microphone on this computer is silenced at the source. Apps keep working "
            "but hear "
            "only silence; if one turns the level back up, Tarnwick silences it again."),
    };
}

void WhyView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.setBrush(QColor(36, 36, 38));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
}

void WhyView::mousePressEvent(QMouseEvent *)
{
    hide();
}
