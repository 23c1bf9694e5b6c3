#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "core/plan_executor.h"

namespace varnholt {

// Runs `work` on a thread of its own while the window stays responsive but takes no input.
// Work that takes longer than a moment shows a small box over `owner` with the files and
// bytes done so far and a Cancel button; Cancel makes the progress callback answer false.
ExecutionResult RunWithProgress(HWND owner, std::size_t totalFiles, std::uint64_t totalBytes,
                                const std::function<ExecutionResult(const PlanProgress&)>& work);

}  // namespace varnholt
