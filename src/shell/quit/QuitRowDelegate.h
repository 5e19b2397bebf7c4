#pragma once

#include <QStyledItemDelegate>

// One application of the quit list: its tick, icon, name (dimmed when it
// stays open) and memory. A click anywhere on the row flips the tick.
class QuitRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int rowHeight = 26;
    static constexpr int iconSize = 20;
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // The icon the desktop entry names, or a plain tile with the name's initial.
    static QPixmap icon(const QString &name, const QString &iconName, int size, qreal devicePixelRatio);
};
