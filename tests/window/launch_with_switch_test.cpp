// The launch page starting Varnel (here a recorder of its command line, or the sample
// server) with a switch.
#include "demo_process.h"
#include "recorded_command_line.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <optional>

using namespace window_driving;
using namespace sample_server_driver;

namespace {

class LaunchWithSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        StopEveryServer();
        DeleteServerRecord();
        // Varnel's path holds spaces, and a program waits at the path cut at the first
        // one: only the right one may run.
        ::CreateDirectoryW((folder_ / L"Varnel Court Directory").c_str(), nullptr);
        recorder_ = folder_ / L"Varnel Court Directory\\varnel.exe";
        decoy_ = folder_ / L"Varnel.exe";
        const std::wstring source = WindowsPath(RECORDER_EXE);
        ::CopyFileW(source.c_str(), recorder_.c_str(), FALSE);
        ::CopyFileW(source.c_str(), decoy_.c_str(), FALSE);
    }
    void TearDown() override {
        StopEveryServer();
        DeleteServerRecord();
    }

    // Chooses a switch, types the value as a person does and presses "Открыть Varnel".
    void Launch(window_driving::DemoProcess& demo, int radioButton, int edit, const std::wstring& value) {
        ::SendMessageW(demo.Control(radioButton), BM_CLICK, 0, 0);
        window_driving::Type(demo.Control(edit), value);
        ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button2)));
    }

    ScratchFolder folder_{L"launch with switch"};
    std::wstring recorder_, decoy_;
};

}  // namespace

TEST_F(LaunchWithSwitch, EachSwitchStartsTheRecordedProgramWithTheValueAsTyped) {
    WriteServerRecord(recorder_);
    struct Case {
        int radioButton, edit;
        std::wstring value, expectedArguments;
    };
    const Case cases[] = {
        {ControlId::RadioButton1, ControlId::Edit9, L"Владимирогорский городской суд", L" -a:Владимирогорский городской суд"},
        {ControlId::RadioButton2, ControlId::Edit10, L"01016433305000", L" -i:01016433305000"},
        {ControlId::RadioButton3, ControlId::Edit11, L"Ёлкина & \"Ко\"", L" -f:Ёлкина & \"Ко\""},
    };
    for (const Case& c : cases) {
        window_driving::DemoProcess demo(DemoPath());
        ::DeleteFileW((recorder_ + L".cmdline").c_str());
        Launch(demo, c.radioButton, c.edit, c.value);
        EXPECT_EQ(RecordedCommandLine(recorder_), L"\"" + recorder_ + L"\"" + c.expectedArguments);
        EXPECT_EQ(RecordedCommandLine(decoy_), std::nullopt);
        EXPECT_FALSE(demo.HasMessageBox(kTitle));
    }
}

TEST_F(LaunchWithSwitch, TheSampleServerOpensWithTheSearchDone) {
    WriteServerRecord(sample_server_driver::ServerPath());
    window_driving::DemoProcess demo(DemoPath());
    Launch(demo, ControlId::RadioButton2, ControlId::Edit10, L"01016433305000");
    ASSERT_TRUE(window_driving::WaitUntil([] { return sample_server_driver::IsServerRunning(); }, 10000));
    HWND server = nullptr;
    ASSERT_TRUE(window_driving::WaitUntil([&] {
        server = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr);
        return server && sample_server_driver::OfferedMatches(server) == 1;
    }));
}

TEST_F(LaunchWithSwitch, NothingInstalledOrNothingStartableShowsNothing) {
    window_driving::DemoProcess demo(DemoPath());
    Launch(demo, ControlId::RadioButton1, ControlId::Edit9, L"суд");  // no record
    WriteServerRecord(folder_.Path());                                   // a folder
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button2)));
    WriteServerRecord(folder_ / L"gone.exe");                            // no such file
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button2)));
    const std::wstring notAProgram = folder_ / L"not a program.exe";     // a file that cannot start
    const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
        ::CreateFileW(notAProgram.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), "text", 4, &written, nullptr);
    WriteServerRecord(notAProgram);
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button2)));

    EXPECT_FALSE(demo.HasMessageBox(kTitle));
    EXPECT_EQ(RecordedCommandLine(recorder_), std::nullopt);
    EXPECT_EQ(RecordedCommandLine(decoy_), std::nullopt);
}

TEST_F(LaunchWithSwitch, RegistryErrorShowsTheErrorDisplayAndStartsNothing) {
    WriteServerRecord(recorder_);
    const BYTE binary[] = {0x43, 0x00, 0x3A, 0x00};
    SetRawValue(SettingsKey(L"1.0"), CustomPipes::kExeNameValue, REG_BINARY, binary, sizeof binary);
    window_driving::DemoProcess demo(DemoPath());
    ::SendMessageW(demo.Control(ControlId::RadioButton1), BM_CLICK, 0, 0);
    window_driving::Click(demo.Control(ControlId::Button2));
    const HWND box = demo.WaitForMessageBox(kTitle);
    ASSERT_TRUE(box);
    EXPECT_EQ(window_driving::MessageBoxText(box), L"Invalid data type for 'ExeName'");
    window_driving::CloseMessageBox(box);
    EXPECT_EQ(RecordedCommandLine(recorder_), std::nullopt);
}
