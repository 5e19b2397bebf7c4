#include "QuitPreset.h"

#include "Text.h"

namespace QuitPresets {

QList<QuitPreset> all()
{
    return {QuitPreset::Everything, QuitPreset::Work, QuitPreset::Call};
}

QString rawValue(QuitPreset preset)
{
    switch (preset) {
    case QuitPreset::Work:
        return QStringLiteral("work");
    case QuitPreset::Call:
        return QStringLiteral("call");
    case QuitPreset::Everything:
        break;
    }
    return QStringLiteral("everything");
}

QuitPreset fromRaw(const QString &raw)
{
    for (const QuitPreset preset : all()) {
        if (rawValue(preset) == raw)
            return preset;
    }
    return QuitPreset::Everything;
}

QString title(QuitPreset preset)
{
    switch (preset) {
    case QuitPreset::Work:
        return Text::tr("Distractions");
    case QuitPreset::Call:
        return Text::tr("Before a Call");
    case QuitPreset::Everything:
        break;
    }
    return Text::tr("Everything");
}

QString explanation(QuitPreset preset)
{
    switch (preset) {
    case QuitPreset::Work:
        return Text::tr("Quits games, video, music, social apps and messengers. Work stays open.");
    case QuitPreset::Call:
        return Text::tr("Quits everything except your call app and apps using the camera or microphone.");
    case QuitPreset::Everything:
        break;
    }
    return Text::tr("Quits every app in the taskbar except the ones you keep.");
}

} // namespace QuitPresets
