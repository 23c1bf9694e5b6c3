#include "core/amxx_plugin.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "tests/core/format_builders.h"

namespace varnholt {
namespace {

using namespace testing::amx_layout;
using testing::BuildImage;
using testing::BuildPlugin;
using testing::Compressed;
using testing::Names;
using testing::PutInt;
using testing::SectionSpec;

const char* NameOf(AmxxProblem problem) {
    switch (problem) {
        case AmxxProblem::None:
            return "None";
        case AmxxProblem::NotAmxx:
            return "NotAmxx";
        case AmxxProblem::BadVersion:
            return "BadVersion";
        case AmxxProblem::BadSection:
            return "BadSection";
        case AmxxProblem::BadImage:
            return "BadImage";
    }
    return "?";
}

TEST(AmxxPlugin, FindsTheModulesAPluginLoads) {
    struct Case {
        const char* name;
        std::vector<std::string> libraries;
        std::vector<std::string> tags;
        std::vector<std::string> modules;
        std::vector<std::string> raw;
    };
    const Case cases[] = {
        {"include files of AMX Mod X 1.8",
         {},
         {"Float", "?rl_fun", "?f_fun", "bool", "?rl_cstrike", "?f_cstrike", "?rl_fakemeta",
          "?f_fakemeta", "?rl_hamsandwich", "?f_hamsandwich"},
         {"fun", "cstrike", "fakemeta", "hamsandwich"},
         {"?rl_fun", "?f_fun", "?rl_cstrike", "?f_cstrike", "?rl_fakemeta", "?f_fakemeta",
          "?rl_hamsandwich", "?f_hamsandwich"}},
        {"required only: the game does not load a module for it",
         {},
         {"?rl_zp50_core", "?rc_sqlx"},
         {},
         {"?rl_zp50_core", "?rc_sqlx"}},
        {"sqlx with its default driver",
         {},
         {"?rc_sqlx", "?d_sqlx_mysql"},
         {"mysql"},
         {"?rc_sqlx", "?d_sqlx_mysql"}},
        {"expected library and class",
         {},
         {"?el_csstats_csx", "?ec_dbi_sqlite"},
         {"csx", "sqlite"},
         {"?el_csstats_csx", "?ec_dbi_sqlite"}},
        {"a doubled underscore belongs to the library name",
         {},
         {"?d_my__class_geoip"},
         {"geoip"},
         {"?d_my__class_geoip"}},
        {"old #pragma library entries",
         {"fun", "Float", "socket", "DBI", "Engine"},
         {},
         {"fun", "sockets", "mysql", "engine"},
         {"fun", "Float", "socket", "DBI", "Engine"}},
        {"each module once, in lower case, libraries first",
         {"FUN"},
         {"?f_engine", "?f_Fun", "?f_ENGINE"},
         {"fun", "engine"},
         {"FUN", "?f_engine", "?f_Fun", "?f_ENGINE"}},
        {"names that cannot be module files",
         {"../x", ""},
         {"?f_", "?f_..\\evil", "?f_a b", "?d_sqlx", "?d_sqlx_", "?el_onlyone", "?x_what",
          "?rlfun"},
         {},
         {"../x", "", "?f_", "?f_..\\evil", "?f_a b", "?d_sqlx", "?d_sqlx_", "?el_onlyone",
          "?x_what", "?rlfun"}},
        {"no libraries at all", {}, {"Float"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AmxxRequirements read = ReadAmxxPlugin(BuildPlugin(BuildImage(c.libraries, c.tags)));
        EXPECT_EQ(NameOf(read.problem), std::string("None"));
        EXPECT_EQ(read.modules, c.modules);
        EXPECT_EQ(read.libraries, c.raw);
    }
}

TEST(AmxxPlugin, ReadsOldImagesWithNamesInTheirRecords) {
    const AmxxRequirements read =
        ReadAmxxPlugin(BuildPlugin(BuildImage({"fun"}, {"?f_engine", "Float"}, Names::Inline)));
    EXPECT_EQ(read.problem, AmxxProblem::None);
    EXPECT_EQ(read.modules, (std::vector<std::string>{"fun", "engine"}));
    EXPECT_EQ(read.libraries, (std::vector<std::string>{"fun", "?f_engine"}));
}

TEST(AmxxPlugin, ReadsTheSectionOfThirtyTwoBitCells) {
    const std::string plugin =
        BuildPlugin({{8, BuildImage({}, {"?f_wrong"})}, {4, BuildImage({}, {"?f_right"})}});
    const AmxxRequirements read = ReadAmxxPlugin(plugin);
    EXPECT_EQ(read.problem, AmxxProblem::None);
    EXPECT_EQ(read.modules, std::vector<std::string>{"right"});
}

TEST(AmxxPlugin, ReadsTheSectionCountAsASignedByte) {
    // AMX Mod X keeps the count in a char: 127 sections are read, 128 is a count of -128.
    const std::vector<SectionSpec> most(127, SectionSpec{4, BuildImage({}, {"?f_fun"})});
    EXPECT_EQ(ReadAmxxPlugin(BuildPlugin(most)).problem, AmxxProblem::None);
    std::vector<SectionSpec> tooMany = most;
    tooMany.push_back(most.front());
    const std::string plugin = BuildPlugin(tooMany);
    ASSERT_EQ(plugin[kCountAt], '\x80');
    EXPECT_EQ(ReadAmxxPlugin(plugin).problem, AmxxProblem::BadSection);
}

TEST(AmxxPlugin, AnImageMayInflateToLessThanItsStatedSize) {
    const std::string image = BuildImage({}, {"?f_fun"});
    for (std::int64_t stated :
         {static_cast<std::int64_t>(image.size()), static_cast<std::int64_t>(image.size()) + 1,
          static_cast<std::int64_t>(1) << 20}) {
        SCOPED_TRACE(stated);
        const AmxxRequirements read = ReadAmxxPlugin(BuildPlugin({{4, image, stated}}));
        EXPECT_EQ(read.problem, AmxxProblem::None);
        EXPECT_EQ(read.modules, std::vector<std::string>{"fun"});
    }
}

TEST(AmxxPlugin, AnImageLargerThanTheFirstInflateChunkIsReadWhole) {
    std::vector<std::string> tags;
    for (int i = 0; i < 8000; ++i) tags.push_back("?f_m" + std::to_string(i));
    const std::string image = BuildImage({}, tags);
    ASSERT_GT(image.size(), 2u * 64 * 1024);  // the buffer grows twice
    const AmxxRequirements read = ReadAmxxPlugin(BuildPlugin(image));
    EXPECT_EQ(read.problem, AmxxProblem::None);
    ASSERT_EQ(read.modules.size(), 8000u);
    EXPECT_EQ(read.modules.back(), "m7999");
}

TEST(AmxxPlugin, RefusesMalformedContainers) {
    const std::string image = BuildImage({}, {"?f_fun"});
    const std::string good = BuildPlugin(image);
    const std::string compressed = Compressed(image);
    ASSERT_EQ(ReadAmxxPlugin(good).problem, AmxxProblem::None);

    struct Case {
        const char* name;
        std::function<void(std::string&)> spoil;
        AmxxProblem problem;
    };
    const Case cases[] = {
        {"empty", [](std::string& b) { b.clear(); }, AmxxProblem::NotAmxx},
        {"three bytes", [](std::string& b) { b.resize(3); }, AmxxProblem::NotAmxx},
        {"a bare AMX image", [&](std::string& b) { b = image; }, AmxxProblem::NotAmxx},
        {"magic in the other byte order", [](std::string& b) { b.replace(0, 4, "AMXX"); },
         AmxxProblem::NotAmxx},
        {"container of AMX Mod X 1.0", [](std::string& b) { b.replace(0, 4, "BXMA"); },
         AmxxProblem::BadVersion},
        {"run-length file", [](std::string& b) { b.replace(0, 4, "BELR"); },
         AmxxProblem::BadVersion},
        {"version 0x0200", [](std::string& b) { b[5] = 2; }, AmxxProblem::BadVersion},
        {"version 0x0301", [](std::string& b) { b[4] = 1; }, AmxxProblem::BadVersion},
        {"cut in the version", [](std::string& b) { b.resize(5); }, AmxxProblem::BadVersion},
        {"cut before the count", [](std::string& b) { b.resize(6); }, AmxxProblem::BadSection},
        {"no sections", [](std::string& b) { b[kCountAt] = 0; }, AmxxProblem::BadSection},
        {"negative count", [](std::string& b) { b[kCountAt] = '\x80'; }, AmxxProblem::BadSection},
        {"count of -1", [](std::string& b) { b[kCountAt] = '\xFF'; }, AmxxProblem::BadSection},
        {"cut in the section table", [](std::string& b) { b.resize(kOffsetAt + 2); },
         AmxxProblem::BadSection},
        {"count past the table's end", [](std::string& b) { b[kCountAt] = 120; },
         AmxxProblem::BadSection},
        {"only a 64-bit section", [](std::string& b) { b[kCellSizeAt] = 8; },
         AmxxProblem::BadSection},
        {"negative compressed size", [](std::string& b) { PutInt(b, kDiskSizeAt, -5); },
         AmxxProblem::BadSection},
        {"zero compressed size", [](std::string& b) { PutInt(b, kDiskSizeAt, 0); },
         AmxxProblem::BadSection},
        {"compressed data past the end",
         [&](std::string& b) {
             PutInt(b, kDiskSizeAt, static_cast<std::int64_t>(compressed.size()) + 1);
         },
         AmxxProblem::BadSection},
        {"largest compressed size", [](std::string& b) { PutInt(b, kDiskSizeAt, INT_MAX); },
         AmxxProblem::BadSection},
        {"negative offset", [](std::string& b) { PutInt(b, kOffsetAt, -1); },
         AmxxProblem::BadSection},
        {"offset past the end",
         [](std::string& b) { PutInt(b, kOffsetAt, static_cast<std::int64_t>(b.size())); },
         AmxxProblem::BadSection},
        {"offset inside the section table", [](std::string& b) { PutInt(b, kOffsetAt, 3); },
         AmxxProblem::BadSection},
        {"zero image size", [](std::string& b) { PutInt(b, kImageSizeAt, 0); },
         AmxxProblem::BadSection},
        {"negative image size", [](std::string& b) { PutInt(b, kImageSizeAt, INT_MIN); },
         AmxxProblem::BadSection},
        {"image size past the bound",
         [](std::string& b) { PutInt(b, kImageSizeAt, kLargestAmxImage + 1); },
         AmxxProblem::BadSection},
        {"inflates one byte past its stated size",
         [&](std::string& b) {
             PutInt(b, kImageSizeAt, static_cast<std::int64_t>(image.size()) - 1);
         },
         AmxxProblem::BadSection},
        {"inflates far past its stated size", [](std::string& b) { PutInt(b, kImageSizeAt, 1); },
         AmxxProblem::BadSection},
        {"zlib data cut short",
         [&](std::string& b) {
             PutInt(b, kDiskSizeAt, static_cast<std::int64_t>(compressed.size()) - 5);
         },
         AmxxProblem::BadSection},
        {"zlib data damaged", [](std::string& b) { b[b.size() - 6] ^= 0x5A; },
         AmxxProblem::BadSection},
        {"not zlib data", [&](std::string& b) { b[b.size() - compressed.size()] = 'Q'; },
         AmxxProblem::BadSection},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.spoil(bytes);
        const AmxxRequirements read = ReadAmxxPlugin(bytes);
        EXPECT_STREQ(NameOf(read.problem), NameOf(c.problem));
        EXPECT_TRUE(read.modules.empty());
        EXPECT_TRUE(read.libraries.empty());
    }
}

TEST(AmxxPlugin, RefusesMalformedImages) {
    // One library ("fun") and one tag ("?f_engine"): records at 56 and 64, names from 74.
    const std::string good = BuildImage({"fun"}, {"?f_engine"});
    ASSERT_EQ(ReadAmxxPlugin(BuildPlugin(good)).problem, AmxxProblem::None);
    const auto size = static_cast<std::int64_t>(good.size());

    struct Case {
        const char* name;
        std::function<void(std::string&)> spoil;
    };
    const Case cases[] = {
        {"shorter than its header", [](std::string& i) { i.resize(kAmxHeaderSize - 1); }},
        {"wrong magic", [](std::string& i) { PutInt(i, 4, 0xF1E1, 2); }},
        {"file version 5", [](std::string& i) { i[kFileVersionAt] = 5; }},
        {"file version 9", [](std::string& i) { i[kFileVersionAt] = 9; }},
        {"record size 12", [](std::string& i) { PutInt(i, kRecordSizeAt, 12, 2); }},
        {"record size 0", [](std::string& i) { PutInt(i, kRecordSizeAt, 0, 2); }},
        {"libraries inside the header", [](std::string& i) { PutInt(i, kLibrariesAt, 40); }},
        {"negative libraries offset", [](std::string& i) { PutInt(i, kLibrariesAt, INT_MIN); }},
        {"libraries end before they start",
         [](std::string& i) { PutInt(i, kPublicVariablesAt, 48); }},
        {"libraries end past the image",
         [&](std::string& i) { PutInt(i, kPublicVariablesAt, size + 1); }},
        {"tags past the image", [&](std::string& i) { PutInt(i, kTagsAt, size + 8); }},
        {"tags end past the image", [&](std::string& i) { PutInt(i, kNameTableAt, size + 8); }},
        {"tags end near int32 max", [](std::string& i) { PutInt(i, kNameTableAt, INT_MAX); }},
        {"name offset past the image",
         [&](std::string& i) { PutInt(i, kAmxHeaderSize + 4, size); }},
        {"name offset with its high bit set",
         [](std::string& i) { PutInt(i, kAmxHeaderSize + 4, 0x80000010); }},
        {"last name without its NUL", [](std::string& i) { i.resize(i.size() - kCodeSize - 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string image = good;
        c.spoil(image);
        const AmxxRequirements read = ReadAmxxPlugin(BuildPlugin(image));
        EXPECT_STREQ(NameOf(read.problem), "BadImage");
        EXPECT_TRUE(read.modules.empty());
    }
}

TEST(AmxxPlugin, RefusesNamesThatDoNotEnd) {
    struct Case {
        const char* name;
        std::string image;
    };
    const Case cases[] = {
        {"name longer than 63 bytes", BuildImage({}, {"?f_" + std::string(61, 'a')})},
        {"inline name filling its 20 bytes",
         BuildImage({}, {"?f_" + std::string(17, 'a')}, Names::Inline)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(NameOf(ReadAmxxPlugin(BuildPlugin(c.image)).problem), "BadImage");
    }
    // One byte shorter, each ends in time.
    EXPECT_EQ(ReadAmxxPlugin(BuildPlugin(BuildImage({}, {"?f_" + std::string(60, 'a')}))).problem,
              AmxxProblem::None);
    EXPECT_EQ(
        ReadAmxxPlugin(BuildPlugin(BuildImage({}, {"?f_" + std::string(16, 'a')}, Names::Inline)))
            .problem,
        AmxxProblem::None);
}

}  // namespace
}  // namespace varnholt
