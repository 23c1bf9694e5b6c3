#pragma once

#include <string>

#include "core/install.h"

namespace varnholt {

// The install report as the window shows it: one line per handled row in run order, and a
// line after the plugin's when it could not be registered. Lines end in CR LF.
std::string FormatInstallReport(const InstallReport& report);

// Why a file was not placed, for the reports of rows and of packages; empty for a file that
// was. `destinationFolder` is named when that folder is missing.
std::string PlaceReasonText(PlaceOutcome outcome, const std::string& systemText,
                            const std::string& destinationFolder);

}  // namespace varnholt
