#include "ShelfCellDelegate.h"

#include "ShelfListModel.h"
#include "Thumbnails.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr QRect pictureRect{10, 4, 56, 56};
constexpr QRect nameRect{2, 62, 72, 28};

} // namespace

ShelfCellDelegate::ShelfCellDelegate(Thumbnails &thumbnails, std::function<void(const QModelIndex &)> shown,
                                     QObject *parent)
    : QStyledItemDelegate(parent)
    , m_thumbnails(thumbnails)
    , m_shown(std::move(shown))
{}

QSize ShelfCellDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return cellSize;
}

QString ShelfCellDelegate::fitName(const QString &name, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(name) <= width)
        return name;
    // Two lines' worth, cut in the middle, then broken where it fills the first.
    const QString shortened =
        metrics.elidedText(name, Qt::ElideMiddle, 2 * width - metrics.averageCharWidth());
    int split = int(shortened.size());
    while (split > 1 && metrics.horizontalAdvance(shortened.left(split)) > width)
        --split;
    return shortened.left(split) + QLatin1Char('\n') +
           metrics.elidedText(shortened.mid(split), Qt::ElideMiddle, width);
}

const QStaticText &ShelfCellDelegate::nameText(const QString &name, const QFont &font) const
{
    // Bounded: a shelf of thousands scrolled end to end would otherwise keep them all.
    constexpr qsizetype mostNames = 1000;
    if (font != m_namesFont || m_names.size() >= mostNames) {
        m_names.clear();
        m_namesFont = font;
    }
    auto known = m_names.constFind(name);
    if (known == m_names.cend()) {
        QStaticText text(fitName(name, QFontMetrics(font), nameRect.width()));
        text.setTextFormat(Qt::PlainText);
        text.setTextWidth(nameRect.width());
        text.setTextOption(QTextOption(Qt::AlignHCenter));
        text.prepare(QTransform(), font);
        known = m_names.insert(name, text);
    }
    return *known;
}

void ShelfCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    m_shown(index);
    const bool missing = index.data(ShelfListModel::MissingRole).toBool();
    const QUuid id = index.data(ShelfListModel::IdRole).toUuid();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(option.rect.topLeft());
    if (option.state & QStyle::State_Selected) {
        QPainterPath cell;
        cell.addRoundedRect(QRectF(QPointF(), QSizeF(cellSize)), 8, 8);
        painter->fillPath(cell, QColor(255, 255, 255, 46));
    }
    if (missing)
        painter->setOpacity(0.45);

    const QImage *thumbnail = m_thumbnails.cached(id);
    const QImage picture =
        thumbnail ? *thumbnail : m_thumbnails.placeholder(index.data(ShelfListModel::PathRole).toByteArray());
    if (!picture.isNull()) {
        QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio();
        size.scale(QSizeF(pictureRect.size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF(pictureRect.center()) - QPointF(size.width() / 2, size.height() / 2) +
                                QPointF(0.5, 0.5),
                            size);
        painter->drawImage(target, picture);
    }

    QFont font = option.font;
    font.setPixelSize(10);
    painter->setFont(font);
    painter->setPen(missing ? QColor(255, 255, 255, 140) : QColor(Qt::white));
    painter->drawStaticText(nameRect.topLeft(), nameText(index.data(Qt::DisplayRole).toString(), font));
    painter->restore();
}
