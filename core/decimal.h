#pragma once

#include <cstdint>
#include <string>

namespace varnholt {

// `value` in decimal digits. (std::to_string would bring the printf family into the exe.)
inline std::string Decimal(std::uint64_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    } while (value /= 10);
    return digits;
}

}  // namespace varnholt
