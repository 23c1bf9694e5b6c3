#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace varnholt {

// The integer stored least significant byte first at `at`; nothing when any of its bytes lies
// past the end, so a cut file is refused instead of read beyond.
template <class Int>
std::optional<Int> ReadLittleEndian(std::span<const unsigned char> bytes, std::size_t at) {
    using Unsigned = std::make_unsigned_t<Int>;
    if (at > bytes.size() || bytes.size() - at < sizeof(Int)) return std::nullopt;
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(Int); ++i) {
        value = static_cast<Unsigned>(value | static_cast<Unsigned>(bytes[at + i]) << (8 * i));
    }
    return static_cast<Int>(value);
}

template <class Int>
std::optional<Int> ReadLittleEndian(std::string_view bytes, std::size_t at) {
    return ReadLittleEndian<Int>(
        std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), at);
}

// `bytes`: a string or a block of unsigned chars (an array, a vector, a span).
template <class Bytes>
std::optional<std::uint16_t> ReadU16(const Bytes& bytes, std::size_t at) {
    return ReadLittleEndian<std::uint16_t>(bytes, at);
}

template <class Bytes>
std::optional<std::uint32_t> ReadU32(const Bytes& bytes, std::size_t at) {
    return ReadLittleEndian<std::uint32_t>(bytes, at);
}

template <class Bytes>
std::optional<std::uint64_t> ReadU64(const Bytes& bytes, std::size_t at) {
    return ReadLittleEndian<std::uint64_t>(bytes, at);
}

template <class Bytes>
std::optional<std::int32_t> ReadI32(const Bytes& bytes, std::size_t at) {
    return ReadLittleEndian<std::int32_t>(bytes, at);
}

}  // namespace varnholt
