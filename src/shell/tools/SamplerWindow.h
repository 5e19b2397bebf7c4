#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// One screen of the colour sampler: the screen as it was when sampling
// began, with a loupe that magnifies the pixels under the pointer and names
// the colour in the middle. A click picks it; Esc cancels.
class SamplerWindow : public QWidget {
    Q_OBJECT
public:
    // `grab` is the screen's picture at device resolution.
    SamplerWindow(const QRect &screenGeometry, QImage grab, QWidget *parent = nullptr);

    // The colour at a point of the window.
    QColor colorAt(QPointF position) const;

Q_SIGNALS:
    void picked(const QColor &color);
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPoint devicePixel(QPointF position) const;

    QImage m_grab;
    QPointF m_pointer{-1, -1};
};
