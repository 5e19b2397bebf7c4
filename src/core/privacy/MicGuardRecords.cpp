#include "MicGuardRecords.h"

#include "DefaultsStore.h"
#include "InputDeviceControl.h"
#include "Log.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <limits>

namespace MicGuardRecords {

namespace {

std::optional<quint32> unsignedValue(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > double(std::numeric_limits<quint32>::max()) ||
        number != double(quint64(number)))
        return std::nullopt;
    return quint32(number);
}

std::optional<Saved> decodeSaved(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    Saved saved;
    if (object.contains(QStringLiteral("mute"))) {
        const std::optional<quint32> mute = unsignedValue(object.value(QStringLiteral("mute")));
        if (!mute || *mute > 1)
            return std::nullopt;
        saved.mute = *mute == 1;
    }
    const QJsonValue volumes = object.value(QStringLiteral("volumes"));
    if (!volumes.isArray() || volumes.toArray().size() % 2 != 0)
        return std::nullopt;
    const QJsonArray pairs = volumes.toArray();
    for (qsizetype i = 0; i < pairs.size(); i += 2) {
        const std::optional<quint32> element = unsignedValue(pairs.at(i));
        const std::optional<quint32> volume = unsignedValue(pairs.at(i + 1));
        if (!element || !volume)
            return std::nullopt;
        saved.volumes.insert(*element, *volume);
    }
    return saved;
}

QString freeAsideKey(const DefaultsStore &defaults)
{
    const QString base = QLatin1String(key) + QStringLiteral(".damaged");
    QString candidate = base;
    for (int n = 2; defaults.contains(candidate); ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

QString compactText(const QJsonValue &value)
{
    QJsonArray wrapper{value};
    const QByteArray text = QJsonDocument(wrapper).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

} // namespace

QJsonObject encode(const Map &map)
{
    QJsonObject out;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        QJsonObject saved;
        if (it->mute)
            saved.insert(QStringLiteral("mute"), *it->mute ? 1 : 0);
        QJsonArray volumes;
        for (auto v = it->volumes.constBegin(); v != it->volumes.constEnd(); ++v) {
            volumes.append(qint64(v.key()));
            volumes.append(qint64(v.value()));
        }
        saved.insert(QStringLiteral("volumes"), volumes);
        out.insert(it.key(), saved);
    }
    return out;
}

std::optional<Map> decode(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    Map map;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        std::optional<Saved> saved = decodeSaved(it.value());
        if (!saved)
            return std::nullopt;
        map.insert(it.key(), *saved);
    }
    return map;
}

Map read(DefaultsStore &defaults)
{
    const QString name = QLatin1String(key);
    if (!defaults.contains(name))
        return {};
    const QJsonValue value = defaults.value(name);
    std::optional<Map> map = decode(value);
    if (!map) {
        // The levels in it may be the only record of how the user's microphones
        // were set: keep them where a person can find them.
        const QString aside = freeAsideKey(defaults);
        qCWarning(lcPrivacy).noquote().nospace()
            << "the saved microphone levels (\"" << name << "\") cannot be read; kept them as \"" << aside
            << "\" and started afresh: " << compactText(value);
        defaults.setValue(aside, value);
        defaults.remove(name);
        return {};
    }
    // A level the server cannot take would be refused at every try.
    Map unusable;
    for (auto it = map->begin(); it != map->end();) {
        const bool inRange = std::all_of(it->volumes.cbegin(), it->volumes.cend(),
                                         [](quint32 volume) { return volume <= InputDevice::volumeMax; });
        if (inRange) {
            ++it;
            continue;
        }
        unusable.insert(it.key(), *it);
        it = map->erase(it);
    }
    if (!unusable.isEmpty()) {
        const QString aside = freeAsideKey(defaults);
        const QJsonObject kept = encode(unusable);
        qCWarning(lcPrivacy).noquote().nospace()
            << "saved microphone levels above what the audio server takes; kept them as \"" << aside
            << "\" and will not give them back: " << compactText(kept);
        defaults.setValue(aside, kept);
        write(defaults, *map);
    }
    return *map;
}

void write(DefaultsStore &defaults, const Map &map)
{
    if (map.isEmpty())
        defaults.remove(QLatin1String(key));
    else
        defaults.setValue(QLatin1String(key), encode(map));
}

} // namespace MicGuardRecords
