#pragma once

#include "Backends.h"
#include "LaunchOptions.h"
#include "MenuActions.h"

#include <QObject>
#include <QProcessEnvironment>

#include <memory>

class Halo;
class Hub;
class HubPanel;
class QMenu;
class Report;
class Tutorial;
class Windows;

// The self-check mode the app was launched in: runs it against the running
// app's parts, owns its report and whatever it needs while it runs, and ends
// with the process exit status.
class SelfCheckRun : public QObject {
    Q_OBJECT
public:
    struct App {
        Backends &backends;
        Hub &hub;
        Halo &halo;
        QProcessEnvironment env;
        Windows &windows;
        MenuActions actions;
        // Fills a menu as the status item fills its own.
        std::function<void(QMenu &)> fillStatusMenu;
        Tutorial &tutorial;
        HubPanel &panel;
    };

    SelfCheckRun(const LaunchOptions &options, App app, QObject *parent = nullptr);
    ~SelfCheckRun() override;

    // The modes that run instead of the hub; answers whether one ran.
    bool runBeforeStart();
    // The modes that watch the started hub; answers whether one ran.
    // `startupSeconds`: when the status icon was shown.
    bool runAfterStart(double startupSeconds);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void finishSoon(int exitCode);

    LaunchOptions m_options;
    App m_app;
    std::unique_ptr<Report> m_report;
    std::unique_ptr<QObject> m_check;
};
