#pragma once

#include "QuietMicDriver.h"

#include <QString>

#include <functional>
#include <optional>

class DefaultsStore;
class QObject;

// The quiet microphone's operations over its driver: adding and removing it,
// and making it the default input while the microphone is switched off, with
// the input it replaced remembered and put back afterwards.
namespace QuietMic {

inline constexpr const char *uid = QuietMicDriver::uid;
// The input that was the default before the quiet microphone took its place;
// present only between activate and deactivate.
inline constexpr char previousDefaultKey[] = "QuietMicPreviousDefaultInput";
// How long the server may take to list a quiet microphone it has taken.
inline constexpr int loadWaitMs = 8000;

struct Failure {
    // Cancelled and NotInApp never happen here: the quiet microphone is made
    // from the audio server's own modules, needs no administrator rights (so
    // there is no prompt to cancel) and no driver carried by the app. They are
    // kept so every caller handles the same outcomes everywhere.
    enum class Kind { Failed, Cancelled, NotInApp };
    Kind kind = Kind::Failed;
    QString text; // for Failed: why, in words for the user
    friend bool operator==(const Failure &, const Failure &) = default;
};
using Result = std::optional<Failure>; // nothing on success

// What a backend's problem means, in words for the user.
QString describe(const QuietMicProblem &problem);
bool isInstalled(const QuietMicDriver &driver);
// Adds it and waits (without blocking) until the server lists it, at most
// loadWaitMs. `finished` is dropped when `context` is gone.
void install(QuietMicDriver &driver, QObject *context, std::function<void(const Result &)> finished);
Result remove(QuietMicDriver &driver);
// Makes it the default input and starts its noise; false when it is not there.
bool activate(QuietMicDriver &driver, DefaultsStore &defaults);
// Stops the noise and puts the remembered input back if the quiet microphone
// is still the default; always forgets it. Before the server's state is known
// nothing is judged and the remembered input is kept.
void deactivate(QuietMicDriver &driver, DefaultsStore &defaults);

} // namespace QuietMic
