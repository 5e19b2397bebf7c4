#pragma once

#include "Tool.h"

#include <QAbstractButton>

// One tool's tile: its symbol in a small circle, its title and a second
// line, and for the tools with a state a small switch. The whole tile is
// the button; a tool that cannot work here is greyed out and says why.
class ToolTile : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToolTile(Tool tool, QWidget *parent = nullptr);

    Tool tool() const { return m_tool; }
    void setState(const QString &line, bool on, bool available);
    QString line() const { return m_line; }
    bool isOn() const { return m_on; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Tool m_tool;
    QString m_line;
    bool m_on = false;
    bool m_hovered = false;
};
