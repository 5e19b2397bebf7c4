#pragma once

class PulseConnection;

// Waits until the audio server has answered everything asked on the
// connection, running a local event loop (libpulse's callbacks keep arriving)
// for at most `timeoutMs`. For the moments before the process ends, when
// levels given back must reach the server first. Answers whether it settled.
namespace PulseDrain {
bool wait(PulseConnection &connection, int timeoutMs);
} // namespace PulseDrain
