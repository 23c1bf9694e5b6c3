// The window's package install: a zip or a folder installed whole, all or nothing.
#include <windows.h>

#include "core/package_plan.h"
#include "core/package_report.h"
#include "core/path_rules.h"
#include "core/undo.h"
#include "core/zip_archive.h"
#include "platform/package_source.h"
#include "platform/text.h"
#include "ui/main_window.h"
#include "ui/progress_run.h"
#include "ui/services.h"

namespace varnholt {
namespace {

// The package's name for the report: its file or folder name.
std::string PackageNameOf(std::string path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return FileNameOf(path);
}

// What a zip or a folder holds, or why it cannot be installed.
ZipItems ItemsOf(const std::string& path, FileSystem& files) {
    ZipItems found;
    if (files.IsFolder(path)) {
        std::string folder = path;
        if (!folder.empty() && folder.back() != '\\') folder += '\\';
        for (const FolderFile& file : FilesBelow(folder)) {
            const std::string full = folder + file.relative;
            PackageItem item;
            item.path = file.relative;
            item.size = file.size;
            item.sourcePath = full;
            item.read = [&files, full] { return files.ReadPart(full, 0, 16u << 20); };
            found.items.push_back(std::move(item));
        }
        if (found.items.empty()) found.refusal = "文件夹中没有文件。";
        return found;
    }
    const std::shared_ptr<ByteSource> archive = OpenByteSource(path);
    char start[8] = {};
    const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(archive->Size(), 8));
    if (archive->Size() == 0 || !archive->ReadAt(0, start, head)) {
        found.refusal = "无法读取该文件。";
        return found;
    }
    if (LooksLikeRarOr7z(std::string_view(start, head))) {
        found.refusal = "RAR 和 7z 压缩包请先解压，再把解压出的文件夹拖到窗口上。";
        return found;
    }
    return ItemsOfZip(archive, [](std::string_view oem) { return FromOemCodePage(oem); });
}

}  // namespace

bool IsPackagePath(const std::string& path, FileSystem& files) {
    const std::string extension = ExtensionOf(path);
    std::string lower;
    for (char c : extension) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower == "zip" || lower == "rar" || lower == "7z" || files.IsFolder(path);
}

void MainWindow::InstallPackage(const std::string& path) {
    const std::string name = PackageNameOf(path);
    if (state_.GameRoot.empty()) {
        services_.ShowMessage(window_, "请先选择游戏（hl.exe 或 cstrike.exe），再导入整包：" + name,
                              "提示", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const ZipItems items = ItemsOf(path, files_);
    if (!items.refusal.empty()) {
        services_.ShowMessage(window_, name + "：" + items.refusal + "\r\n没有导入任何文件。", "提示",
                              MB_OK | MB_ICONWARNING);
        return;
    }
    const PackagePlan plan = PlanPackage(state_.GameRoot, items.items, files_);
    if (!plan.refusal.empty()) {
        services_.ShowMessage(window_, name + "：" + plan.refusal + "\r\n没有导入任何文件。", "提示",
                              MB_OK | MB_ICONWARNING);
        return;
    }
    const std::size_t count =
        plan.plan.units.empty() ? 0 : plan.plan.units.front().placements.size();
    const ExecutionResult result =
        RunWithProgress(window_, count, plan.bytes, [&](const PlanProgress& progress) {
            return ExecutePlan(plan.plan, files_, progress);
        });
    const bool wentIn = !result.units.empty() && result.units.front().wentIn;
    const bool undo = services_.ShowReport(window_, FormatPackageReport(name, plan, result),
                                           !wentIn, !result.journalFolder.empty());
    if (!undo) return;
    if (const std::optional<PendingUndo> install =
            ReadInstall(state_.GameRoot, result.journalFolder, files_)) {
        ShowUndoReport(UndoInstall(state_.GameRoot, *install, files_));
    }
}

}  // namespace varnholt
