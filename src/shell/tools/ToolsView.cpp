#include "ToolsView.h"

#include "HubStyle.h"
#include "ToolTile.h"
#include "Tools.h"

#include <QGridLayout>

ToolsView::ToolsView(Tools &tools, std::function<void()> closePanel, QWidget *parent)
    : QWidget(parent)
    , m_tools(tools)
    , m_closePanel(std::move(closePanel))
{
    setPalette(HubStyle::palette());
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(10);
    for (const Tool tool : ToolCatalog::all()) {
        auto *tile = new ToolTile(tool, this);
        const int index = int(m_tiles.size());
        grid->addWidget(tile, index / 2, index % 2);
        m_tiles.append(tile);
        connect(tile, &ToolTile::clicked, this, [this, tool] { press(tool); });
    }
    connect(&m_tools, &Tools::changed, this, &ToolsView::refresh);
    refresh();
}

ToolTile *ToolsView::tile(Tool tool) const
{
    return m_tiles.value(int(tool));
}

void ToolsView::refresh()
{
    for (ToolTile *tile : std::as_const(m_tiles))
        tile->setState(m_tools.line(tile->tool()), m_tools.isOn(tile->tool()),
                       m_tools.isAvailable(tile->tool()));
}

void ToolsView::press(Tool tool)
{
    if (ToolCatalog::closesPanel(tool) && m_closePanel)
        m_closePanel();
    m_tools.run(tool);
}
