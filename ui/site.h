#pragma once

#include <string_view>

namespace varnholt {

#ifndef VARNHOLT_SITE_ADDRESS
#define VARNHOLT_SITE_ADDRESS "http://varnholt.example/"
#endif

// The program's web site: opened at start-up and from the link.
inline constexpr std::string_view kSiteAddress = VARNHOLT_SITE_ADDRESS;
inline constexpr std::string_view kSiteLinkText = "站点：" VARNHOLT_SITE_ADDRESS;

}  // namespace varnholt
