#include "OrvaneApp.h"

#include <QJsonArray>

namespace {

bool isWebAddress(const QUrl &url)
{
    return url.isValid() && url.scheme() == QLatin1String("https") && !url.host().isEmpty();
}

} // namespace

std::optional<OrvaneApp> OrvaneApp::fromJson(const QJsonObject &object)
{
    const auto text = [&object](const char *key) { return object.value(QLatin1String(key)); };
    if (!text("id").isString() || !text("name").isString() || !text("tagline").isString() ||
        !text("bundleIDs").isArray() || !text("site").isString() || !text("released").isBool())
        return std::nullopt;
    OrvaneApp app;
    app.id = text("id").toString();
    app.name = text("name").toString();
    app.tagline = text("tagline").toString();
    for (const QJsonValue &id : text("bundleIDs").toArray()) {
        if (!id.isString())
            return std::nullopt;
        app.appIds.append(id.toString());
    }
    app.site = QUrl(text("site").toString(), QUrl::StrictMode);
    app.released = text("released").toBool();
    if (app.id.isEmpty() || app.name.isEmpty() || !isWebAddress(app.site))
        return std::nullopt;
    if (text("actionTitle").isString() && text("actionURL").isString()) {
        const QUrl action(text("actionURL").toString(), QUrl::StrictMode);
        if (isWebAddress(action)) {
            app.actionTitle = text("actionTitle").toString();
            app.actionUrl = action;
        }
    }
    return app;
}
