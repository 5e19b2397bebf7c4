#pragma once

#include "Tool.h"

#include <QWidget>

#include <functional>

class ToolTile;
class Tools;

// The tools section: a tile per tool in two columns, each one button that
// runs its tool. The tiles follow the states the desktop reports.
class ToolsView : public QWidget {
    Q_OBJECT
public:
    // `closePanel` gets the hub out of the way of the tools that need the screen.
    ToolsView(Tools &tools, std::function<void()> closePanel, QWidget *parent = nullptr);

    ToolTile *tile(Tool tool) const;

private:
    void refresh();
    void press(Tool tool);

    Tools &m_tools;
    std::function<void()> m_closePanel;
    QList<ToolTile *> m_tiles;
};
