#include "command_line.h"

#include <gtest/gtest.h>

using namespace sample_server;

TEST(CommandLine, TheProgramTokenIsSkippedInEachForm) {
    const std::wstring self = L"C:\\Program Files\\Varnel Demo\\varnel.exe";
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Varnel Demo\\varnel.exe\" -a:some name", self), L" -a:some name");
    // The client starts the server with its path unquoted, spaces and all.
    EXPECT_EQ(ArgumentsOf(L"C:\\Program Files\\Varnel Demo\\varnel.exe -f:Корнеева", self), L" -f:Корнеева");
    EXPECT_EQ(ArgumentsOf(L"c:\\program files\\varnel demo\\VARNEL.EXE -i:1", self), L" -i:1");
    EXPECT_EQ(ArgumentsOf(L"varnel.exe -i:01016433305000", self), L" -i:01016433305000");
    EXPECT_EQ(ArgumentsOf(self, self), L"");
    EXPECT_EQ(ArgumentsOf(L"\"unterminated -a:x", self), L"");
    // A longer name that merely begins with the module's path is not the module.
    EXPECT_EQ(ArgumentsOf(L"C:\\Program Files\\Varnel Demo\\varnel.exe2 -a:x", self), L" Files\\Varnel Demo\\varnel.exe2 -a:x");
}

TEST(CommandLine, ASwitchTakesTheRestOfTheLineSpacesIncluded) {
    const LaunchRequest a = ParseArguments(L" -a:Владимирогорский  городской суд ");
    ASSERT_TRUE(a.search);
    EXPECT_EQ(a.search->which, CustomPipes::LaunchSwitch::Name);
    EXPECT_EQ(a.search->value, L"Владимирогорский  городской суд ");
    EXPECT_EQ(ParseArguments(L" -i:01016433305000").search->which, CustomPipes::LaunchSwitch::Code);
    EXPECT_EQ(ParseArguments(L"-F:Ёлкина").search->value, L"Ёлкина");
    // Even "--register" after a switch is part of the value.
    const LaunchRequest tail = ParseArguments(L" -f:x --register");
    EXPECT_EQ(tail.mode, LaunchMode::Window);
    EXPECT_EQ(tail.search->value, L"x --register");
    EXPECT_EQ(ParseArguments(L" -a:").search->value, L"");
}

TEST(CommandLine, RecordModesAndForce) {
    EXPECT_EQ(ParseArguments(L" --register").mode, LaunchMode::Register);
    EXPECT_FALSE(ParseArguments(L" --register").force);
    EXPECT_TRUE(ParseArguments(L" --register --force").force);
    EXPECT_TRUE(ParseArguments(L" --force --register").force);
    EXPECT_EQ(ParseArguments(L"--unregister").mode, LaunchMode::Unregister);
}

TEST(CommandLine, AnythingElseIsReportedAsUnrecognised) {
    for (const wchar_t* odd : {L" -x:1", L" register", L" --register --unregister", L" --force", L" --register extra"}) {
        const LaunchRequest r = ParseArguments(odd);
        EXPECT_EQ(r.mode, LaunchMode::Window) << odd;
        EXPECT_FALSE(r.search) << odd;
        EXPECT_FALSE(r.unrecognised.empty()) << odd;
    }
    const LaunchRequest none = ParseArguments(L"   ");
    EXPECT_EQ(none.mode, LaunchMode::Window);
    EXPECT_FALSE(none.search);
    EXPECT_TRUE(none.unrecognised.empty());
}
