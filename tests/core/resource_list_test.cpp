#include "core/resource_list.h"

#include <gtest/gtest.h>

#include <optional>

namespace varnholt {
namespace {

TEST(ResourceList, KeepsPathsBelowTheModFolder) {
    struct Case {
        const char* path;
        std::optional<std::string> relative;
    };
    const Case cases[] = {
        {"sound/ambience/wind.wav", "sound\\ambience\\wind.wav"},
        {"models\\props\\crate.mdl", "models\\props\\crate.mdl"},
        {" \tgfx/env/skyup.tga\t ", "gfx\\env\\skyup.tga"},
        {"./models//./a.mdl/", "models\\a.mdl"},
        {"sound/\xD3\xCE\xCF\xB7/\xE6\xB8\xB8.wav", "sound\\\xD3\xCE\xCF\xB7\\\xE6\xB8\xB8.wav"},
        {"maps/de_dust2.res.txt", "maps\\de_dust2.res.txt"},
        {"..\\hl.exe", std::nullopt},
        {"sound/../../valve/x.wav", std::nullopt},
        {"sound/.. /x.wav", std::nullopt},
        {"sound/.../x.wav", std::nullopt},
        {"sound/x.wav.", std::nullopt},
        {"sound/x.wav ", "sound\\x.wav"},  // the blank is trimmed, not part of the name
        {"sound/x /y.wav", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"\\windows\\win.ini", std::nullopt},
        {"\\\\server\\share\\x.wav", std::nullopt},
        {"c:\\windows\\x.wav", std::nullopt},
        {"c:x.wav", std::nullopt},
        {"sound/x.wav:stream", std::nullopt},
        {"sound/x*.wav", std::nullopt},
        {"sound/x?.wav", std::nullopt},
        {"sound/\"x\".wav", std::nullopt},
        {"sound/<x>|.wav", std::nullopt},
        {"sound/x\x01.wav", std::nullopt},
        {"sound/a\tb.wav", std::nullopt},
        {".", std::nullopt},
        {"./", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ModRelativePath(c.path), c.relative);
    }
}

TEST(ResourceList, ComparesPathsWithoutAsciiCase) {
    EXPECT_TRUE(SamePathIgnoringCase("Sound\\X.WAV", "sound\\x.wav"));
    EXPECT_FALSE(SamePathIgnoringCase("sound\\x.wav", "sound\\x.wa"));
    EXPECT_FALSE(SamePathIgnoringCase("sound\\x.wav", "sound/x.wav"));
    // Bytes outside ASCII are compared exactly: 0xC4 and 0xE4 are not one letter in two cases.
    EXPECT_FALSE(SamePathIgnoringCase("\xC4.wav", "\xE4.wav"));
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += item + '|';
    return text;
}

TEST(ResourceList, ParsesLists) {
    struct Case {
        const char* name;
        std::string text;
        const char* paths;
    };
    const Case cases[] = {
        {"LF lines", "sound/a.wav\nmodels/b.mdl\n", "sound\\a.wav|models\\b.mdl|"},
        {"CR LF lines", "sound/a.wav\r\nmodels/b.mdl\r\n", "sound\\a.wav|models\\b.mdl|"},
        {"no line break at the end", "sound/a.wav\nsprites/c.spr", "sound\\a.wav|sprites\\c.spr|"},
        {"comments and blank lines",
         "// made by the compiler\r\n\r\n  \t\r\nsound/a.wav // the bird\r\n//models/x.mdl\r\n",
         "sound\\a.wav|"},
        {"a comment after a path", "sound/a.wav //x y\nmodels/b.mdl",
         "sound\\a.wav|models\\b.mdl|"},
        {"\"//\" inside a path is no comment", "sound//a.wav", "sound\\a.wav|"},
        {"blanks separate paths", "sound/a.wav\tmodels/b.mdl sprites/c.spr",
         "sound\\a.wav|models\\b.mdl|sprites\\c.spr|"},
        {"quoted path with a blank", "\"sound/my bird.wav\"\r\n", "sound\\my bird.wav|"},
        {"each path once, without case", "sound/a.wav\nSOUND\\A.WAV\nsound//a.wav\nmodels/b.mdl\n",
         "sound\\a.wav|models\\b.mdl|"},
        {"paths leaving the mod folder dropped",
         "../x.wav\n/y.wav\nc:\\z.wav\nsound/../../w.wav\nsound/ok.wav\n", "sound\\ok.wav|"},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFsound/a.wav\n", "sound\\a.wav|"},
        {"a NUL ends the list", std::string("sound/a.wav\nsound/b\0.wav\nsound/c.wav\n", 37),
         "sound\\a.wav|sound\\b|"},
        {"unterminated quote runs to the end", "sound/a.wav\n\"sound/b c.wav",
         "sound\\a.wav|sound\\b c.wav|"},
        {"empty", "", ""},
        {"only comments", "// nothing\n//\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Joined(ParseResourceList(c.text)), c.paths);
    }
}

}  // namespace
}  // namespace varnholt
