#include "blocks.h"
#include "exchange.h"
#include "handles.h"
#include "program_error.h"
#include "protocol.h"
#include "registry_fixture.h"
#include "request_block.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using CustomPipes::RequestBlockName;

// A handle value no window of this test has: only its digits matter to the block.
HWND FakeWindow(uintptr_t value) { return reinterpret_cast<HWND>(value); }


std::wstring Request(size_t characters, wchar_t c = L'r') { return std::wstring(characters, c) + L'\0'; }

}  // namespace

TEST(RequestBlockName, IsTheHandleAsUnsignedDecimal) {
    EXPECT_EQ(RequestBlockName(FakeWindow(0x10070)), L"65648");
    EXPECT_EQ(RequestBlockName(FakeWindow(0x80000000u)), L"2147483648");  // no sign
    EXPECT_EQ(RequestBlockName(FakeWindow(0xFFFFFFFFu)), L"4294967295");
    EXPECT_EQ(RequestBlockName(FakeWindow(7)), L"7");
}

TEST(RequestBlock, IsCreatedUnderTheWindowsNameWith16384WritableBytes) {
    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110001));
    ASSERT_TRUE(block.IsMapped());
    const auto peer = OpenRequestBlock(FakeWindow(0x7A110001));
    ASSERT_TRUE(peer.IsMapped());
    MEMORY_BASIC_INFORMATION region{};
    ASSERT_TRUE(::VirtualQuery(Characters(peer), &region, sizeof region));
    EXPECT_EQ(region.RegionSize, CustomPipes::kRequestBlockSize);
    Characters(peer)[0] = L'y';
    Characters(peer)[8191] = L'z';
    EXPECT_EQ(Characters(peer)[0], L'y');
    EXPECT_EQ(Characters(peer)[8191], L'z');
    // Exactly 16384 bytes: a larger view does not fit.
    const CustomPipes::UniqueMapView tooLarge(
        ::MapViewOfFile(peer.Mapping(), FILE_MAP_WRITE, 0, 0, CustomPipes::kRequestBlockSize + 1));
    EXPECT_FALSE(tooLarge);
}

// Made by an elevated client, the block would by default grant only administrators and
// the system; a Varnel of the same user without elevation could not open it.
TEST(RequestBlock, GrantsTheCurrentUserAndTheSystemAndNobodyElse) {
    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110009));
    ASSERT_TRUE(block.IsMapped());
    const CustomPipes::UniqueHandle mapping(::OpenFileMappingW(READ_CONTROL, FALSE, RequestBlockName(FakeWindow(0x7A110009)).c_str()));
    ASSERT_TRUE(mapping);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(mapping.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);

    HANDLE rawToken = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken));
    const CustomPipes::UniqueHandle token(rawToken);
    BYTE user[256];
    DWORD size = sizeof user;
    ASSERT_TRUE(::GetTokenInformation(token.get(), TokenUser, user, size, &size));
    BYTE system[SECURITY_MAX_SID_SIZE];
    size = sizeof system;
    ASSERT_TRUE(::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size));

    std::vector<PSID> granted;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        ASSERT_TRUE(::GetAce(dacl, i, &ace));
        ASSERT_EQ(static_cast<ACE_HEADER*>(ace)->AceType, ACCESS_ALLOWED_ACE_TYPE);
        granted.push_back(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart);
    }
    ::LocalFree(descriptor);
    ASSERT_EQ(granted.size(), 2u);
    EXPECT_TRUE(::EqualSid(granted[0], system));
    EXPECT_TRUE(::EqualSid(granted[1], reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
}

TEST(RequestBlock, WritesTheRequestWithItsNulAndLeavesTheBytesAfterIt) {
    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110002));
    const auto peer = OpenRequestBlock(FakeWindow(0x7A110002));
    ASSERT_TRUE(peer.IsMapped());
    Fill(peer, L'#');

    block.Write(Request(100, L'L'));
    EXPECT_EQ(Prefix(peer, 101), Request(100, L'L'));
    EXPECT_EQ(Characters(peer)[101], L'#');

    // A shorter request after a longer one: the longer one's tail stays after the NUL.
    block.Write(Request(10, L's'));
    EXPECT_EQ(Prefix(peer, 11), Request(10, L's'));
    EXPECT_EQ(Prefix(peer, 101).substr(11), std::wstring(89, L'L') + L'\0');
}

TEST(RequestBlock, Takes8191CharactersAndRefuses8192WithoutWriting) {
    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110003));
    const auto peer = OpenRequestBlock(FakeWindow(0x7A110003));
    ASSERT_TRUE(peer.IsMapped());
    Fill(peer, L'#');

    block.Write(Request(CustomPipes::kMaxRequestCharacters));
    EXPECT_EQ(Prefix(peer, 8192), Request(8191));

    Fill(peer, L'#');
    try {
        block.Write(Request(8192));
        FAIL() << "an 8192-character request was accepted";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_NE(e.Text().find(L"8192"), std::wstring::npos) << "the text names the request's length";
        EXPECT_NE(e.Text().find(L"8191"), std::wstring::npos) << "the text names the limit";
    }
    EXPECT_EQ(Prefix(peer, 8192), std::wstring(8192, L'#'));
}

// Window handles can be guessed: a block of the name that another program made first
// (with its own security, and a handle of its own to it) is never written into.
TEST(RequestBlock, ABlockOfTheNameMadeFirstByAnotherProgramIsNeverWrittenInto) {
    const std::wstring name = RequestBlockName(FakeWindow(0x7A110004));
    const auto existing = CustomPipes::NamedBlock::Create(name, CustomPipes::kRequestBlockSize);
    ASSERT_TRUE(existing.IsMapped());
    std::memset(existing.WritableData(), 0x23, CustomPipes::kRequestBlockSize);
    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110004));
    EXPECT_FALSE(block.IsMapped());
    EXPECT_TRUE(block.TakenByAnother());
    try {
        block.Write(Request(3, L'e'));
        FAIL() << "a request was written into another program's block";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_NE(e.Text().find(L"\"" + name + L"\" was there before"), std::wstring::npos) << std::string(e.what());
    }
    EXPECT_EQ(static_cast<const unsigned char*>(existing.Data())[0], 0x23);
}

namespace {

// Plays a program that watches for a client's hidden window and makes a block of its
// name before the client does (a hook on this thread sees the window made).
struct BlockTakenInAdvance {
    static inline HWND window = nullptr;
    static inline std::optional<CustomPipes::NamedBlock> block;

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        wchar_t className[64] = L"";
        const HWND made = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND && !window && ::GetClassNameW(made, className, 64) &&
            std::wstring(className) == L"VarnelExchangeClient") {
            window = made;
            block = CustomPipes::NamedBlock::Create(RequestBlockName(made), CustomPipes::kRequestBlockSize);
            std::memset(block->WritableData(), 0x23, CustomPipes::kRequestBlockSize);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

}  // namespace

// A client with a hidden window of its own, as varnel-query and varnel.dll are, makes
// another window and another block, and sends from those.
TEST(RequestBlock, AClientFindingItsBlockMadeByAnotherProgramMakesAnotherWindowAndBlock) {
    DeleteServerRecord();  // the run sends to nobody
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, &BlockTakenInAdvance::Hook, nullptr, ::GetCurrentThreadId());
    ASSERT_TRUE(hook);
    std::optional<CustomPipes::ExchangeClient> client;
    client.emplace();
    ::UnhookWindowsHookEx(hook);
    ASSERT_TRUE(BlockTakenInAdvance::window) << "no hidden window of the client was seen";
    ASSERT_TRUE(BlockTakenInAdvance::block->IsMapped());
    EXPECT_NE(client->Window(), BlockTakenInAdvance::window);
    EXPECT_FALSE(::IsWindow(BlockTakenInAdvance::window));

    // Whatever the run comes to (Varnel is not installed here), the request is written
    // into the client's own block, and not one byte of the other program's changes.
    client->Run(Request(5, L'q'), CustomPipes::RunLimits::From(1000));
    const auto own = OpenRequestBlock(client->Window());
    EXPECT_EQ(Prefix(own, 6), Request(5, L'q'));
    const auto* taken = static_cast<const unsigned char*>(BlockTakenInAdvance::block->Data());
    EXPECT_EQ(std::count(taken, taken + CustomPipes::kRequestBlockSize, 0x23), CustomPipes::kRequestBlockSize);
    client.reset();
    BlockTakenInAdvance::block.reset();
}

TEST(RequestBlock, WithoutABlockWritingRaisesAClearErrorAndWritesNothing) {
    // A block of that name that is too small cannot be mapped at 16384 bytes.
    const std::wstring name = RequestBlockName(FakeWindow(0x7A110005));
    const auto small = CustomPipes::NamedBlock::Create(name, 4096);
    ASSERT_TRUE(small.IsMapped());
    std::memset(small.WritableData(), 0x23, 4096);

    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110005));
    EXPECT_FALSE(block.IsMapped());
    try {
        block.Write(Request(5));
        FAIL() << "a request was written without a block";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_NE(e.Text().find(L"request block"), std::wstring::npos) << std::string(e.what());
        EXPECT_NE(e.Text().find(name), std::wstring::npos) << "the text names the block";
    }
    EXPECT_EQ(static_cast<const unsigned char*>(small.Data())[0], 0x23);

    CustomPipes::RequestBlock none;
    EXPECT_THROW(none.Write(Request(5)), CustomPipes::ProgramError);
}

TEST(RequestBlock, ABlockOfTheNameWithPagesNotCommittedCountsAsNoBlock) {
    // Window handles are predictable: another program may have reserved a block of the
    // name first. Writing into a page that is not committed is an access violation.
    const std::wstring name = RequestBlockName(FakeWindow(0x7A110006));
    const auto reserved = CustomPipes::NamedBlock::Create(name, CustomPipes::kRequestBlockSize,
                                                          PAGE_READWRITE | SEC_RESERVE);
    ASSERT_TRUE(reserved.IsMapped());
    ASSERT_TRUE(::VirtualAlloc(reserved.WritableData(), 4096, MEM_COMMIT, PAGE_READWRITE));  // the first page only

    CustomPipes::RequestBlock block = CustomPipes::RequestBlock::CreateFor(FakeWindow(0x7A110006));
    EXPECT_FALSE(block.IsMapped());
    try {
        block.Write(Request(5));
        FAIL() << "a request was written into a block with reserved pages";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_NE(e.Text().find(name), std::wstring::npos) << "the text names the block";
    }
    EXPECT_EQ(static_cast<const wchar_t*>(reserved.Data())[0], L'\0');
}
