#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnholt {

class FileSystem;

// The five path rows, in screen order.
enum class SelectionKind { Game, Plugin, Model, Effect, Map };

inline constexpr std::array<SelectionKind, 5> kAllRows = {
    SelectionKind::Game, SelectionKind::Plugin, SelectionKind::Model, SelectionKind::Effect,
    SelectionKind::Map};
// The add-on rows, in the order the install run handles them.
inline constexpr std::array<SelectionKind, 4> kAddOnRows = {
    SelectionKind::Plugin, SelectionKind::Model, SelectionKind::Effect, SelectionKind::Map};

enum class CheckMark { Blank, Accepted, Rejected };

inline constexpr std::string_view kAcceptedCaption = "\u221A";  // √
inline constexpr std::string_view kRejectedCaption = "\u00D7";  // ×
// Colour words: red in the lowest byte, then green, then blue.
inline constexpr std::uint32_t kAcceptedColour = 65280;  // pure green
inline constexpr std::uint32_t kRejectedColour = 255;    // pure red

enum class ActionButton { Install, RunGame };

// Why a row got its mark; the window explains it, the caption stays the verdict.
enum class Verdict {
    Blank,           // the box is empty
    Accepted,
    Missing,         // no file or folder of that name
    WrongGameName,   // the game file is not named hl.exe or cstrike.exe
    WrongExtension,  // not the row's extension, in lower case
};

// The window operations the checks need. The mark's caption is the only record of a row's
// verdict: readiness and the install run read it back from here.
class SelectionWindow {
public:
    virtual ~SelectionWindow() = default;
    virtual std::string BoxText(SelectionKind row) = 0;
    virtual void SetMarkColour(SelectionKind row, std::uint32_t colourWord) = 0;
    virtual void SetMarkCaption(SelectionKind row, const std::string& caption) = 0;
    virtual std::string MarkCaption(SelectionKind row) = 0;
    virtual void EnableButton(ActionButton button, bool enabled) = 0;
    // Told the reason for each mark written, with the text that was judged.
    virtual void NoteVerdict(SelectionKind /*row*/, Verdict /*verdict*/, const std::string& /*text*/) {}
};

bool IsAccepted(std::string_view markCaption);
// The game row's name test: the file name is exactly "hl.exe" or "cstrike.exe".
bool IsGameExecutableName(std::string_view path);
// The extension an add-on row accepts ("amxx", "mdl", "spr", "bsp"); empty for the game row.
std::string_view AcceptedExtension(SelectionKind row);
// The row a dropped file fits by its name: "hl.exe" or "cstrike.exe" the game row, an
// extension of "amxx", "mdl", "spr" or "bsp" that add-on row; nothing otherwise.
std::optional<SelectionKind> RowForFile(std::string_view path);
// Writes a mark: the colour always before the caption; a blank mark keeps its colour.
void WriteMark(SelectionWindow& window, SelectionKind row, CheckMark mark);

// The mark a verdict shows.
CheckMark MarkOf(Verdict verdict);
// Judges one row's text: empty, missing, or by name or extension.
Verdict Judge(SelectionKind row, const std::string& text, FileSystem& files);

// Judges one row's text into its mark, then refreshes readiness.
void CheckSelection(SelectionKind row, SelectionWindow& window, FileSystem& files);
// Sets the install and run-game buttons from the five marks.
void RefreshReadiness(SelectionWindow& window);

}  // namespace varnholt
