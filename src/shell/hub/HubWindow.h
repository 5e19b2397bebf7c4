#pragma once

#include <QWidget>

class HubView;
class QMimeData;

// The hub's window: frameless, above other windows, out of taskbars, always
// dark. It shows without taking the keyboard and takes it when clicked, so
// Esc and typing reach it. It reports the pointer coming and going and what
// is dragged over it; the panel decides what follows.
class HubWindow : public QWidget {
    Q_OBJECT
public:
    HubWindow(HubView *view, bool flatTop);

    HubView *view() const { return m_view; }

Q_SIGNALS:
    void escapePressed();
    void entered();
    void left();
    // A drag the hub takes came in (true) or went (false, also after its drop).
    void dragChanged(bool over);
    void dropped(const QMimeData &data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    HubView *m_view;
    bool m_flatTop;
    bool m_dragOver = false;
};
