#pragma once

#include <string>

#include "core/package_plan.h"
#include "core/plan_executor.h"

namespace varnholt {

// One report for the whole package, readable for a thousand files: the files installed grouped
// by folder (a folder line, then its file names), files replaced, settings kept, files not
// installed and why, plugins registered, list entries merged; or, when the package was taken
// back, which file failed and why, and that the game is as it was. `result` is what ExecutePlan
// made of `plan.plan`. Lines end in CR LF.
std::string FormatPackageReport(const std::string& packageName, const PackagePlan& plan,
                                const ExecutionResult& result);

}  // namespace varnholt
