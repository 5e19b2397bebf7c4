#pragma once

#include <QDebug>

// Every line Tarnwick writes to the journal starts with "Tarnwick: " so a user
// can find them with one grep.
#define TW_LOG qInfo().noquote().nospace() << "Tarnwick: "
#define TW_WARN qWarning().noquote().nospace() << "Tarnwick: "
