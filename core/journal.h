#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"

namespace varnholt {

// Every install keeps a journal in its backup folder: UTF-8 text, one action a line, each
// written before the action is carried out, so that whatever stops the program, the game can
// be put back. Paths are relative to the game folder, so a moved game folder still undoes.
inline constexpr char kJournalHeader[] = "varnholt journal 1";
inline constexpr char kJournalName[] = "journal.txt";

enum class JournalAction {
    Add,      // a new file: `relative`, written as `stamp`
    Replace,  // `relative` replaced by the file `stamp`; the old one is kept at `backup`
    Append,   // `bytes` written at `offset` into the list `relative`, which had `oldSize`
              // bytes; `overwritten` are the old bytes written over
    Folder,   // a folder the install made: `relative`
    End,      // the install finished
    Undone,   // the action line number `index` (counting actions from 0) was taken back
};

struct JournalLine {
    JournalAction action = JournalAction::End;
    std::string relative;
    std::string backup;
    FileStamp stamp;
    std::uint64_t offset = 0;
    std::uint64_t oldSize = 0;
    std::string overwritten;
    std::string bytes;
    std::size_t index = 0;

    bool operator==(const JournalLine&) const = default;
};

// One line, without its line break.
std::string FormatJournalLine(const JournalLine& line);
std::optional<JournalLine> ParseJournalLine(std::string_view text);

struct Journal {
    bool valid = false;     // the text starts with the header
    bool complete = false;  // the install reached its end
    std::vector<JournalLine> actions;  // Add, Replace, Append and Folder, in order
    std::vector<bool> undone;          // one per action
    std::size_t unreadable = 0;        // lines that could not be read (a cut-off last line)

    bool HasPending() const;
};

Journal ParseJournal(std::string_view text);

}  // namespace varnholt
