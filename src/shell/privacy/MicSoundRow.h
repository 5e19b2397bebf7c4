#pragma once

#include <QWidget>

#include <functional>

class PrivacySwitch;
class QAbstractButton;
class QPushButton;

// What calls hear while the microphone is off: silence or soft white noise,
// and the button that adds the quiet microphone white noise needs.
class MicSoundRow : public QWidget {
    Q_OBJECT
public:
    // What the row needs from the panel around it.
    struct Panel {
        std::function<void(const QString &)> note;
        // Keeps the panel open while an installation is in progress.
        std::function<void()> beginBusy;
        std::function<void()> endBusy;
    };

    MicSoundRow(PrivacySwitch &privacy, Panel panel, QWidget *parent = nullptr);

    QAbstractButton *silenceChoice() const { return m_silence; }
    QAbstractButton *whiteNoiseChoice() const { return m_whiteNoise; }
    // Shown while white noise is chosen and the quiet microphone is missing.
    QPushButton *installButton() const { return m_install; }
    bool installing() const { return m_installing; }

private:
    void refresh();
    void install();
    void installFinished();

    PrivacySwitch &m_privacy;
    Panel m_panel;
    QAbstractButton *m_silence;
    QAbstractButton *m_whiteNoise;
    QPushButton *m_install;
    bool m_installing = false;
};
