#include "core/studio_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/core/format_builders.h"

namespace varnholt {
namespace {

using namespace testing::studio_layout;
using testing::BuildModel;
using testing::PutInt;

TEST(StudioModel, ReadsCountsAndLabels) {
    struct Case {
        const char* name;
        std::vector<std::string> labels;
        std::int32_t groups;
        std::int32_t textures;
        std::vector<std::string> wantLabels;
    };
    const std::string full32(32, 'x');
    const Case cases[] = {
        {"plain", {"idle", "shoot1"}, 1, 3, {"idle", "shoot1"}},
        {"textures outside", {"idle"}, 1, 0, {"idle"}},
        {"animation groups", {"idle", "run"}, 4, 2, {"idle", "run"}},
        {"no sequences", {}, 0, 1, {}},
        {"label filling its field has no NUL", {full32}, 1, 1, {full32}},
        {"label ends at its NUL", {std::string("walk\0junk", 9)}, 1, 1, {"walk"}},
        {"empty label", {std::string("\0x", 2)}, 1, 1, {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto model = ReadStudioModel(BuildModel(c.labels, c.groups, c.textures));
        ASSERT_TRUE(model.has_value());
        EXPECT_EQ(model->sequenceLabels, c.wantLabels);
        EXPECT_EQ(model->sequenceGroupCount, c.groups);
        EXPECT_EQ(model->textureCount, c.textures);
    }
}

TEST(StudioModel, RefusesMalformedModels) {
    // Two sequences, two groups, one texture: the tables end at 244 + 352 + 208 + 80.
    const std::string good = BuildModel({"idle", "run"}, 2, 1);
    ASSERT_TRUE(ReadStudioModel(good).has_value());
    const std::size_t sequencesEnd = kHeaderSize + 2 * kSequenceSize;

    struct Case {
        const char* name;
        std::function<void(std::string&)> spoil;
    };
    const Case cases[] = {
        {"empty", [](std::string& b) { b.clear(); }},
        {"sequence group file", [](std::string& b) { b.replace(0, 4, "IDSQ"); }},
        {"other id", [](std::string& b) { b.replace(0, 4, "IDPO"); }},
        {"version 11", [](std::string& b) { PutInt(b, 4, 11); }},
        {"version 6", [](std::string& b) { PutInt(b, 4, 6); }},
        {"cut in the header", [](std::string& b) { b.resize(kHeaderSize - 1); }},
        {"cut before the counts", [](std::string& b) { b.resize(kSequenceCountAt); }},
        {"cut in the sequence table", [&](std::string& b) { b.resize(sequencesEnd - 1); }},
        {"cut in the texture table", [](std::string& b) { b.pop_back(); }},
        {"negative sequence count", [](std::string& b) { PutInt(b, kSequenceCountAt, -1); }},
        {"sequence count times size past int32",
         [](std::string& b) { PutInt(b, kSequenceCountAt, 0x01000000); }},
        {"largest sequence count", [](std::string& b) { PutInt(b, kSequenceCountAt, INT_MAX); }},
        {"more sequences than the file holds",
         [](std::string& b) { PutInt(b, kSequenceCountAt, 4); }},
        {"negative sequence offset", [](std::string& b) { PutInt(b, kSequenceTableAt, -4); }},
        {"sequence offset past the end",
         [](std::string& b) {
             PutInt(b, kSequenceTableAt, static_cast<std::int64_t>(b.size()));
         }},
        {"sequence offset near int32 max",
         [](std::string& b) { PutInt(b, kSequenceTableAt, INT_MAX - 100); }},
        {"sequence table inside the header",
         [](std::string& b) { PutInt(b, kSequenceTableAt, 8); }},
        {"negative group count", [](std::string& b) { PutInt(b, kGroupCountAt, -2); }},
        {"group table past the end",
         [](std::string& b) {
             PutInt(b, kGroupTableAt, static_cast<std::int64_t>(b.size()) - 100);
         }},
        {"negative texture count", [](std::string& b) { PutInt(b, kTextureCountAt, INT_MIN); }},
        {"texture table past the end",
         [](std::string& b) {
             PutInt(b, kTextureTableAt, static_cast<std::int64_t>(b.size()) - 79);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.spoil(bytes);
        EXPECT_FALSE(ReadStudioModel(bytes).has_value());
    }
}

TEST(StudioModel, RefusesMoreGroupsThanTwoDigitsName) {
    // The group table fits: only the count is too high.
    EXPECT_TRUE(ReadStudioModel(BuildModel({"idle"}, 100, 1)).has_value());
    EXPECT_FALSE(ReadStudioModel(BuildModel({"idle"}, 101, 1)).has_value());
}

TEST(StudioModel, TablesMayEndExactlyAtTheEndAndBeIgnoredWhenEmpty) {
    std::string bytes = BuildModel({"idle"}, 0, 0);  // ends with the sequence table
    ASSERT_EQ(bytes.size(), kHeaderSize + kSequenceSize);
    EXPECT_TRUE(ReadStudioModel(bytes).has_value());

    // Empty tables' offsets are never followed.
    PutInt(bytes, kGroupTableAt, -1);
    PutInt(bytes, kTextureTableAt, INT_MAX);
    const auto model = ReadStudioModel(bytes);
    ASSERT_TRUE(model.has_value());
    EXPECT_EQ(model->sequenceLabels, std::vector<std::string>{"idle"});
}

// Labels of Counter-Strike 1.6's own player models (a selection, in file order).
const std::vector<std::string> kCsPlayerLabels = {"dummy",
                                                  "idle1",
                                                  "crouch_idle",
                                                  "walk",
                                                  "run",
                                                  "crouchrun",
                                                  "jump",
                                                  "swim",
                                                  "crouch_aim_carbine",
                                                  "crouch_shoot_carbine",
                                                  "ref_aim_carbine",
                                                  "ref_shoot_carbine",
                                                  "crouch_aim_onehanded",
                                                  "ref_aim_onehanded",
                                                  "crouch_aim_dualpistols_1",
                                                  "ref_aim_dualpistols_1",
                                                  "crouch_aim_grenade",
                                                  "ref_aim_grenade",
                                                  "crouch_aim_c4",
                                                  "ref_aim_c4",
                                                  "crouch_aim_knife",
                                                  "ref_aim_knife",
                                                  "crouch_aim_ak47",
                                                  "ref_aim_ak47",
                                                  "gut_flinch",
                                                  "head_flinch",
                                                  "death1",
                                                  "head",
                                                  "crouch_die"};

TEST(StudioModel, RecognisesPlayerSequences) {
    struct Case {
        const char* name;
        std::vector<std::string> labels;
        bool player;
    };
    const Case cases[] = {
        {"Counter-Strike player", kCsPlayerLabels, true},
        {"view model", {"idle", "reload", "draw", "shoot1", "shoot2", "shoot3"}, false},
        {"no sequences", {}, false},
        {"three stances of both kinds",
         {"ref_aim_knife", "crouch_aim_knife", "ref_aim_c4", "crouch_aim_c4", "ref_aim_mp5",
          "crouch_aim_mp5"},
         true},
        {"labels compared without case",
         {"REF_AIM_Knife", "crouch_aim_KNIFE", "Ref_Aim_c4", "CROUCH_AIM_C4", "ref_aim_mp5",
          "Crouch_Aim_Mp5"},
         true},
        {"only two stances",
         {"ref_aim_knife", "crouch_aim_knife", "ref_aim_c4", "crouch_aim_c4"},
         false},
        {"standing and crouching for different weapons",
         {"ref_aim_a", "ref_aim_b", "ref_aim_c", "crouch_aim_x", "crouch_aim_y", "crouch_aim_z"},
         false},
        {"one weapon repeated",
         {"ref_aim_knife", "ref_aim_knife", "ref_aim_knife", "crouch_aim_knife", "crouch_aim_knife",
          "crouch_aim_knife"},
         false},
        {"shooting stances are not aiming stances",
         {"ref_shoot_knife", "crouch_shoot_knife", "ref_shoot_c4", "crouch_shoot_c4",
          "ref_shoot_mp5", "crouch_shoot_mp5"},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StudioModelInfo model;
        model.sequenceLabels = c.labels;
        EXPECT_EQ(HasPlayerSequences(model), c.player);
    }
}

TEST(StudioModel, HasPlayerSequencesOfABuiltPlayerModel) {
    const auto model = ReadStudioModel(BuildModel(kCsPlayerLabels, 1, 0));
    ASSERT_TRUE(model.has_value());
    EXPECT_TRUE(HasPlayerSequences(*model));
}

TEST(StudioModel, NamesCompanionFiles) {
    struct Case {
        const char* fileName;
        std::int32_t textures;
        std::int32_t groups;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"v_ak47.mdl", 0, 1, {"v_ak47t.mdl"}},
        {"v_ak47.mdl", 4, 1, {}},
        {"v_ak47.mdl", 4, 0, {}},
        {"v_ak47.mdl", 0, 3, {"v_ak47t.mdl", "v_ak4701.mdl", "v_ak4702.mdl"}},
        {"gign.mdl",
         2,
         12,
         {"gign01.mdl", "gign02.mdl", "gign03.mdl", "gign04.mdl", "gign05.mdl", "gign06.mdl",
          "gign07.mdl", "gign08.mdl", "gign09.mdl", "gign10.mdl", "gign11.mdl"}},
        {"V_AK47.MDL", 0, 1, {"V_AK47t.mdl"}},
        {"models\\player\\vip\\vip.mdl",
         0,
         2,
         {"models\\player\\vip\\vipt.mdl", "models\\player\\vip\\vip01.mdl"}},
        {"model", 0, 1, {"modelt.mdl"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fileName) + " textures " + std::to_string(c.textures) +
                     " groups " + std::to_string(c.groups));
        StudioModelInfo model;
        model.textureCount = c.textures;
        model.sequenceGroupCount = c.groups;
        EXPECT_EQ(StudioCompanionNames(c.fileName, model), c.names);
    }
}

TEST(StudioModel, NamesAtMostNinetyNineGroupFiles) {
    StudioModelInfo model;
    model.textureCount = 1;
    model.sequenceGroupCount = kMostSequenceGroups;
    const std::vector<std::string> names = StudioCompanionNames("big.mdl", model);
    ASSERT_EQ(names.size(), 99u);
    EXPECT_EQ(names.front(), "big01.mdl");
    EXPECT_EQ(names.back(), "big99.mdl");
}

}  // namespace
}  // namespace varnholt
