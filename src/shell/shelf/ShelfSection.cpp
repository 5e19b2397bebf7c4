#include "ShelfSection.h"

#include "HubSections.h"
#include "ShelfStore.h"
#include "ShelfView.h"

void ShelfSection::addTo(HubSections &sections) const
{
    sections.add(
        HubTab::Shelf,
        [section = *this] {
            return new ShelfView(section.shelf(), section.state, section.rules, section.files);
        },
        [shelf = shelf] { return int(shelf().items().size()); });
}
