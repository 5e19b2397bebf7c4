#pragma once

#include "LaunchOptions.h"

class Report;

// A self-check whose feature is not in this build yet: says so and fails,
// rather than passing without having checked anything.
namespace UnbuiltModeReport {
int run(Report &report, LaunchOptions::Mode mode);
} // namespace UnbuiltModeReport
