#include "core/install.h"

#include <gtest/gtest.h>

#include <map>

#include "core/file_system.h"

namespace varnholt {
namespace {

const std::string kAccepted(kAcceptedCaption);

// Files as a map of path to bytes; folders as a set. Every call is logged.
class MemoryFileSystem final : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> unrepresentable;
    std::vector<std::string> log;

    bool Exists(const std::string& path) override {
        return files.count(path) > 0 || folders.count(path) > 0;
    }
    bool IsFolder(const std::string& path) override { return folders.count(path) > 0; }
    bool SameFile(const std::string& a, const std::string& b) override {
        return a == b && files.count(a) > 0;
    }
    FileResult CopyReplacing(const std::string& source, const std::string& destination) override {
        log.push_back("copy " + source + " -> " + destination);
        files[destination] = files[source];
        return {};
    }
    OpenResult OpenExisting(const std::string& path) override {
        log.push_back("open " + path);
        if (files.count(path) == 0) return {nullptr, {FileError::NotFound, {}}};
        return {std::make_unique<Opened>(files[path]), {}};
    }
    std::optional<std::string> ToAnsi(const std::string& text) override {
        if (unrepresentable.count(text)) return std::nullopt;
        return text;
    }

private:
    struct Opened final : OpenedFile {
        explicit Opened(std::string& bytes) : bytes(bytes) {}
        std::optional<std::string> ReadAll() override { return bytes; }
        FileResult WriteAt(std::uint64_t offset, std::string_view data) override {
            bytes.resize(std::max<std::size_t>(bytes.size(), offset + data.size()));
            bytes.replace(offset, data.size(), data);
            return {};
        }
        std::string& bytes;
    };
};

class InstallRun : public ::testing::Test {
protected:
    InstallRun() {
        FillDestinationFolders(state);
        state.GameRoot = "G\\";
        for (const char* folder : {"G\\cstrike\\addons\\amxmodx\\plugins\\", "G\\cstrike\\models\\",
                                   "G\\cstrike\\sprites\\", "G\\cstrike\\maps\\"}) {
            fs.folders.insert(folder);
        }
        fs.files["G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"] = "old.amxx";
        for (const char* source : {"S\\p.amxx", "S\\m.mdl", "S\\e.spr", "S\\d.bsp"}) {
            fs.files[source] = source;
        }
    }

    InstallerState state;
    MemoryFileSystem fs;
};

TEST_F(InstallRun, HandlesAcceptedRowsInOrderRegisteringThePluginFirst) {
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {kAccepted, "S\\m.mdl"},
                             {kAccepted, "S\\e.spr"}, {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(fs.log, (std::vector<std::string>{
                          "open G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini",
                          "copy S\\p.amxx -> G\\cstrike\\addons\\amxmodx\\plugins\\p.amxx",
                          "copy S\\m.mdl -> G\\cstrike\\models\\m.mdl",
                          "copy S\\e.spr -> G\\cstrike\\sprites\\e.spr",
                          "copy S\\d.bsp -> G\\cstrike\\maps\\d.bsp",
                      }));
    EXPECT_TRUE(report.allSucceeded());
    ASSERT_EQ(report.rows.size(), 4u);
    EXPECT_EQ(report.rows[1].row, SelectionKind::Model);
    EXPECT_EQ(state.PluginFileName, "p.amxx");
    EXPECT_EQ(state.MapFileName, "d.bsp");
    EXPECT_EQ(state.DestinationFolder, "G\\cstrike\\maps\\");
    EXPECT_EQ(state.PluginListText, "old.amxx\r\np.amxx");
    EXPECT_EQ(fs.files["G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"], "old.amxx\r\np.amxx");
}

TEST_F(InstallRun, SkipsRowsWhoseMarkIsNotAccepted) {
    state.ModelFileName = "earlier.mdl";
    const AddOnRows rows = {{{"", "S\\p.amxx"}, {"×", "S\\m.mdl"}, {"√ ", "S\\e.spr"},
                             {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(fs.log, (std::vector<std::string>{"copy S\\d.bsp -> G\\cstrike\\maps\\d.bsp"}));
    EXPECT_FALSE(report.plugin.has_value());
    EXPECT_EQ(state.ModelFileName, "earlier.mdl");  // a skipped row keeps its earlier value

    fs.log.clear();
    const AddOnRows none = {{{"", "a"}, {"", "b"}, {"×", "c"}, {"", "d"}}};
    EXPECT_TRUE(InstallSelected(state, none, fs).rows.empty());
    EXPECT_TRUE(fs.log.empty());
}

TEST_F(InstallRun, ReportsEachRowThatCannotBePlaced) {
    fs.folders.erase("G\\cstrike\\models\\");
    fs.folders.insert("G\\cstrike\\sprites\\e.spr");
    fs.files.erase("S\\d.bsp");
    fs.folders.insert("S\\p.amxx");
    fs.files.erase("S\\p.amxx");
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {kAccepted, "S\\m.mdl"},
                             {kAccepted, "S\\e.spr"}, {kAccepted, "S\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    ASSERT_EQ(report.rows.size(), 4u);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::SourceIsFolder);
    EXPECT_EQ(report.rows[1].outcome, PlaceOutcome::DestinationFolderMissing);
    EXPECT_EQ(report.rows[2].outcome, PlaceOutcome::FolderInTheWay);
    EXPECT_EQ(report.rows[3].outcome, PlaceOutcome::SourceMissing);
    EXPECT_FALSE(report.allSucceeded());
    for (const std::string& entry : fs.log) EXPECT_EQ(entry.rfind("copy", 0), std::string::npos);
}

TEST_F(InstallRun, PluginRegistrationOutcomes) {
    const AddOnRows rows = {{{kAccepted, "S\\p.amxx"}, {}, {}, {}}};

    fs.unrepresentable.insert("p.amxx");
    InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::NameNotRepresentable);
    EXPECT_EQ(fs.files["G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"], "old.amxx");
    EXPECT_TRUE(report.rows[0].placed());  // the file is still copied
    EXPECT_FALSE(report.allSucceeded());

    fs.files.erase("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini");
    report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.plugin->outcome, RegisterOutcome::ListMissing);
    EXPECT_EQ(state.PluginListText, "\r\np.amxx");
    EXPECT_EQ(fs.files.count("G\\cstrike\\addons\\amxmodx\\configs\\plugins.ini"), 0u);
}

TEST_F(InstallRun, FileAlreadyAtItsDestinationIsLeftInPlace) {
    fs.files["G\\cstrike\\maps\\d.bsp"] = "mine";
    const AddOnRows rows = {{{}, {}, {}, {kAccepted, "G\\cstrike\\maps\\d.bsp"}}};
    const InstallReport report = InstallSelected(state, rows, fs);
    EXPECT_EQ(report.rows[0].outcome, PlaceOutcome::AlreadyInPlace);
    EXPECT_TRUE(fs.log.empty());
    EXPECT_EQ(fs.files["G\\cstrike\\maps\\d.bsp"], "mine");
}

TEST_F(InstallRun, EmptyGameRootGivesRelativeDestinations) {
    state.GameRoot.clear();
    fs.folders.insert("cstrike\\models\\");
    const AddOnRows rows = {{{}, {kAccepted, "S\\m.mdl"}, {}, {}}};
    InstallSelected(state, rows, fs);
    EXPECT_EQ(fs.log, (std::vector<std::string>{"copy S\\m.mdl -> cstrike\\models\\m.mdl"}));
}

}  // namespace
}  // namespace varnholt
