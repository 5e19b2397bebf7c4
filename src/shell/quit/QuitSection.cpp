#include "QuitSection.h"

#include "HubSections.h"
#include "QuitModel.h"
#include "QuitView.h"
#include "SensorModel.h"

void QuitSection::addTo(HubSections &sections) const
{
    sections.add(HubTab::Quit, [section = *this] {
        // Apps using the camera or a microphone now stay open before a call.
        section.model.setInUse([&sensors = section.sensors] {
            QSet<qint32> pids;
            for (const SensorUser &user : sensors.state().cameraUsers + sensors.state().micUsers)
                pids.insert(user.pid);
            return pids;
        });
        section.model.refresh();
        return new QuitView(section.model, section.quitter);
    });
}
