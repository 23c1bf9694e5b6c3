#include "core/plan_executor.h"

#include <set>

#include "core/decimal.h"
#include "core/journal.h"
#include "core/plugin_list.h"
#include "core/undo.h"

namespace varnholt {

std::string FolderPartOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool HasPatternCharacters(const std::string& name) {
    return name.find_first_of("*?") != std::string::npos;
}

namespace {

PlaceOutcome OutcomeOf(const FileResult& result) {
    switch (result.error) {
        case FileError::AccessDenied: return PlaceOutcome::AccessDenied;
        case FileError::SharingViolation: return PlaceOutcome::InUse;
        case FileError::DiskFull: return PlaceOutcome::DiskFull;
        case FileError::NotFound: return PlaceOutcome::SourceMissing;
        case FileError::PathNotFound: return PlaceOutcome::DestinationFolderMissing;
        default: return PlaceOutcome::Failed;
    }
}

RegisterOutcome ListOutcomeOf(const FileResult& result) {
    switch (result.error) {
        case FileError::NotFound:
        case FileError::PathNotFound: return RegisterOutcome::ListMissing;
        case FileError::AccessDenied: return RegisterOutcome::ListAccessDenied;
        case FileError::SharingViolation: return RegisterOutcome::ListInUse;
        default: return RegisterOutcome::Failed;
    }
}

// One install run: its journal, and what each unit did, so it can be taken back.
class Run {
public:
    Run(const InstallPlan& plan, FileSystem& files) : plan_(plan), files_(files) {}

    ExecutionResult Execute(const PlanProgress& progress);

private:
    struct Done {
        std::size_t line;  // the action's number in the journal
        JournalLine action;
    };

    std::string Full(const std::string& relative) const { return plan_.gameRoot + relative; }
    FileResult StartJournal();
    FileResult EnsureJournal();
    FileResult Note(const JournalLine& line);
    FileResult NoteAction(const JournalLine& line, std::vector<Done>& done);
    AdditionResult Add(const ListAddition& addition, std::vector<Done>& done);
    PlacementResult Place(const Placement& placement, std::vector<Done>& done);
    FileResult MakeFolders(const std::string& relativeFolder, std::vector<Done>& done);
    void RemoveStaleTemporaries(const std::string& folder);
    std::string TemporaryIn(const std::string& folder);
    bool TakeBack(const std::vector<Done>& done);
    void Finish();

    const InstallPlan& plan_;
    FileSystem& files_;
    std::string folder_;  // the journal's folder, relative to the game folder
    FileResult journalProblem_;
    std::size_t actions_ = 0;
    std::size_t kept_ = 0;  // actions that stayed in
    std::set<std::string> cleanedFolders_;
    std::set<std::string> knownFolders_;  // destination folders seen to exist in this run
    std::set<std::string> madeFolders_;   // folders this run made, empty but for what it put
    std::set<std::string> placed_;        // destinations this run has put a file at
    std::unique_ptr<NewFile> journal_;
    unsigned temporaries_ = 0;
};

FileResult Run::StartJournal() {
    const std::string base = kBackupFolder;
    FileResult made = files_.CreateFolder(Full(base));
    if (!made.ok() && made.error != FileError::AlreadyExists) return made;
    // Two installs in one second get a suffix: "-02", "-03" and on.
    const std::string time = files_.LocalTimeText();
    for (unsigned attempt = 1;; ++attempt) {
        std::string name = time;
        if (attempt > 1) name += "-" + std::string(attempt < 10 ? "0" : "") + Decimal(attempt);
        folder_ = base + name + "\\";
        made = files_.CreateFolder(Full(folder_));
        if (made.error == FileError::AlreadyExists && attempt < 100000) continue;
        if (!made.ok()) break;
        made = files_.Append(Full(folder_ + kJournalName), std::string(kJournalHeader) + "\r\n");
        if (!made.ok()) {
            files_.RemoveFolder(Full(folder_));
            break;
        }
        // One handle for the run's lines: a package writes one for each of its files.
        journal_ = files_.OpenToAppend(Full(folder_ + kJournalName)).file;
        break;
    }
    if (!made.ok()) folder_.clear();
    return made;
}

FileResult Run::EnsureJournal() {
    if (folder_.empty() && journalProblem_.ok()) journalProblem_ = StartJournal();
    return journalProblem_;
}

FileResult Run::Note(const JournalLine& line) {
    // The journal starts with the first change, so an install that changes nothing leaves
    // nothing behind.
    if (const FileResult started = EnsureJournal(); !started.ok()) return started;
    const std::string text = FormatJournalLine(line) + "\r\n";
    return journal_ ? journal_->Write(text) : files_.Append(Full(folder_ + kJournalName), text);
}

FileResult Run::NoteAction(const JournalLine& line, std::vector<Done>& done) {
    FileResult noted = Note(line);
    if (noted.ok()) done.push_back({actions_++, line});
    return noted;
}

AdditionResult Run::Add(const ListAddition& addition, std::vector<Done>& done) {
    AdditionResult result;
    OpenResult opened = files_.OpenExisting(Full(addition.listRelative));
    std::optional<std::string> content;
    if (opened.file) content = opened.file->ReadAll();
    const bool readable = content.has_value();
    std::string text = content ? std::move(*content) : std::string();
    const std::uint64_t oldSize = text.size();
    const ListAppend append = ComposeListAppend(text, addition.name);
    const std::string overwritten = text.substr(append.offset);
    text.resize(append.offset);
    text += append.bytes;
    result.listText = std::move(text);

    if (!opened.file) {
        result.outcome = ListOutcomeOf(opened.result);
        result.systemText = opened.result.systemText;
        return result;
    }
    if (!readable) {
        result.outcome = RegisterOutcome::ListUnreadable;
        return result;
    }
    if (addition.refusal != RegisterOutcome::Registered) {
        result.outcome = addition.refusal;
        return result;
    }
    JournalLine line;
    line.action = JournalAction::Append;
    line.relative = addition.listRelative;
    line.offset = append.offset;
    line.oldSize = oldSize;
    line.overwritten = overwritten;
    line.bytes = append.bytes;
    if (const FileResult noted = NoteAction(line, done); !noted.ok()) {
        result.outcome = RegisterOutcome::Failed;
        result.systemText = noted.systemText;
        return result;
    }
    const FileResult written = opened.file->WriteAt(append.offset, append.bytes);
    if (!written.ok()) {
        // Nothing of it may stay: put back what the list had.
        opened.file->WriteAt(append.offset, overwritten);
        opened.file->SetEnd(oldSize);
        result.outcome = ListOutcomeOf(written);
        result.systemText = written.systemText;
    }
    return result;
}

FileResult Run::MakeFolders(const std::string& relativeFolder, std::vector<Done>& done) {
    // From the outermost missing folder inwards; each is journalled before it is made.
    std::vector<std::string> missing;
    std::string folder = relativeFolder;
    while (!folder.empty() && !files_.IsFolder(Full(folder))) {
        missing.push_back(folder);
        folder = FolderPartOf(folder.substr(0, folder.size() - 1));
    }
    for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
        JournalLine line;
        line.action = JournalAction::Folder;
        line.relative = *at;
        if (FileResult noted = NoteAction(line, done); !noted.ok()) return noted;
        FileResult made = files_.CreateFolder(Full(*at));
        if (made.ok()) madeFolders_.insert(Full(*at));
        if (!made.ok() && made.error != FileError::AlreadyExists) return made;
    }
    return {};
}

void Run::RemoveStaleTemporaries(const std::string& folder) {
    // Left by an install that was stopped half-way; never a file of the player's.
    if (!cleanedFolders_.insert(folder).second) return;
    for (const std::string& name : files_.List(folder, "~varnholt-*.tmp", false)) {
        files_.Remove(folder + name);
    }
}

std::string Run::TemporaryIn(const std::string& folder) {
    return folder + "~varnholt-" + Decimal(++temporaries_) + ".tmp";
}

PlacementResult Run::Place(const Placement& placement, std::vector<Done>& done) {
    PlacementResult result;
    const std::string destination = Full(placement.relative);
    const std::string folder = FolderPartOf(destination);
    const auto fail = [&](PlaceOutcome outcome, const std::string& text = {}) {
        result.outcome = outcome;
        result.systemText = text;
        return result;
    };
    std::optional<FileStamp> sourceStamp;
    // A folder this run made holds nothing but what it put there.
    const bool fresh = madeFolders_.count(folder) && !placed_.count(destination);
    const std::optional<FileStamp> existing =
        fresh ? std::nullopt : files_.StampOf(destination);
    if (!placement.content) {
        // Only the name counts: a "\\?\" prefix is no pattern.
        if (HasPatternCharacters(placement.source.substr(FolderPartOf(placement.source).size()))) {
            return fail(PlaceOutcome::NameIsPattern);
        }
        const std::optional<FileStamp> source = files_.StampOf(placement.source);
        // Deleting the destination first would remove the only copy when the user picked
        // the file inside the game's own folder; the identity test catches every spelling
        // (and is asked only of two files that look alike, as it costs two openings).
        if (existing && source && *existing == *source &&
            files_.SameFile(placement.source, destination)) {
            return fail(PlaceOutcome::AlreadyInPlace);
        }
        if (!source) {
            return fail(files_.IsFolder(placement.source) ? PlaceOutcome::SourceIsFolder
                                                          : PlaceOutcome::SourceMissing);
        }
        result.size = source->size;
        sourceStamp = source;
    }
    if (!knownFolders_.count(folder)) {
        if (!files_.IsFolder(folder)) {
            if (!placement.createFolders) return fail(PlaceOutcome::DestinationFolderMissing);
            const FileResult made = MakeFolders(FolderPartOf(placement.relative), done);
            if (!made.ok()) return fail(OutcomeOf(made), made.systemText);
        }
        knownFolders_.insert(folder);
    }
    if (!existing && !madeFolders_.count(folder) && files_.IsFolder(destination)) {
        return fail(PlaceOutcome::FolderInTheWay);
    }
    if (existing && placement.keepExisting) return fail(PlaceOutcome::KeptSetting);
    // Windows refuses to replace a read-only file; checking first keeps that rule on every
    // system and spares the copy.
    if (existing && files_.IsReadOnly(destination)) return fail(PlaceOutcome::AccessDenied);
    // A file the game holds open cannot be replaced; finding out now spares the copy and
    // a backup name that could not be removed again while the file is held.
    if (existing && files_.InUse(destination)) return fail(PlaceOutcome::InUse);

    if (!madeFolders_.count(folder)) RemoveStaleTemporaries(folder);
    // The new bytes go into a file of our own beside the destination first: whatever stops
    // the copy, the destination is untouched.
    std::string temporary;
    FileResult written;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = TemporaryIn(folder);
        if (placement.content) {
            NewFileResult created = files_.CreateNew(temporary);
            written = created.result;
            if (created.file) {
                written = placement.content->WriteTo(*created.file);
                const FileResult finished = created.file->Finish();
                if (written.ok()) written = finished;
            }
        } else {
            written = files_.CopyToNew(placement.source, temporary);
        }
        if (written.error != FileError::AlreadyExists) break;
    }
    const auto dropTemporary = [&] { files_.Remove(temporary); };
    if (!written.ok()) {
        if (written.error != FileError::AlreadyExists) dropTemporary();  // may be partial
        return fail(OutcomeOf(written), written.systemText);
    }
    // A copy keeps its source's size and last write time, so the source's stamp is the
    // copy's; written content is looked at.
    const std::optional<FileStamp> stamp =
        placement.content ? files_.StampOf(temporary) : sourceStamp;

    JournalLine line;
    line.relative = placement.relative;
    line.stamp = stamp.value_or(FileStamp{});
    if (!existing) {
        line.action = JournalAction::Add;
        if (const FileResult noted = NoteAction(line, done); !noted.ok()) {
            dropTemporary();
            return fail(PlaceOutcome::BackupFailed, noted.systemText);
        }
        const FileResult moved = files_.Rename(temporary, destination);
        if (!moved.ok()) {
            dropTemporary();
            return fail(OutcomeOf(moved), moved.systemText);
        }
        placed_.insert(destination);
        return result;
    }

    // The old file is kept in the backup folder under its path in the game.
    line.action = JournalAction::Replace;
    FileResult ready = EnsureJournal();
    line.backup = folder_ + placement.relative;
    std::vector<Done> backupFolders;
    if (ready.ok()) ready = MakeFolders(FolderPartOf(line.backup), backupFolders);
    if (ready.ok()) ready = NoteAction(line, done);
    if (!ready.ok()) {
        dropTemporary();
        return fail(PlaceOutcome::BackupFailed, ready.systemText);
    }
    // A second name for the old file keeps it without the destination ever going missing;
    // where the drive has no such names, the old file is moved aside instead.
    const std::string backup = Full(line.backup);
    const bool linked = files_.HardLink(destination, backup).ok();
    if (!linked) {
        const FileResult moved = files_.Rename(destination, backup);
        if (!moved.ok()) {
            dropTemporary();
            return fail(moved.error == FileError::SharingViolation ? PlaceOutcome::InUse
                                                                   : PlaceOutcome::BackupFailed,
                        moved.systemText);
        }
    }
    const FileResult replaced = files_.RenameReplacing(temporary, destination);
    if (!replaced.ok()) {
        dropTemporary();
        if (linked) {
            files_.Remove(backup);
        } else {
            files_.Rename(backup, destination);
        }
        return fail(OutcomeOf(replaced), replaced.systemText);
    }
    result.replaced = true;
    placed_.insert(destination);
    return result;
}

// Takes a unit's actions back, last first; true when every one went back.
bool Run::TakeBack(const std::vector<Done>& done) {
    knownFolders_.clear();  // folders the unit made go with it
    madeFolders_.clear();
    placed_.clear();
    bool all = true;
    for (auto at = done.rbegin(); at != done.rend(); ++at) {
        const UndoOutcome outcome = TakeBackAction(plan_.gameRoot, at->action, files_);
        const bool back = outcome != UndoOutcome::Failed && outcome != UndoOutcome::LeftChanged;
        if (back) {
            JournalLine undone;
            undone.action = JournalAction::Undone;
            undone.index = at->line;
            Note(undone);
        } else {
            all = false;
        }
    }
    return all;
}

void Run::Finish() {
    if (folder_.empty()) return;
    if (kept_ > 0) {
        JournalLine end;
        end.action = JournalAction::End;
        Note(end);
        journal_.reset();
        return;
    }
    // Nothing stayed in: the journal has nothing to undo, and goes with its folder.
    journal_.reset();
    files_.Remove(Full(folder_ + kJournalName));
    std::vector<std::string> folders = {folder_};
    for (std::size_t i = 0; i < folders.size(); ++i) {
        for (const std::string& name : files_.List(Full(folders[i]), "*", true)) {
            if (name != "." && name != "..") folders.push_back(folders[i] + name + "\\");
        }
    }
    for (auto at = folders.rbegin(); at != folders.rend(); ++at) files_.RemoveFolder(Full(*at));
    files_.RemoveFolder(Full(kBackupFolder));  // only when no other install is kept there
    folder_.clear();
}

ExecutionResult Run::Execute(const PlanProgress& progress) {
    ExecutionResult result;
    result.units.resize(plan_.units.size());
    std::size_t filesDone = 0;
    std::uint64_t bytesDone = 0;
    bool cancelled = false;
    for (std::size_t u = 0; u < plan_.units.size(); ++u) {
        const PlanUnit& unit = plan_.units[u];
        UnitResult& out = result.units[u];
        out.placements.resize(unit.placements.size());
        std::vector<Done> done;
        if (cancelled) {
            for (PlacementResult& placed : out.placements) placed.outcome = PlaceOutcome::TakenBack;
            for (std::size_t a = 0; a < unit.additions.size(); ++a) {
                out.additions.push_back({RegisterOutcome::TakenBack, {}, {}});
            }
            out.wentIn = false;
            continue;
        }
        for (const ListAddition& addition : unit.additions) out.additions.push_back(Add(addition, done));
        std::size_t reached = 0;
        for (; reached < unit.placements.size(); ++reached) {
            const Placement& placement = unit.placements[reached];
            out.placements[reached] = Place(placement, done);
            const PlaceOutcome outcome = out.placements[reached].outcome;
            const bool fine = outcome == PlaceOutcome::Installed ||
                              outcome == PlaceOutcome::AlreadyInPlace ||
                              outcome == PlaceOutcome::KeptSetting;
            if (!fine) out.wentIn = false;
            ++filesDone;
            bytesDone += placement.content ? placement.content->Size() : out.placements[reached].size;
            if (progress && !progress(filesDone, bytesDone)) {
                cancelled = true;
                out.wentIn = false;
            }
            if (!out.wentIn && (unit.stopsAtFirstFailure || cancelled)) {
                ++reached;
                break;
            }
        }
        for (std::size_t p = reached; p < unit.placements.size(); ++p) {
            out.placements[p].outcome = PlaceOutcome::TakenBack;
        }
        if (out.wentIn) {
            kept_ += done.size();
            continue;
        }
        out.takeBackFailed = !TakeBack(done);
        if (out.takeBackFailed) kept_ += 1;  // the journal must stay for what did not go back
        for (std::size_t p = 0; p < reached; ++p) {
            PlacementResult& placed = out.placements[p];
            if (placed.outcome == PlaceOutcome::Installed) {
                placed.outcome = PlaceOutcome::TakenBack;
                placed.replaced = false;
            }
        }
        for (AdditionResult& added : out.additions) {
            if (added.outcome == RegisterOutcome::Registered) {
                added.outcome =
                    out.takeBackFailed ? RegisterOutcome::TakeBackFailed : RegisterOutcome::TakenBack;
            }
        }
    }
    Finish();
    result.journalFolder = folder_;
    result.journalProblem = journalProblem_;
    return result;
}

}  // namespace

ExecutionResult ExecutePlan(const InstallPlan& plan, FileSystem& files, const PlanProgress& progress) {
    return Run(plan, files).Execute(progress);
}

}  // namespace varnholt
