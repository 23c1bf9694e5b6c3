#pragma once

#include <cstddef>
#include <string>

namespace varnholt {

// `path` in the form the file functions take at any length: a path too long for the classic
// limit is made absolute and given the "\\?\" prefix ("\\?\UNC\" for a share), so it works
// on Windows without long-path support too. Shorter paths pass unchanged, so relative paths,
// patterns and the system's own rules for them stay as they are.
// `reserve` keeps room for a longer name in the same folder.
std::wstring FileApiPath(const std::string& path, std::size_t reserve = 0);

}  // namespace varnholt
