#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <functional>

class Thumbnails;

// Draws one shelf entry: its picture (or its type's icon) above its name,
// a light background when selected, dimmed with "Not found" when its file
// is gone. Tells `shown` which entries were drawn, so their files are looked
// for and their pictures made only once they are on screen.
class ShelfCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr QSize cellSize{76, 92};

    ShelfCellDelegate(Thumbnails &thumbnails, std::function<void(const QModelIndex &)> shown,
                      QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The name in at most two lines of `width`, shortened in the middle.
    static QString fitName(const QString &name, const QFontMetrics &metrics, int width);

private:
    const QStaticText &nameText(const QString &name, const QFont &font) const;

    Thumbnails &m_thumbnails;
    // Names laid out once, not at every frame of a scroll; the font they were laid out in.
    mutable QHash<QString, QStaticText> m_names;
    mutable QFont m_namesFont;
    std::function<void(const QModelIndex &)> m_shown;
};
