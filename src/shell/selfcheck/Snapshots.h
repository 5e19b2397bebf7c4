#pragma once

#include <QProcessEnvironment>
#include <QString>

class Report;

// Renders the application's windows and overlays with sample data into PNG
// files, one per scene, and lists them in the report. Screens without a
// housing pretend to have a 14-inch laptop's notch unless
// TARNWICK_FAKE_CUTOUT says otherwise.
namespace Snapshots {
// Answers the process exit status.
int run(Report &report, const QString &folder, QProcessEnvironment env);
} // namespace Snapshots
