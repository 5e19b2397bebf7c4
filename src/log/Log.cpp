#include "Log.h"

Q_LOGGING_CATEGORY(lcAudio, "tarnwick.audio", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCamera, "tarnwick.camera", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPermissions, "tarnwick.permissions", QtInfoMsg)
Q_LOGGING_CATEGORY(lcProcess, "tarnwick.process", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "tarnwick.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "tarnwick.files", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHistory, "tarnwick.history", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPrivacy, "tarnwick.privacy", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHalo, "tarnwick.halo", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHub, "tarnwick.hub", QtInfoMsg)
Q_LOGGING_CATEGORY(lcShell, "tarnwick.shell", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSelfCheck, "tarnwick.selfcheck", QtInfoMsg)
