#pragma once

#include <QImage>
#include <QWidget>

// The camera's picture turned left to right like a mirror, filling the
// widget (cut at the edges rather than bordered), on black until the first
// frame, with a note on top that it is seen by nobody else.
class MirrorPicture : public QWidget {
    Q_OBJECT
public:
    explicit MirrorPicture(QString note, QWidget *parent = nullptr);

    void show(const QImage &frame);
    // The last frame as shown (already mirrored); null before the first.
    const QImage &shown() const { return m_frame; }

Q_SIGNALS:
    void painted();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_note;
    QImage m_frame;
};
