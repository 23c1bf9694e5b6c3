#include "tests/win/launch_record.h"

#include <windows.h>

#include "tests/win/temp_folder.h"

namespace varnholt::testing {

std::string LaunchHelperPath() { return ExeFolder() + "\\launch_helper.exe"; }

std::optional<LaunchRecord> WaitForLaunchRecord(const std::string& folder) {
    const std::string path = folder + "\\" + kLaunchRecordName;
    for (int i = 0; i < 100; ++i, Sleep(50)) {
        // The helper writes the file in one go without sharing it, so a record that can be
        // read at all is whole.
        const std::optional<std::string> bytes = ReadBytes(path);
        if (!bytes || bytes->empty()) continue;
        LaunchRecord record;
        std::string* fields[] = {&record.commandLine, &record.folder, &record.showWindow};
        std::size_t at = 0;
        for (std::string* field : fields) {
            const std::size_t end = bytes->find('\n', at);
            if (end == std::string::npos) break;
            *field = bytes->substr(at, end - at);
            at = end + 1;
        }
        return record;
    }
    return std::nullopt;
}

}  // namespace varnholt::testing
