// Fuzz target for the studio model reader: acceptance against a plain model of the header
// checks, the labels against the bytes they come from, and the companion names.
//
// Input: read twice. First whole, as a model file. Then as a description of one: six
// little-endian int16s (sequence count and offset, group count and offset, texture count
// and offset) go into a version-10 header, and the rest of the input follows the header.
// Small numbers keep the tables inside short inputs, where whole int32s hardly ever would.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/studio_model.h"
#include "fuzz/escaped.h"

namespace {

using varnholt::fuzz::Escaped;

constexpr std::size_t kHeaderSize = 244;

[[noreturn]] void Fail(const char* what, std::string_view model, const std::string& detail = {}) {
    std::fprintf(stderr, "studio model: %s\n  model: \"%s\"\n", what, Escaped(model).c_str());
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

std::int64_t Int32At(std::string_view bytes, std::size_t at) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(word);
}

// A table is acceptable when it is empty, or starts after the header and ends in the file.
bool TableFits(std::string_view bytes, std::size_t countAt, std::int64_t recordSize) {
    const std::int64_t count = Int32At(bytes, countAt);
    const std::int64_t offset = Int32At(bytes, countAt + 4);
    if (count < 0) return false;
    if (count == 0) return true;
    return offset >= static_cast<std::int64_t>(kHeaderSize) &&
           offset + count * recordSize <= static_cast<std::int64_t>(bytes.size());
}

bool ShouldAccept(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, 4) != "IDST" || Int32At(bytes, 4) != 10) {
        return false;
    }
    return TableFits(bytes, 164, 176) && TableFits(bytes, 172, 104) && TableFits(bytes, 180, 80) &&
           Int32At(bytes, 172) <= 100;
}

void CheckCompanions(std::string_view bytes, const varnholt::StudioModelInfo& model) {
    std::vector<std::string> want;
    if (model.textureCount == 0) want.push_back("m_xt.mdl");
    for (int group = 1; group < model.sequenceGroupCount; ++group) {
        char name[16];
        std::snprintf(name, sizeof name, "m_x%02d.mdl", group);
        want.push_back(name);
    }
    if (varnholt::StudioCompanionNames("m_x.MDL", model) != want) {
        Fail("companion names differ from the model", bytes);
    }
}

void Check(std::string_view bytes) {
    const auto model = varnholt::ReadStudioModel(bytes);
    if (model.has_value() != ShouldAccept(bytes)) {
        Fail(model ? "accepted a broken model" : "refused a sound model", bytes);
    }
    if (!model) return;

    const std::int64_t sequences = Int32At(bytes, 164);
    const std::int64_t table = Int32At(bytes, 168);
    if (static_cast<std::int64_t>(model->sequenceLabels.size()) != sequences) {
        Fail("label count is not the sequence count", bytes);
    }
    for (std::size_t i = 0; i < model->sequenceLabels.size(); ++i) {
        const std::string_view field = bytes.substr(static_cast<std::size_t>(table) + i * 176, 32);
        if (model->sequenceLabels[i] != field.substr(0, field.find('\0'))) {
            Fail("label differs from its field", bytes, model->sequenceLabels[i]);
        }
    }
    if (model->textureCount != Int32At(bytes, 180) ||
        model->sequenceGroupCount != Int32At(bytes, 172)) {
        Fail("counts differ from the header", bytes);
    }
    (void)varnholt::HasPlayerSequences(*model);
    CheckCompanions(bytes, *model);
}

std::string ModelFrom(std::string_view input) {
    std::string model(kHeaderSize, '\0');
    model.replace(0, 4, "IDST");
    model[4] = 10;
    const std::size_t fieldsAt[] = {164, 168, 172, 176, 180, 184};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t at = 2 * i;
        const auto low = at < input.size() ? static_cast<std::uint8_t>(input[at]) : 0;
        const auto high = at + 1 < input.size() ? static_cast<std::uint8_t>(input[at + 1]) : 0;
        const auto value = static_cast<std::int16_t>(low | (high << 8));
        const auto word = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
        for (std::size_t b = 0; b < 4; ++b) {
            model[fieldsAt[i] + b] = static_cast<char>((word >> (8 * b)) & 0xFF);
        }
    }
    if (input.size() > 12) model.append(input.substr(12));
    return model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Check(input);
    Check(ModelFrom(input));
    return 0;
}
