#pragma once

#include "HubTab.h"

#include <QAbstractButton>
#include <QColor>

#include <optional>

// One of the hub's section buttons: the section's symbol above its title,
// with room for a coloured dot (a sensor in use) and a count badge.
class HubSectionButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit HubSectionButton(HubTab tab, QWidget *parent = nullptr);

    HubTab tab() const { return m_tab; }
    const std::optional<QColor> &dot() const { return m_dot; }
    void setDot(const std::optional<QColor> &dot);
    int badge() const { return m_badge; }
    void setBadge(int count);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    HubTab m_tab;
    std::optional<QColor> m_dot;
    int m_badge = 0;
    bool m_hovered = false;
};
