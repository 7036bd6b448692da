#include "CustomPipes.h"
#include "paths.h"
#include "program_error.h"
#include "registry_fixture.h"

#include <gtest/gtest.h>

using CustomPipes::IsExistingFile;
using CustomPipes::LookUpServerExecutable;
using CustomPipes::kCurrentVersionValue;
using CustomPipes::kExeNameValue;
using CustomPipes::kVarnelKey;

namespace {

class ServerRecord : public ::testing::Test {
protected:
    void SetUp() override { DeleteServerRecord(); }
    void TearDown() override { DeleteServerRecord(); }

    // CurrentVersion "1.0" and an ExeName value of the given raw form.
    static void WriteExeName(DWORD type, const void* data, DWORD bytes) {
        SetStringValue(kVarnelKey, kCurrentVersionValue, L"1.0");
        SetRawValue(SettingsKey(L"1.0"), kExeNameValue, type, data, bytes);
    }

    static std::wstring ErrorOfLookUp() {
        try {
            LookUpServerExecutable();
        } catch (const CustomPipes::ProgramError& e) {
            return e.Text();
        }
        return L"(no error)";
    }
};

}  // namespace

TEST_F(ServerRecord, MissingRecordKeyOrValueGivesAnEmptyPath) {
    EXPECT_EQ(LookUpServerExecutable(), L"");
    SetStringValue(kVarnelKey, kCurrentVersionValue, L"1.0");
    EXPECT_EQ(LookUpServerExecutable(), L"");  // no settings key
    CreateKey(SettingsKey(L"1.0"));
    EXPECT_EQ(LookUpServerExecutable(), L"");  // no ExeName value
    DeleteServerRecord();
    SetStringValue(SettingsKey(L"1.0"), kExeNameValue, L"C:\\varnel\\varnel.exe");
    EXPECT_EQ(LookUpServerExecutable(), L"");  // no CurrentVersion
}

TEST_F(ServerRecord, StringValuesAreReturnedAsStored) {
    WriteServerRecord(L"C:\\Program Files\\Varnel\\varnel.exe");
    EXPECT_EQ(LookUpServerExecutable(), L"C:\\Program Files\\Varnel\\varnel.exe");

    const std::wstring expandable = L"%ProgramFiles%\\Varnel\\varnel.exe";
    WriteExeName(REG_EXPAND_SZ, expandable.c_str(), static_cast<DWORD>((expandable.size() + 1) * 2));
    EXPECT_EQ(LookUpServerExecutable(), expandable);  // not expanded

    const wchar_t embedded[] = L"C:\\a.exe\0C:\\b.exe";
    WriteExeName(REG_SZ, embedded, sizeof embedded);
    EXPECT_EQ(LookUpServerExecutable(), L"C:\\a.exe");  // up to the first NUL
}

TEST_F(ServerRecord, StringWithoutTerminatorOrWithAnOddByteCountIsReadWhole) {
    const std::wstring path = L"C:\\Varnel\\varnel.exe";
    WriteExeName(REG_SZ, path.c_str(), static_cast<DWORD>(path.size() * 2));
    EXPECT_EQ(LookUpServerExecutable(), path);

    WriteExeName(REG_SZ, path.c_str(), static_cast<DWORD>(path.size() * 2 + 1));
    EXPECT_EQ(LookUpServerExecutable(), path);

    const std::wstring longPath = L"C:\\" + std::wstring(40000, L'д') + L".exe";
    WriteExeName(REG_SZ, longPath.c_str(), static_cast<DWORD>(longPath.size() * 2));
    EXPECT_EQ(LookUpServerExecutable(), longPath);
}

TEST_F(ServerRecord, ValuesOfOtherTypesRaiseTheRegistryErrorNamingTheValue) {
    const DWORD number = 2;
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(ErrorOfLookUp(), L"Invalid data type for 'CurrentVersion'");

    const unsigned long long big = 7;
    const BYTE binary[] = {1, 2, 3};
    const wchar_t multi[] = L"C:\\a.exe\0\0";
    struct Case {
        DWORD type;
        const void* data;
        DWORD bytes;
    };
    for (const Case& c : {Case{REG_DWORD, &number, sizeof number}, Case{REG_QWORD, &big, sizeof big},
                          Case{REG_BINARY, binary, sizeof binary}, Case{REG_MULTI_SZ, multi, sizeof multi}}) {
        WriteExeName(c.type, c.data, c.bytes);
        EXPECT_EQ(ErrorOfLookUp(), L"Invalid data type for 'ExeName'") << c.type;
    }
}

TEST_F(ServerRecord, ValuesWithoutDataGiveAnEmptyPathWhateverTheirType) {
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ, REG_QWORD}) {
        WriteExeName(type, nullptr, 0);
        EXPECT_EQ(LookUpServerExecutable(), L"") << type;
    }
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_BINARY, nullptr, 0);
    EXPECT_EQ(LookUpServerExecutable(), L"");  // empty version: "Varnel\\settings" does not exist
}

TEST(ExistingFile, OnlyAnExistingFileThatIsNotADirectoryCounts) {
    const std::wstring exe = PathBesideTest(L"");
    EXPECT_TRUE(IsExistingFile(WindowsPath(RECORDER_EXE)));
    EXPECT_FALSE(IsExistingFile(exe.substr(0, exe.size() - 1)));  // the test's folder
    EXPECT_FALSE(IsExistingFile(PathBesideTest(L"no-such-file.exe")));
    EXPECT_FALSE(IsExistingFile(PathBesideTest(L"no-such-folder\\x.exe")));
    EXPECT_FALSE(IsExistingFile(L""));
    EXPECT_FALSE(IsExistingFile(L"C:\\bad<name>.exe"));
    EXPECT_FALSE(IsExistingFile(L"C:\\" + std::wstring(40000, L'x') + L".exe"));
}

TEST(ExistingFile, AFileOpenedWithoutSharingStillCounts) {
    const std::wstring path = PathBesideTest(L"locked-file.tmp");
    CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    EXPECT_TRUE(IsExistingFile(path));
    file.reset();
    ::DeleteFileW(path.c_str());
}
