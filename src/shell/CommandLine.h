#pragma once

#include <QStringList>

// --help and --version. Answered before any window system is needed, so
// they work on a console without a display.
namespace CommandLine {
// Prints help or version and answers true when the arguments ask for either.
bool answerInformationRequest(int argc, char **argv);
} // namespace CommandLine
