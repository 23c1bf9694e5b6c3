#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// The largest plugin image this reader inflates; real plugins are well under 1 MB.
inline constexpr std::int64_t kLargestAmxImage = 64 * 1024 * 1024;

enum class AmxxProblem {
    None,
    NotAmxx,     // no "AMXX" magic: some other file
    BadVersion,  // an older AMX Mod X container, or a version other than 0x0300, or cut short there
    BadSection,  // the section table or the 32-bit section (which the game loads) is broken or
                 // missing, or its zlib data is broken or inflates past its stated image size
    BadImage,    // the inflated AMX image or its library, tag or name tables are broken
};

struct AmxxRequirements {
    AmxxProblem problem = AmxxProblem::None;  // None when the file was read fully
    // Modules the plugin makes AMX Mod X load: NAME stands for
    // addons\amxmodx\modules\NAME_amxx.dll. Lower case, each once, in the order found.
    std::vector<std::string> modules;
    // The raw names behind them, in the order found: every entry of the libraries table
    // ("#pragma library") and every public tag name that begins with "?" (the "?rl_",
    // "?rc_", "?f_", "?el_", "?ec_" and "?d_" commands of the other library pragmas).
    std::vector<std::string> libraries;
};

// Reads what an .amxx plugin needs loaded. Its 32-bit section is inflated with zlib into at
// most its stated image size. Modules come from:
//   "#pragma library NAME" (libraries table): NAME, except "Float" (part of AMX Mod X),
//       "socket" (loaded as "sockets") and "dbi" (a class, served by default by "mysql");
//   "?f_NAME" (#pragma loadlib): NAME;
//   "?el_LIB_MOD", "?ec_CLASS_MOD", "?d_CLASS_MOD" (#pragma explib, expclass, defclasslib):
//       MOD, the module loaded when nothing else provides LIB or CLASS.
// "?rl_" and "?rc_" only check a library or class that some loaded module or plugin provides,
// so they add no module. Names other than letters, digits, "_" and "-" are never modules.
// With any problem, both lists are empty.
AmxxRequirements ReadAmxxPlugin(std::string_view bytes);

}  // namespace varnholt
