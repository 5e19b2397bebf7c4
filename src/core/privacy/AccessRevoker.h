#pragma once

#include "CameraPermissionStore.h"

#include <QList>
#include <QStringList>

// The camera half of the privacy switch: takes each application's camera
// permission away, one application at a time, so it has to ask again before
// it can use the camera. Applications left out of the list (trusted ones,
// Tarnwick itself) keep theirs. Blocking; meant for a worker thread.
//
// What it covers is what the system's permission store covers: sandboxed
// applications and those that ask through the camera portal. An application
// that opens the camera device directly never asks; the blocked banner and
// auto-quit are what answer it.
namespace AccessRevoker {

using AppInfo = CameraApp;

// The applications that can ask for the camera, one per id, sorted by name
// (localised, case-insensitive).
QList<AppInfo> apps(const CameraPermissionStore &store);

// Takes the camera decision of each application away, in the given order,
// skipping empty ids; answers how many succeeded.
int revoke(CameraPermissionStore &store, const QStringList &appIds);

} // namespace AccessRevoker
