#pragma once

#include <QLoggingCategory>

// Every line Tarnwick writes to the journal starts with "Tarnwick: " so a user
// can find them with one grep.
Q_DECLARE_LOGGING_CATEGORY(lcTarnwick)

#define TW_LOG qCInfo(lcTarnwick).noquote().nospace() << "Tarnwick: "
#define TW_WARN qCWarning(lcTarnwick).noquote().nospace() << "Tarnwick: "
