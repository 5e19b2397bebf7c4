#pragma once

#include "MicSoundRow.h"

#include <QWidget>

#include <functional>

class AppTerminator;
class BigSwitch;
class HubSwitch;
class PrivacySwitch;
class QPushButton;
class QToolButton;
class SensorModel;
class SensorTileView;
class VpnList;
class VpnRowView;
class WhyView;

// The hub's privacy section: on the left one tile per sensor saying who uses
// it; on the right the switch for both, one switch per sensor, what calls
// hear while the microphone is off, and how the switch works. Always dark.
class PrivacyView : public QWidget {
    Q_OBJECT
public:
    // `ownPid`: this process, which is never offered for quitting. Without a
    // VPN list the section has no VPN row; without `showHistory`, no link to
    // the history.
    PrivacyView(SensorModel &sensors, PrivacySwitch &privacy, AppTerminator &terminator, qint32 ownPid,
                MicSoundRow::Panel panel, VpnList *vpns = nullptr, std::function<void()> showHistory = {},
                QWidget *parent = nullptr);
    ~PrivacyView() override;

    BigSwitch *bigSwitch() const { return m_bigSwitch; }
    HubSwitch *cameraSwitch() const { return m_cameraSwitch; }
    HubSwitch *micSwitch() const { return m_micSwitch; }
    SensorTileView *cameraTile() const { return m_cameraTile; }
    SensorTileView *micTile() const { return m_micTile; }
    // Absent when white noise is not offered.
    MicSoundRow *micSoundRow() const { return m_micSound; }
    QToolButton *whyButton() const { return m_whyButton; }
    WhyView *why() const { return m_why; }
    VpnRowView *vpnRow() const { return m_vpnRow; }
    QPushButton *historyButton() const { return m_historyButton; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    void pressBigSwitch();
    void toggleWhy();
    void placeWhy();

    SensorModel &m_sensors;
    PrivacySwitch &m_privacy;
    MicSoundRow::Panel m_panel;
    SensorTileView *m_cameraTile;
    SensorTileView *m_micTile;
    BigSwitch *m_bigSwitch;
    HubSwitch *m_cameraSwitch;
    HubSwitch *m_micSwitch;
    MicSoundRow *m_micSound = nullptr;
    QToolButton *m_whyButton;
    WhyView *m_why;
    VpnRowView *m_vpnRow = nullptr;
    QPushButton *m_historyButton = nullptr;
};
