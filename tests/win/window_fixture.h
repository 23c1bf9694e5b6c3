#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/installer_state.h"
#include "tests/win/forwarding_file_system.h"
#include "ui/main_window.h"
#include "ui/services.h"

namespace varnholt::testing {

// Records what the window asks of the system instead of starting games or browsers.
class RecordingServices final : public Services {
public:
    struct Start {
        std::string application, commandLine, folder;
    };
    struct Message {
        std::string text, caption;
        unsigned flags;
        void* owner;
    };
    std::vector<Start> starts;
    std::vector<bool> siteOpenedWhileVisible;  // one entry per opening
    std::vector<Message> messages;
    HWND* watched = nullptr;  // the window whose visibility each opening notes

    bool StartProcess(const std::string& application, const std::string& commandLine,
                      const std::string& folder) override {
        starts.push_back({application, commandLine, folder});
        return true;
    }
    void OpenAddress(const std::string& address) override {
        EXPECT_EQ(address, "http://varnholt.example/");
        siteOpenedWhileVisible.push_back(watched && *watched && IsWindowVisible(*watched));
    }
    int ShowMessage(void* owner, const std::string& text, const std::string& caption,
                    unsigned flags) override {
        messages.push_back({text, caption, flags, owner});
        return IDOK;
    }
};

// The real file system, counting existence queries: each non-empty row check asks one.
class CountingFileSystem final : public ForwardingFileSystem {
public:
    int existsCalls = 0;

    bool Exists(const std::string& path) override {
        ++existsCalls;
        return ForwardingFileSystem::Exists(path);
    }
};

// Answers the window's questions as the test says, and keeps what it was shown.
class AnsweringServices final : public Services {
public:
    bool undoOnReport = false;
    int answer = IDYES;
    std::vector<std::string> messages, reports, folders;
    std::vector<bool> offeredUndo;

    bool StartProcess(const std::string&, const std::string&, const std::string&) override {
        return true;
    }
    void OpenAddress(const std::string&) override {}
    int ShowMessage(void*, const std::string& text, const std::string&, unsigned) override {
        messages.push_back(text);
        return answer;
    }
    bool ShowReport(void*, const std::string& text, bool, bool offerUndo) override {
        reports.push_back(text);
        offeredUndo.push_back(offerUndo);
        return offerUndo && undoOnReport;
    }
    void OpenFolder(const std::string& folder) override { folders.push_back(folder); }
};

// The texts of a menu's items, in order (separators read as empty texts).
inline std::vector<std::wstring> MenuItems(HMENU menu) {
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        items.push_back(text);
    }
    return items;
}

// A real main window, created and shown as the program does, with recording services.
class WindowTest : public ::testing::Test {
public:
    WindowTest() {
        services.watched = &handle;
        window = std::make_unique<MainWindow>(state, files, services);
        window->SetQuitOnClose(false);
        // Note the handle as soon as it exists, so start-up can be watched.
        created = window->Create(GetModuleHandleW(nullptr));
        handle = window->handle();
        window->Show();
        Pump();
    }

    // Replaces the window with a fresh one that reaches the system through `other`.
    void Recreate(Services& other) {
        window.reset();
        window = std::make_unique<MainWindow>(state, files, other);
        window->SetQuitOnClose(false);
        created = window->Create(GetModuleHandleW(nullptr));
        handle = window->handle();
        window->Show();
    }

    static void Pump() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    HWND Control(ControlRole role) const { return window->Control(role); }
    std::string Text(ControlRole role) const;
    void Click(ControlRole role) { SendMessageW(Control(role), BM_CLICK, 0, 0); }
    bool Enabled(ControlRole role) const { return IsWindowEnabled(Control(role)) != FALSE; }
    void Type(ControlRole role, const std::wstring& keys) {
        for (wchar_t key : keys) SendMessageW(Control(role), WM_CHAR, key, 1);
    }

    InstallerState state;
    CountingFileSystem files;
    RecordingServices services;
    HWND handle = nullptr;
    bool created = false;
    std::unique_ptr<MainWindow> window;
};

}  // namespace varnholt::testing
