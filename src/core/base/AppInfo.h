#pragma once

#include <QString>

// What the application says about itself, fixed when it is built.
// Passed by value so tests can describe any kind of build.
struct AppInfo {
    QString appId;
    QString version;
    QString feedUrl;
    bool offersWhiteNoiseSetting = false;
    bool countsFirstCheck = false;

    // Development builds never register for autostart and never touch other
    // apps' camera permissions unless asked to.
    bool isDevelopmentBuild() const { return appId.endsWith(QLatin1String(".dev")); }
    bool offersWhiteNoise() const { return offersWhiteNoiseSetting || isDevelopmentBuild(); }

    static AppInfo compiledIn();
};
