#include "Log.h"

Q_LOGGING_CATEGORY(lcTarnwick, "tarnwick", QtInfoMsg)
