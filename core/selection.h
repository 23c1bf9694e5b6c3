#pragma once

#include <array>
#include <cstdint>
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
};

bool IsAccepted(std::string_view markCaption);
// The game row's name test: the file name is exactly "hl.exe" or "cstrike.exe".
bool IsGameExecutableName(std::string_view path);
// The extension an add-on row accepts ("amxx", "mdl", "spr", "bsp"); empty for the game row.
std::string_view AcceptedExtension(SelectionKind row);
// Writes a mark: the colour always before the caption; a blank mark keeps its colour.
void WriteMark(SelectionWindow& window, SelectionKind row, CheckMark mark);

// Judges one row's text into its mark, then refreshes readiness.
void CheckSelection(SelectionKind row, SelectionWindow& window, FileSystem& files);
// Sets the install and run-game buttons from the five marks.
void RefreshReadiness(SelectionWindow& window);

}  // namespace varnholt
