// Fuzz target for the path rules: each function against the plain model in
// reference_rules.h, and the properties the installer leans on.
//
// Input: the whole input is a path. When it holds a 0xFF byte (which UTF-8 never uses), the
// bytes before the first 0xFF are also searched for the bytes after it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "core/path_rules.h"
#include "fuzz/escaped.h"
#include "fuzz/reference_rules.h"

namespace {

using varnholt::fuzz::Escaped;

[[noreturn]] void Fail(const char* what, std::string_view text, std::string_view detail = {}) {
    std::fprintf(stderr, "path rules: %s\n  text: \"%s\"\n", what, Escaped(text).c_str());
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", std::string(detail).c_str());
    std::abort();
}

void ExpectSame(const char* what, std::string_view text, std::string_view got,
                std::string_view want) {
    if (got != want) {
        Fail(what, text, "got \"" + Escaped(got) + "\", want \"" + Escaped(want) + "\"");
    }
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

void CheckLastPosition(std::string_view text, std::string_view piece) {
    const std::ptrdiff_t got = varnholt::LastPositionOf(text, piece);
    const std::ptrdiff_t want = reference::LastPositionOf(text, piece);
    if (got != want) {
        Fail("LastPositionOf differs from the model", text,
             "piece \"" + Escaped(piece) + "\": got " + std::to_string(got) + ", want " +
                 std::to_string(want));
    }
    if (got == -1) return;
    const auto at = static_cast<std::size_t>(got - 1);
    if (got < 1 || at + piece.size() > text.size() || text.substr(at, piece.size()) != piece) {
        Fail("LastPositionOf names a place where the piece is not", text,
             "piece \"" + Escaped(piece) + "\" at " + std::to_string(got));
    }
}

void CheckParts(std::string_view text, std::ptrdiff_t count) {
    const std::string right = varnholt::RightPart(text, count);
    const std::string left = varnholt::LeftPart(text, count);
    const std::string_view wantRight = reference::RightPart(text, count);
    const std::string_view wantLeft = reference::LeftPart(text, count);
    const auto note = [&](std::string_view got, std::string_view want) {
        return "count " + std::to_string(count) + ": got \"" + Escaped(got) + "\", want \"" +
               Escaped(want) + "\"";
    };
    if (right != wantRight) Fail("RightPart differs from the model", text, note(right, wantRight));
    if (left != wantLeft) Fail("LeftPart differs from the model", text, note(left, wantLeft));
    if (!EndsWith(text, right)) Fail("RightPart is not a suffix", text, note(right, wantRight));
    if (!StartsWith(text, left)) Fail("LeftPart is not a prefix", text, note(left, wantLeft));
}

void CheckPathFunctions(std::string_view path) {
    const std::string fileName = varnholt::FileNameOf(path);
    const std::string extension = varnholt::ExtensionOf(path);
    const std::string gameRoot = varnholt::GameRootOf(path);
    ExpectSame("FileNameOf differs from the model", path, fileName, reference::FileNameOf(path));
    ExpectSame("ExtensionOf differs from the model", path, extension, reference::ExtensionOf(path));
    ExpectSame("GameRootOf differs from the model", path, gameRoot, reference::GameRootOf(path));
    if (!EndsWith(path, fileName)) Fail("FileNameOf is not a suffix", path);
    if (!EndsWith(path, extension)) Fail("ExtensionOf is not a suffix", path);
    if (!StartsWith(path, gameRoot)) Fail("GameRootOf is not a prefix", path);
}

// `folder` + name + ".exe", where `folder` ends in the path's last backslash and the whole
// is well-formed UTF-8: the game root is exactly `folder`, the file name name + ".exe".
void CheckExecutablePath(const std::string& folder, const std::string& name) {
    const std::string path = folder + name + ".exe";
    ExpectSame("GameRootOf of an executable's path is not its folder", path,
               varnholt::GameRootOf(path), folder);
    ExpectSame("FileNameOf of an executable's path is not its name", path,
               varnholt::FileNameOf(path), name + ".exe");
}

// Builds an executable's path from the input: the input itself when it is well-formed
// UTF-8, else its bytes with the high bit cleared. Up to its last backslash it is the
// folder, the rest the name; an input without a backslash is the name in "C:\".
void CheckExecutablePathFrom(std::string_view input) {
    std::string text(input);
    if (!reference::IsWellFormedUtf8(text)) {
        for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
    }
    const std::size_t backslash = text.rfind('\\');
    if (backslash == std::string::npos) {
        CheckExecutablePath("C:\\", text);
    } else {
        CheckExecutablePath(text.substr(0, backslash + 1), text.substr(backslash + 1));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    for (std::string_view piece : {"\\", ".", ".exe"}) CheckLastPosition(input, piece);
    const std::size_t separator = input.find('\xFF');
    if (separator != std::string_view::npos && separator + 1 < input.size()) {
        CheckLastPosition(input.substr(0, separator), input.substr(separator + 1));
    }

    const std::ptrdiff_t length = reference::Length(input);
    const std::ptrdiff_t fromInput = size > 0 ? static_cast<std::int8_t>(data[0]) : 0;
    const std::ptrdiff_t counts[] = {
        std::numeric_limits<std::ptrdiff_t>::min(),
        -1,
        0,
        1,
        length - 1,
        length,
        length + 1,
        std::numeric_limits<std::ptrdiff_t>::max(),
        fromInput,
        length - fromInput,
    };
    for (std::ptrdiff_t count : counts) CheckParts(input, count);

    CheckPathFunctions(input);
    CheckExecutablePathFrom(input);
    return 0;
}
