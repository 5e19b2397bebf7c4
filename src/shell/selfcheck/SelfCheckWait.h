#pragma once

#include <functional>

// Self-checks drive the real windows and wait for what they do, with the
// event loop running meanwhile.
namespace SelfCheckWait {
// Waits until `done` holds or `timeoutMs` pass; answers `done()`.
bool until(const std::function<bool()> &done, int timeoutMs);
} // namespace SelfCheckWait
