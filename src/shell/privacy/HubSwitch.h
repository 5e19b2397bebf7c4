#pragma once

#include <QAbstractButton>
#include <QColor>

// A labelled on/off switch: the label, a small track with its knob, and
// "On" or "Off" in the switch's colour. Checked means on.
class HubSwitch : public QAbstractButton {
    Q_OBJECT
public:
    HubSwitch(const QString &label, const QColor &onColor, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_onColor;
};
