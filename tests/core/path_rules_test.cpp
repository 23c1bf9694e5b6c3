#include "core/path_rules.h"

#include <gtest/gtest.h>

namespace varnholt {
namespace {

struct PathCase {
    const char* path;
    const char* fileName;
    const char* extension;
    const char* gameRoot;  // nullptr where the game root is of no interest
};

// The worked examples of the path rules; non-ASCII paths in UTF-8.
const PathCase kPathCases[] = {
    {"D:\\Games\\CS\\hl.exe", "hl.exe", "exe", "D:\\Games\\CS\\"},
    {"E:\\Program Files\\Valve\\cstrike.exe", "cstrike.exe", "exe", "E:\\Program Files\\Valve\\"},
    {"D:\\CS 1.6\\hl.exe", "hl.exe", "exe", "D:\\CS 1.6\\"},
    {"D:\\hl.exe", "hl.exe", "exe", "D:\\"},
    {"D:\\游戏\\hl.exe", "hl.exe", "exe", "D:\\游戏\\"},
    {"D:\\x.exe\\hl.exe", "hl.exe", "exe", "D:\\x.exe\\"},
    {"D:\\Games\\CS\\HL.EXE", "HL.EXE", "EXE", "D:\\Games\\CS\\HL.EXE"},
    {"D:\\CS\\hl.exe.bak", "hl.exe.bak", "bak", "D:\\CS\\hl.e"},
    {"D:\\a.exe\\b.com", "b.com", "com", "D:\\a.exe\\b.com"},
    {"hl.exe", "hl.exe", "exe", ""},
    {"D:/Games/hl.exe", "D:/Games/hl.exe", "exe", ""},
    {"D:\\Games\\CS\\", "", "D:\\Games\\CS\\", "D:\\Games\\CS\\"},
    {"D:\\plugins\\admin.amxx", "admin.amxx", "amxx", nullptr},
    {"D:\\plugins\\ADMIN.AMXX", "ADMIN.AMXX", "AMXX", nullptr},
    {"D:\\maps\\de_dust2", "de_dust2", "D:\\maps\\de_dust2", nullptr},
    {"D:\\my.maps\\de_dust2", "de_dust2", "maps\\de_dust2", nullptr},
    {"D:\\maps\\de_dust2.", "de_dust2.", "", nullptr},
    {"D:\\maps\\x.tar.bsp", "x.tar.bsp", "bsp", nullptr},
    {"D:\\maps\\.bsp", ".bsp", "bsp", nullptr},
    {"D:\\maps\\運.bsp", "運.bsp", "bsp", nullptr},
    {"", "", "", ""},
};

TEST(PathRules, WorkedExamples) {
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOf(c.path), c.fileName);
        EXPECT_EQ(ExtensionOf(c.path), c.extension);
        if (c.gameRoot) {
            EXPECT_EQ(GameRootOf(c.path), c.gameRoot);
        }
    }
}

TEST(PathRules, LastPositionIsOneBasedByteIndexOfLastMatch) {
    struct Case {
        const char* text;
        const char* piece;
        std::ptrdiff_t position;
    };
    const Case cases[] = {
        {"a\\b\\c", "\\", 4},
        {"abc", "\\", -1},
        {"", "\\", -1},
        {"\\", "\\", 1},
        {"x.exe.exe", ".exe", 6},
        {"ab", "abc", -1},
        // "游" is E6 B8 B8: a match that starts inside a character is never taken.
        {"游", "\xB8", -1},
        {"\xB8\xB8", "\xB8", 2},  // stray continuation bytes count as characters
        {"a游b", "b", 5},
        {"HL.EXE", ".exe", -1},  // no case folding
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.piece);
        EXPECT_EQ(LastPositionOf(c.text, c.piece), c.position);
    }
}

TEST(PathRules, CutsClampTheirCount) {
    struct Case {
        std::ptrdiff_t count;
        const char* right;
        const char* left;
    };
    const Case cases[] = {
        {-5, "", ""}, {0, "", ""}, {1, "f", "a"}, {3, "def", "abc"}, {6, "abcdef", "abcdef"},
        {99, "abcdef", "abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(RightPart("abcdef", c.count), c.right);
        EXPECT_EQ(LeftPart("abcdef", c.count), c.left);
    }
    // The cuts count bytes and know nothing of characters.
    EXPECT_EQ(RightPart("游", 1), "\xB8");
}

}  // namespace
}  // namespace varnholt
