#include "core/studio_model.h"

#include <algorithm>

#include "core/little_endian.h"

namespace varnholt {
namespace {

// studiohdr_t of the Half-Life SDK's studio.h: where the fields read here lie.
constexpr std::size_t kHeaderSize = 244;
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kSequenceCountAt = 164;
constexpr std::size_t kSequenceGroupCountAt = 172;
constexpr std::size_t kTextureCountAt = 180;
// Each count is followed by its table's offset.
constexpr std::size_t kSequenceSize = 176;       // mstudioseqdesc_t, the label first
constexpr std::size_t kSequenceGroupSize = 104;  // mstudioseqgroup_t
constexpr std::size_t kTextureSize = 80;         // mstudiotexture_t
constexpr std::size_t kLabelSize = 32;
constexpr std::int32_t kStudioVersion = 10;
constexpr std::size_t kPlayerWeaponKinds = 3;

// The count at `countAt` when it is not negative and its table, at the offset stored after
// it, lies between the header and the end of the file. 64-bit sums: no int32 count times a
// record size can overflow them.
std::optional<std::int32_t> TableCount(std::string_view bytes, std::size_t countAt,
                                       std::size_t recordSize) {
    const std::optional<std::int32_t> count = ReadI32(bytes, countAt);
    const std::optional<std::int32_t> offset = ReadI32(bytes, countAt + 4);
    if (!count || !offset || *count < 0) return std::nullopt;
    if (*count == 0) return count;
    const auto end = static_cast<std::int64_t>(*offset) +
                     static_cast<std::int64_t>(*count) * static_cast<std::int64_t>(recordSize);
    if (*offset < static_cast<std::int64_t>(kHeaderSize) ||
        end > static_cast<std::int64_t>(bytes.size())) {
        return std::nullopt;
    }
    return count;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

std::optional<StudioModelInfo> ReadStudioModel(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || bytes.substr(0, 4) != "IDST" ||
        ReadI32(bytes, kVersionAt) != kStudioVersion) {
        return std::nullopt;
    }
    const auto sequences = TableCount(bytes, kSequenceCountAt, kSequenceSize);
    const auto groups = TableCount(bytes, kSequenceGroupCountAt, kSequenceGroupSize);
    const auto textures = TableCount(bytes, kTextureCountAt, kTextureSize);
    if (!sequences || !groups || !textures || *groups > kMostSequenceGroups) return std::nullopt;

    StudioModelInfo model;
    model.textureCount = *textures;
    model.sequenceGroupCount = *groups;
    // Read once already: TableCount found the sequence table inside the file.
    const auto sequenceTable = static_cast<std::size_t>(*ReadI32(bytes, kSequenceCountAt + 4));
    for (std::int32_t i = 0; i < *sequences; ++i) {
        const std::string_view label =
            bytes.substr(sequenceTable + static_cast<std::size_t>(i) * kSequenceSize, kLabelSize);
        model.sequenceLabels.emplace_back(label.substr(0, label.find('\0')));
    }
    return model;
}

bool HasPlayerSequences(const StudioModelInfo& model) {
    constexpr std::string_view kStanding = "ref_aim_";
    constexpr std::string_view kCrouching = "crouch_aim_";
    std::vector<std::string> standing;
    std::vector<std::string> crouching;
    for (const std::string& label : model.sequenceLabels) {
        const std::string lower = LowerAscii(label);
        if (lower.starts_with(kStanding)) standing.push_back(lower.substr(kStanding.size()));
        if (lower.starts_with(kCrouching)) crouching.push_back(lower.substr(kCrouching.size()));
    }
    std::sort(standing.begin(), standing.end());
    standing.erase(std::unique(standing.begin(), standing.end()), standing.end());
    const auto both = std::count_if(standing.begin(), standing.end(), [&](const std::string& kind) {
        return std::find(crouching.begin(), crouching.end(), kind) != crouching.end();
    });
    return static_cast<std::size_t>(both) >= kPlayerWeaponKinds;
}

std::vector<std::string> StudioCompanionNames(std::string_view fileName,
                                              const StudioModelInfo& model) {
    std::string_view stem = fileName;
    if (stem.size() >= 4 && LowerAscii(stem.substr(stem.size() - 4)) == ".mdl") {
        stem.remove_suffix(4);
    }
    std::vector<std::string> names;
    if (model.textureCount == 0) names.push_back(std::string(stem) + "t.mdl");
    const std::int32_t groups = std::min(model.sequenceGroupCount, kMostSequenceGroups);
    for (std::int32_t group = 1; group < groups; ++group) {
        const char digits[] = {static_cast<char>('0' + group / 10),
                               static_cast<char>('0' + group % 10), '\0'};
        names.push_back(std::string(stem) + digits + ".mdl");
    }
    return names;
}

}  // namespace varnholt
