#pragma once

#include "HubDoor.h"
#include "HubTab.h"

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

class HubSectionButton;
class HubSections;
class HubState;
class QHBoxLayout;
class QLabel;
class QToolButton;
class QVBoxLayout;
class SensorModel;

// The hub's content: the row of section buttons, the note line and the
// chosen section below them, on a black panel whose top starts under the
// housing. Made afresh for every opening.
class HubView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 740;
    static constexpr int bodyHeight = 330;

    // `topInset`: the housing's height, kept clear at the top; `flatTop`: the
    // panel meets a notch and its top corners are square.
    HubView(SensorModel &sensors, HubState &state, const HubSections &sections, int topInset, bool flatTop,
            QWidget *parent = nullptr);

    // The panel's outline in a window of `size`; outside it the window is clear.
    static QPainterPath outline(QSizeF size, bool flatTop);

    HubSectionButton *button(HubTab tab) const;
    QLabel *noteLine() const { return m_note; }
    // The buttons of the sibling applications' doors, after the sections'.
    const QList<QToolButton *> &doorButtons() const { return m_doorButtons; }
    // What the chosen section shows now.
    QWidget *section() const { return m_section; }
    // Asks each section for its count again.
    void refreshBadges();

Q_SIGNALS:
    // After every paint; benchmarks and tests wait on it.
    void framePainted();
    void doorClicked(const HubDoor &door);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showSection(HubTab tab);
    void showNote();
    void showSensors();
    void showDoors();

    SensorModel &m_sensors;
    HubState &m_state;
    const HubSections &m_sections;
    bool m_flatTop;
    QList<HubSectionButton *> m_buttons;
    QHBoxLayout *m_doors;
    QList<QToolButton *> m_doorButtons;
    QLabel *m_note;
    QVBoxLayout *m_body;
    QPointer<QWidget> m_section;
};
