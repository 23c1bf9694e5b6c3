#pragma once

#include <string>

#include "core/install.h"

namespace varnholt {

// The install report as the window shows it: one line per handled row in run order, and a
// line after the plugin's when it could not be registered. Lines end in CR LF.
std::string FormatInstallReport(const InstallReport& report);

}  // namespace varnholt
