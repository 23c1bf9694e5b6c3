// Stands in for the game: notes how it was started in a launch record beside itself (see
// tests/win/launch_record.h), then ends.
#include <windows.h>

#include <string>

#include "platform/text.h"
#include "tests/win/launch_record.h"
#include "tests/win/temp_folder.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace varnholt;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::string record = Narrow(GetCommandLineW()) + "\n" + testing::CurrentFolder() +
                               "\n" + DecimalText(startup.wShowWindow) + "\n";
    testing::WriteBytes(testing::ExeFolder() + "\\" + testing::kLaunchRecordName, record);
    return 0;
}
