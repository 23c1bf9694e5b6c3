#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/selection.h"
#include "tests/core/memory_file_system.h"

namespace varnholt::testing {

// The window's controls as plain values, with a log of every write.
class FakeWindow final : public SelectionWindow {
public:
    std::map<SelectionKind, std::string> boxes;
    std::map<SelectionKind, std::string> captions;
    std::map<SelectionKind, std::uint32_t> colours;
    bool installEnabled = false;
    bool runGameEnabled = false;
    std::vector<std::string> writes;

    std::string BoxText(SelectionKind row) override { return boxes[row]; }
    void SetMarkColour(SelectionKind row, std::uint32_t colour) override {
        colours[row] = colour;
        writes.push_back("colour " + std::to_string(colour));
    }
    void SetMarkCaption(SelectionKind row, const std::string& caption) override {
        captions[row] = caption;
        writes.push_back("caption " + caption);
    }
    std::string MarkCaption(SelectionKind row) override { return captions[row]; }
    void EnableButton(ActionButton button, bool enabled) override {
        (button == ActionButton::Install ? installEnabled : runGameEnabled) = enabled;
        writes.push_back(std::string(button == ActionButton::Install ? "install " : "run ") +
                         (enabled ? "on" : "off"));
    }
};

// A file system that knows only which paths exist.
class ExistenceOnly final : public MemoryFileSystem {
public:
    std::set<std::string> existing;

    bool Exists(const std::string& path) override { return existing.count(path) > 0; }
};

}  // namespace varnholt::testing
