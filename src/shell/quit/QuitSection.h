#pragma once

class HubSections;
class QuitModel;
class Quitter;
class SensorModel;

// What the quit section works with; the model outlives every opening of the
// hub, whose section is made afresh (and the apps listed again) each time.
struct QuitSection {
    QuitModel &model;
    Quitter &quitter;
    SensorModel &sensors;

    void addTo(HubSections &sections) const;
};
