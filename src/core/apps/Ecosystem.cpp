#include "Ecosystem.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace Ecosystem {

QList<OrvaneApp> load(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return {};
    QList<OrvaneApp> released;
    for (const QJsonValue &value : document.array()) {
        const std::optional<OrvaneApp> app = OrvaneApp::fromJson(value.toObject());
        if (!app)
            return {};
        if (app->released)
            released.append(*app);
    }
    return released;
}

QList<OrvaneApp> catalogue()
{
    QFile file(QStringLiteral(":/apps/apps.json"));
    return file.open(QIODevice::ReadOnly) ? load(file.readAll()) : QList<OrvaneApp>();
}

} // namespace Ecosystem
