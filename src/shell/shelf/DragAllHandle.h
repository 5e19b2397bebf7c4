#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <functional>

class HubPanelRules;

// "Drag All": dragging it carries every file of the shelf that is at its
// place now. The hub refuses a drag that starts here, so the shelf is never
// filled with its own files.
class DragAllHandle : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize handleSize{112, 26};

    DragAllHandle(std::function<QList<QByteArray>()> paths, HubPanelRules &rules, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPixmap pile(int count) const;

    std::function<QList<QByteArray>()> m_paths;
    HubPanelRules &m_rules;
    QPoint m_pressedAt;
};
