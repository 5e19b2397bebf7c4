#pragma once

#include "Mirror.h"

#include <QWidget>

#include <memory>

class CameraFeed;
class MirrorPicture;
class QLabel;
class QPushButton;
class QStackedLayout;

// The mirror section: the live picture while the camera may be used,
// otherwise a card that says why not and offers the one thing that helps.
// The camera runs only while the section is on screen.
class MirrorView : public QWidget {
    Q_OBJECT
public:
    MirrorView(Mirror &mirror, std::unique_ptr<CameraFeed> feed, QWidget *parent = nullptr);
    ~MirrorView() override;

    MirrorPicture *picture() const { return m_picture; }
    QPushButton *cardButton() const { return m_button; }
    QLabel *cardTitle() const { return m_title; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow(Mirror::Status status);
    void startCamera();
    void stopCamera();
    void act();

    Mirror &m_mirror;
    std::unique_ptr<CameraFeed> m_feed;
    bool m_cameraRunning = false;
    QStackedLayout *m_pages = nullptr;
    MirrorPicture *m_picture = nullptr;
    QLabel *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_text = nullptr;
    QPushButton *m_button = nullptr;
};
