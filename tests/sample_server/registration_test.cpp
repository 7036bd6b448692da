// --register and --unregister in the test prefix's HKEY_CURRENT_USER.
#include "registry_fixture.h"
#include "server_fixtures.h"
#include "child_process.h"

#include <optional>

using namespace sample_server_driver;

namespace {

std::optional<std::wstring> ReadString(const std::wstring& keyPath, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

bool KeyExists(const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

constexpr const wchar_t* kOtherExe = L"C:\\Program Files\\Orbisan\\Varnel\\varnel.exe";

// Whatever record the prefix held before is put back afterwards.
class InstallationRecordTest : public SampleServerTest {
protected:
    void SetUp() override {
        SampleServerTest::SetUp();
        savedVersion_ = ReadString(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue);
        if (savedVersion_) savedExe_ = ReadString(SettingsKey(*savedVersion_), CustomPipes::kExeNameValue);
        DeleteServerRecord();
    }
    void TearDown() override {
        DeleteServerRecord();
        if (savedVersion_) SetStringValue(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue, *savedVersion_);
        if (savedVersion_ && savedExe_) SetStringValue(SettingsKey(*savedVersion_), CustomPipes::kExeNameValue, *savedExe_);
    }

    static ProcessOutput Run(const wchar_t* arguments) {
        return RunAndCapture(L"\"" + ServerPath() + L"\" " + arguments, 30000);
    }

    static std::optional<std::wstring> RecordedExe() {
        const auto version = ReadString(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue);
        return version ? ReadString(SettingsKey(*version), CustomPipes::kExeNameValue) : std::nullopt;
    }

private:
    std::optional<std::wstring> savedVersion_, savedExe_;
};

}  // namespace

TEST_F(InstallationRecordTest, RegisterWritesTheRecordAndUnregisterRemovesIt) {
    const ProcessOutput registered = Run(L"--register");
    EXPECT_EQ(registered.exitCode, 0u) << registered.output;
    EXPECT_NE(registered.output.find("Registered"), std::string::npos) << registered.output;
    EXPECT_EQ(ReadString(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue), L"1.0");
    EXPECT_EQ(ReadString(SettingsKey(L"1.0"), CustomPipes::kExeNameValue), ServerPath());

    // Registering again over its own record is no refusal.
    EXPECT_EQ(Run(L"--register").exitCode, 0u);

    const ProcessOutput removed = Run(L"--unregister");
    EXPECT_EQ(removed.exitCode, 0u) << removed.output;
    EXPECT_NE(removed.output.find("Removed"), std::string::npos) << removed.output;
    EXPECT_FALSE(KeyExists(CustomPipes::kVarnelKey));

    const ProcessOutput again = Run(L"--unregister");
    EXPECT_EQ(again.exitCode, 0u);
    EXPECT_NE(again.output.find("Nothing to remove"), std::string::npos) << again.output;
}

TEST_F(InstallationRecordTest, ARecordOfAnotherExecutableIsOnlyReplacedWithForce) {
    WriteServerRecord(kOtherExe);
    const ProcessOutput refused = Run(L"--register");
    EXPECT_EQ(refused.exitCode, 2u);
    EXPECT_NE(refused.output.find("Refused"), std::string::npos) << refused.output;
    EXPECT_EQ(RecordedExe(), kOtherExe);

    const ProcessOutput notRemoved = Run(L"--unregister");
    EXPECT_EQ(notRemoved.exitCode, 2u);
    EXPECT_EQ(RecordedExe(), kOtherExe);

    const ProcessOutput forced = Run(L"--register --force");
    EXPECT_EQ(forced.exitCode, 0u) << forced.output;
    EXPECT_EQ(RecordedExe(), ServerPath());
    EXPECT_EQ(Run(L"--unregister").exitCode, 0u);
    EXPECT_FALSE(RecordedExe());
}

TEST_F(InstallationRecordTest, ARecordWithANonStringValueIsAFailureNotAnOverwrite) {
    const DWORD number = 7;
    SetRawValue(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    const ProcessOutput result = Run(L"--register");
    EXPECT_EQ(result.exitCode, 1u) << result.output;
    EXPECT_NE(result.output.find("CurrentVersion"), std::string::npos) << result.output;
}
