#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>

#include <optional>

class DefaultsStore;

// What the microphone guard recorded of each input before it first touched
// it, kept in the settings store under "MicGuardSaved" so the levels can be
// given back even after Tarnwick was killed while the guard was on.
//
// Stored form: an object whose members are input UIDs, each
//   {"mute": 0 or 1 (left out when the input has no mute),
//    "volumes": [element, volume, element, volume, ...]}
// Elements are the input's channels counted from 1 (inputs here have no
// separate main volume); volumes are the audio server's integer steps
// (65536 = 100 %), so a level given back is exactly the value recorded.
namespace MicGuardRecords {

inline constexpr char key[] = "MicGuardSaved";

struct Saved {
    std::optional<bool> mute;
    QMap<quint32, quint32> volumes; // element → volume
    friend bool operator==(const Saved &, const Saved &) = default;
};
using Map = QMap<QString, Saved>; // by input UID

QJsonObject encode(const Map &map);
// Nothing when the value is not in the stored form.
std::optional<Map> decode(const QJsonValue &value);

// The stored map; empty when there is none. A damaged value is logged, kept
// aside under "MicGuardSaved.damaged" (or "-2", "-3", … when taken) and removed,
// so nothing written later can overwrite it. Records holding a level above
// what the audio server takes are kept aside the same way, one by one.
Map read(DefaultsStore &defaults);
// An empty map removes the key.
void write(DefaultsStore &defaults, const Map &map);

} // namespace MicGuardRecords
