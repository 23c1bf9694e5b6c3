#include "core/undo.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "core/install_plan.h"

namespace varnholt {
namespace {

UndoOutcome Result(const FileResult& result, std::string* systemText, UndoOutcome good) {
    if (result.ok()) return good;
    if (systemText) *systemText = result.systemText;
    return UndoOutcome::Failed;
}

// Makes the folders below the keeping folder that `relative` (a file's path there) needs.
bool MakeFoldersFor(const std::string& root, UndoKeep& keep, const std::string& relative,
                    FileSystem& files) {
    for (std::size_t slash = relative.find('\\'); slash != std::string::npos;
         slash = relative.find('\\', slash + 1)) {
        const std::string folder = root + relative.substr(0, slash + 1);
        if (keep.made.count(folder)) continue;
        // Made straight away: a folder already there only answers so.
        const FileResult made = files.CreateFolder(folder);
        if (!made.ok() && made.error != FileError::AlreadyExists) return false;
        keep.made.insert(folder);
    }
    return true;
}

// Keeps the file at `path` also in the keeping folder under its relative path, as a second
// name of it: moving it aside there costs nothing, where deleting a large file means freeing
// all of it.
bool KeepAside(const std::string& root, const JournalLine& action, UndoKeep& keep,
               FileSystem& files) {
    const std::string kept = keep.folder + action.relative;
    return MakeFoldersFor(root, keep, kept, files) &&
           files.HardLink(root + action.relative, root + kept).ok();
}

UndoOutcome TakeBackReplace(const std::string& root, const JournalLine& action, FileSystem& files,
                            std::string* systemText, UndoKeep* keep) {
    const std::string path = root + action.relative;
    const std::string backup = root + action.backup;
    const std::optional<FileStamp> kept = files.StampOf(backup);
    if (!kept) return UndoOutcome::NothingToDo;
    const std::optional<FileStamp> now = files.StampOf(path);
    // Stopped between keeping the old file and putting the new one in: the game still has
    // the old file, and the backup is only a second name of it (which alone has its stamp).
    if (now == kept && files.SameFile(path, backup)) {
        return Result(files.Remove(backup), systemText, UndoOutcome::Restored);
    }
    if (now && *now != action.stamp) return UndoOutcome::LeftChanged;
    if (now && keep) {
        const std::string kept = root + keep->folder + action.relative;
        if (KeepAside(root, action, *keep, files)) {
            const FileResult restored = files.RenameReplacing(backup, path);
            if (!restored.ok()) files.Remove(kept);
            return Result(restored, systemText, UndoOutcome::Restored);
        }
        // A drive without second names: the install's file is moved aside, and back again
        // when the old one cannot take its place.
        if (MakeFoldersFor(root, *keep, keep->folder + action.relative, files) &&
            files.Rename(path, kept).ok()) {
            const FileResult restored = files.Rename(backup, path);
            if (!restored.ok()) files.Rename(kept, path);
            return Result(restored, systemText, UndoOutcome::Restored);
        }
    }
    return Result(now ? files.RenameReplacing(backup, path) : files.Rename(backup, path),
                  systemText, UndoOutcome::Restored);
}

UndoOutcome TakeBackAppend(const std::string& root, const JournalLine& action, FileSystem& files,
                           std::string* systemText) {
    OpenResult list = files.OpenExisting(root + action.relative);
    if (!list.file) return Result(list.result, systemText, UndoOutcome::Failed);
    const std::optional<std::string> content = list.file->ReadAll();
    if (!content) return UndoOutcome::Failed;
    const std::size_t offset = static_cast<std::size_t>(action.offset);
    // Cut back only when nothing else changed the list since: it still ends with our bytes.
    if (content->size() == offset + action.bytes.size() &&
        content->compare(offset, std::string::npos, action.bytes) == 0) {
        FileResult cut = list.file->WriteAt(action.offset, action.overwritten);
        if (cut.ok()) cut = list.file->SetEnd(action.oldSize);
        return Result(cut, systemText, UndoOutcome::ListCut);
    }
    if (content->size() == action.oldSize && offset <= content->size() &&
        content->compare(offset, std::string::npos, action.overwritten) == 0) {
        return UndoOutcome::NothingToDo;  // stopped before the list was written
    }
    return UndoOutcome::LeftChanged;
}

}  // namespace

UndoOutcome TakeBackAction(const std::string& root, const JournalLine& action, FileSystem& files,
                           std::string* systemText, UndoKeep* keep) {
    const std::string path = root + action.relative;
    switch (action.action) {
        case JournalAction::Add: {
            const std::optional<FileStamp> now = files.StampOf(path);
            if (!now) return UndoOutcome::NothingToDo;
            if (*now != action.stamp) return UndoOutcome::LeftChanged;
            if (keep && MakeFoldersFor(root, *keep, keep->folder + action.relative, files) &&
                files.Rename(path, root + keep->folder + action.relative).ok()) {
                return UndoOutcome::Removed;
            }
            return Result(files.Remove(path), systemText, UndoOutcome::Removed);
        }
        case JournalAction::Replace: return TakeBackReplace(root, action, files, systemText, keep);
        case JournalAction::Append: return TakeBackAppend(root, action, files, systemText);
        case JournalAction::Folder:
            if (!files.IsFolder(path)) return UndoOutcome::NothingToDo;
            // A folder that holds files of someone else's now stays.
            return files.RemoveFolder(path).ok() ? UndoOutcome::Removed : UndoOutcome::LeftChanged;
        case JournalAction::End:
        case JournalAction::Undone: break;
    }
    return UndoOutcome::NothingToDo;
}

std::optional<PendingUndo> FindLastInstall(const std::string& root, FileSystem& files) {
    const std::string base = root + kBackupFolder;
    std::vector<std::string> names = files.List(base, "*", true);
    // The folders are named by the install's time and a count for installs within one
    // second ("-02" … "-100"): the newest sorts last.
    const auto order = [](const std::string& name) {
        const std::size_t dash = name.size() > 19 ? 19 : name.size();
        const std::string count = name.substr(dash);
        return std::make_tuple(name.substr(0, dash), count.size(), count);
    };
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return order(a) < order(b); });
    for (auto at = names.rbegin(); at != names.rend(); ++at) {
        if (*at == "." || *at == "..") continue;
        std::optional<PendingUndo> install =
            ReadInstall(root, std::string(kBackupFolder) + *at + "\\", files);
        if (install && install->journal.HasPending()) return install;
    }
    return std::nullopt;
}

std::optional<PendingUndo> ReadInstall(const std::string& root, const std::string& folder,
                                       FileSystem& files) {
    const std::optional<std::string> text = files.ReadPart(
        root + folder + kJournalName, 0, std::numeric_limits<std::size_t>::max());
    if (!text) return std::nullopt;
    Journal journal = ParseJournal(*text);
    if (!journal.valid) return std::nullopt;
    return PendingUndo{folder, std::move(journal)};
}

UndoReport UndoInstall(const std::string& root, const PendingUndo& install, FileSystem& files) {
    UndoReport report;
    report.folder = install.folder;
    const std::string journal = root + install.folder + kJournalName;
    // The install's backup folder is there: the journal was just read from it.
    UndoKeep keep{install.folder + kUndoneFolder,
                  {root + kBackupFolder, root + install.folder}};
    std::string marks;
    bool backupsLeft = false;
    for (std::size_t i = install.journal.actions.size(); i-- > 0;) {
        if (install.journal.undone[i]) continue;
        UndoStep step;
        step.action = install.journal.actions[i];
        // What the install wrote is moved aside into its backup folder, not deleted: an undo
        // loses nothing either, and costs renames rather than freeing large files.
        // The backup folder's own folders need no taking back: they go with it, or stay
        // holding what was moved aside.
        const bool ownFolder = step.action.action == JournalAction::Folder &&
                               step.action.relative.rfind(install.folder, 0) == 0;
        step.outcome = ownFolder
                           ? UndoOutcome::NothingToDo
                           : TakeBackAction(root, step.action, files, &step.systemText, &keep);
        if (step.outcome == UndoOutcome::Failed) {
            report.complete = false;
        } else {
            JournalLine undone;
            undone.action = JournalAction::Undone;
            undone.index = i;
            marks += FormatJournalLine(undone) + "\r\n";
        }
        if (step.outcome == UndoOutcome::LeftChanged && step.action.action == JournalAction::Replace) {
            backupsLeft = true;
        }
        if (step.action.action != JournalAction::Folder || step.outcome == UndoOutcome::LeftChanged) {
            report.steps.push_back(std::move(step));
        }
    }
    // One write for all the marks: an undo stopped before it is simply run again, as every
    // step finds the work already done and does nothing.
    if (!marks.empty()) files.Append(journal, marks);
    report.keptFiles = files.IsFolder(root + keep.folder);
    if (report.complete && !backupsLeft && !report.keptFiles) {
        // Nothing is kept there any more: the folder goes, the journal first.
        files.Remove(journal);
        std::vector<std::string> folders = {install.folder};
        for (std::size_t i = 0; i < folders.size(); ++i) {
            for (const std::string& name : files.List(root + folders[i], "*", true)) {
                if (name != "." && name != "..") folders.push_back(folders[i] + name + "\\");
            }
        }
        for (auto at = folders.rbegin(); at != folders.rend(); ++at) files.RemoveFolder(root + *at);
        files.RemoveFolder(root + kBackupFolder);
    }
    return report;
}

std::string DescribeUndo(const PendingUndo& install) {
    std::string text;
    for (std::size_t i = install.journal.actions.size(); i-- > 0;) {
        if (install.journal.undone[i]) continue;
        const JournalLine& action = install.journal.actions[i];
        switch (action.action) {
            case JournalAction::Add: text += "移走导入的文件：" + action.relative + "\r\n"; break;
            case JournalAction::Replace: text += "还原原来的文件：" + action.relative + "\r\n"; break;
            case JournalAction::Append:
                text += "从 " + action.relative + " 中去掉添加的一行\r\n";
                break;
            default: break;
        }
    }
    return text;
}

std::string FormatUndoReport(const UndoReport& report) {
    std::string text;
    for (const UndoStep& step : report.steps) {
        const std::string& path = step.action.relative;
        switch (step.outcome) {
            case UndoOutcome::Restored: text += "已还原：" + path; break;
            case UndoOutcome::Removed:
                text += (step.action.action == JournalAction::Folder ? "已删除文件夹：" : "已移走：") + path;
                break;
            case UndoOutcome::ListCut: text += "已从 " + path + " 中去掉添加的一行"; break;
            case UndoOutcome::NothingToDo: text += "无需撤销：" + path; break;
            case UndoOutcome::LeftChanged:
                if (step.action.action == JournalAction::Append) {
                    text += path + " 在导入后又被修改过，未改动，请手动删除添加的一行";
                } else if (step.action.action == JournalAction::Folder) {
                    text += "文件夹中还有其他文件，保留：" + path;
                } else if (step.action.action == JournalAction::Replace) {
                    text += path + " 在导入后又被修改过，未还原；原来的文件仍保存在 " + step.action.backup;
                } else {
                    text += path + " 在导入后又被修改过，未删除";
                }
                break;
            case UndoOutcome::Failed:
                text += "未能撤销（保持导入后的状态）：" + path;
                if (!step.systemText.empty()) text += "，" + step.systemText;
                break;
        }
        text += "\r\n";
    }
    if (text.empty()) text = "没有需要撤销的内容。\r\n";
    if (report.keptFiles) {
        text += "撤下的文件保存在 " + report.folder + kUndoneFolder + "，不再需要时可以删除。\r\n";
    }
    return text;
}

}  // namespace varnholt
