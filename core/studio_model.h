#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnholt {

// Companion animation files are numbered with two digits, so no model names more groups.
inline constexpr std::int32_t kMostSequenceGroups = 100;

struct StudioModelInfo {
    std::int32_t textureCount = 0;            // 0: the textures live in NAMEt.mdl
    std::int32_t sequenceGroupCount = 0;      // >1: NAME01.mdl ... hold animations
    std::vector<std::string> sequenceLabels;  // each up to its NUL, at most 32 bytes
};

// The parts of a Half-Life studio model ("IDST", version 10) the installer needs. Nothing
// when `bytes` is something else (a sequence group file "IDSQ" included), is cut short, has
// a negative count or offset, more than kMostSequenceGroups groups, or a sequence, group or
// texture table that does not lie inside it.
std::optional<StudioModelInfo> ReadStudioModel(std::string_view bytes);

// True for a player model of Counter-Strike: the game picks a player's stance by the labels
// "ref_aim_" + weapon and "crouch_aim_" + weapon, so a player model has both for at least
// three weapon kinds (labels compared without ASCII case, as the game looks them up).
bool HasPlayerSequences(const StudioModelInfo& model);

// The files a model loads beside itself, named from its own file name ("v_ak47.mdl"): the
// texture file ("v_ak47t.mdl") when textureCount is 0, then "v_ak4701.mdl" up to
// "v_ak47NN.mdl" for sequence groups 1 .. sequenceGroupCount - 1. A name without the .mdl
// ending (in any case) is used whole as the stem.
std::vector<std::string> StudioCompanionNames(std::string_view fileName,
                                              const StudioModelInfo& model);

}  // namespace varnholt
