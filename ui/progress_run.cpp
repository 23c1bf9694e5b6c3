#include "ui/progress_run.h"

#include <commctrl.h>

#include <atomic>

#include "platform/handles.h"
#include "platform/text.h"
#include "ui/dpi.h"
#include "ui/window_class.h"

namespace varnholt {
namespace {

constexpr wchar_t kProgressClass[] = L"VarnholtProgress";
constexpr int kCancelId = 1;
constexpr DWORD kShowAfterMs = 400;  // quick packages never flash a box

struct Shared {
    const std::function<ExecutionResult(const PlanProgress&)>* work = nullptr;
    ExecutionResult result;
    std::atomic<std::size_t> files{0};
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<bool> cancel{false};
};

DWORD WINAPI Worker(void* parameter) {
    auto* shared = static_cast<Shared*>(parameter);
    try {
        shared->result = (*shared->work)([shared](std::size_t files, std::uint64_t bytes) {
            shared->files = files;
            shared->bytes = bytes;
            return !shared->cancel.load();
        });
    } catch (...) {
        // Nothing may unwind out of a thread; the report says nothing went in.
        shared->result = ExecutionResult{};
    }
    return 0;
}

LRESULT CALLBACK ProgressProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kCancelId) {
        auto* shared = reinterpret_cast<Shared*>(GetWindowLongPtrW(box, GWLP_USERDATA));
        if (shared) shared->cancel = true;
        EnableWindow(reinterpret_cast<HWND>(lParam), FALSE);
        return 0;
    }
    if (message == WM_CLOSE) {
        auto* shared = reinterpret_cast<Shared*>(GetWindowLongPtrW(box, GWLP_USERDATA));
        if (shared) shared->cancel = true;
        return 0;  // the box goes when the work has stopped
    }
    return DefWindowProcW(box, message, wParam, lParam);
}

std::string Megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return DecimalText(static_cast<unsigned long>(tenths / 10)) + "." +
           DecimalText(static_cast<unsigned long>(tenths % 10)) + " MB";
}

class ProgressBox {
public:
    ProgressBox(HWND owner, Shared& shared) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterPlainWindowClass(instance, kProgressClass, ProgressProc);
        const UINT dpi = DpiOfWindow(owner);
        RECT area{};
        GetWindowRect(owner, &area);
        const int width = Scale(360, dpi), height = Scale(150, dpi);
        box_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass, L"正在导入",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU,
                               (area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2,
                               width, height, owner, nullptr, instance, nullptr);
        if (!box_) return;
        SetWindowLongPtrW(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&shared));
        LOGFONTW text = MessageFontFor(dpi);
        font_.reset(CreateFontIndirectW(&text));
        label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, Scale(12, dpi),
                                 Scale(10, dpi), Scale(330, dpi), Scale(20, dpi), box_, nullptr,
                                 instance, nullptr);
        bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, Scale(12, dpi),
                               Scale(36, dpi), Scale(330, dpi), Scale(18, dpi), box_, nullptr,
                               instance, nullptr);
        HWND cancel = CreateWindowExW(0, L"BUTTON", L"取消", WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                      BS_DEFPUSHBUTTON, Scale(262, dpi), Scale(66, dpi),
                                      Scale(80, dpi), Scale(26, dpi), box_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
                                      instance, nullptr);
        for (HWND control : {label_, cancel}) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        }
        SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
        ShowWindow(box_, SW_SHOW);
    }
    ~ProgressBox() {
        if (box_) DestroyWindow(box_);
    }
    ProgressBox(const ProgressBox&) = delete;
    ProgressBox& operator=(const ProgressBox&) = delete;

    HWND handle() const { return box_; }
    void Update(std::size_t files, std::size_t totalFiles, std::uint64_t bytes, std::uint64_t total) {
        if (!box_) return;
        const std::string text = "已导入 " + DecimalText(static_cast<unsigned long>(files)) + " / " +
                                 DecimalText(static_cast<unsigned long>(totalFiles)) + " 个文件，" +
                                 Megabytes(bytes) + " / " + Megabytes(total);
        SetWindowTextW(label_, Widen(text).c_str());
        const std::uint64_t permille = total ? bytes * 1000 / total : files * 1000 / (totalFiles ? totalFiles : 1);
        SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(permille > 1000 ? 1000 : permille), 0);
    }

private:
    HWND box_ = nullptr;
    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    UniqueFont font_;
};

}  // namespace

ExecutionResult RunWithProgress(HWND owner, std::size_t totalFiles, std::uint64_t totalBytes,
                                const std::function<ExecutionResult(const PlanProgress&)>& work) {
    Shared shared;
    shared.work = &work;
    UniqueHandle thread(CreateThread(nullptr, 0, Worker, &shared, 0, nullptr));
    if (!thread) {
        Worker(&shared);  // no thread to be had: do it here, unresponsive but done
        return std::move(shared.result);
    }
    // The window repaints and moves meanwhile, but takes no clicks or keys.
    const BOOL wasEnabled = owner && IsWindowEnabled(owner);
    if (wasEnabled) EnableWindow(owner, FALSE);
    std::unique_ptr<ProgressBox> box;
    const DWORD started = GetTickCount();
    HANDLE waitOn = thread.get();
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &waitOn, FALSE, 100, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop later
                shared.cancel = true;
                break;
            }
            if (box && IsDialogMessageW(box->handle(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!box && GetTickCount() - started >= kShowAfterMs) box = std::make_unique<ProgressBox>(owner, shared);
        if (box) box->Update(shared.files, totalFiles, shared.bytes, totalBytes);
    }
    box.reset();
    if (wasEnabled) {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
    return std::move(shared.result);
}

}  // namespace varnholt
