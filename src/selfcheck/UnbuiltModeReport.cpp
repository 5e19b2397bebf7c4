#include "UnbuiltModeReport.h"

#include "Report.h"

namespace UnbuiltModeReport {

int run(Report &report, LaunchOptions::Mode mode)
{
    report.note(LaunchOptions::flag(mode) + QStringLiteral(" checks a feature this build does not have yet"));
    report.fail(LaunchOptions::flag(mode) + QStringLiteral(" ran"));
    return report.finish();
}

} // namespace UnbuiltModeReport
