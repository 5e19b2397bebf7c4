#pragma once

#include <QList>
#include <QString>

// What a quit run closes.
enum class QuitPreset { Everything, Work, Call };

namespace QuitPresets {
// In the order the picker shows them.
QList<QuitPreset> all();
// The stored value: "everything", "work", "call".
QString rawValue(QuitPreset preset);
// Everything for anything unknown.
QuitPreset fromRaw(const QString &raw);
QString title(QuitPreset preset);
QString explanation(QuitPreset preset);
} // namespace QuitPresets
