#include "CustomPipes.h"
#include "handles.h"
#include "memo_text.h"
#include "named_block.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace CustomPipes;

namespace {

// A named block created by the test, as a service would create its answer block.
struct Block {
    Block(const wchar_t* name, DWORD size)
        : mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name)),
          view(::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0)) {}

    wchar_t* Chars() { return static_cast<wchar_t*>(view.get()); }

    UniqueHandle mapping;
    UniqueMapView view;
};

MSG DataReady(Service service) {
    MSG msg{};
    msg.message = ServiceMessage(service, MessageKind::DataReady);
    msg.wParam = 12345;  // neither parameter is looked at
    msg.lParam = 67890;
    return msg;
}

struct Answer {
    bool returned = false;
    bool handled = false;
    std::wstring text = L"untouched";
};

Answer Read(const MSG& msg) {
    Answer a;
    a.returned = ReadServiceAnswer(msg, a.handled, a.text);
    return a;
}

class AnswerReading : public ::testing::Test {
protected:
    void SetUp() override { RegisterServiceMessages(); }
};

}  // namespace

TEST_F(AnswerReading, TextIsReadUpToTheFirstNul) {
    Block block(L"Varnel2", 65536);
    std::wcscpy(block.Chars(), L"<answer/>\r\n");
    block.Chars()[20] = L'x';  // after the NUL: not part of the answer
    const Answer a = Read(DataReady(Service::Varnel));
    EXPECT_TRUE(a.returned);
    EXPECT_TRUE(a.handled);
    EXPECT_EQ(a.text, L"<answer/>\r\n");
}

TEST_F(AnswerReading, FullBlockIsReadWholeWithOrWithoutItsNul) {
    Block block(L"Varnel2", 65536);
    std::wmemset(block.Chars(), L'я', 32767);
    block.Chars()[32767] = L'\0';
    EXPECT_EQ(Read(DataReady(Service::Varnel)).text, std::wstring(32767, L'я'));

    block.Chars()[32767] = L'z';
    EXPECT_EQ(Read(DataReady(Service::Varnel)).text, std::wstring(32767, L'я') + L'z');
}

TEST_F(AnswerReading, BlockSmallerThanTheCatalogueSaysIsReadToTheEndOfItsView) {
    Block block(L"Varnel2", 4096);
    std::wmemset(block.Chars(), L'q', 2048);  // not a single NUL in the whole block
    const Answer a = Read(DataReady(Service::Varnel));
    EXPECT_TRUE(a.handled);
    EXPECT_EQ(a.text, std::wstring(2048, L'q'));
}

// A block reserved without committing its pages: on Windows touching them is an access
// violation. Wine lets them be written, so the test can put text there that a reader
// must not see; on Windows a reader could not have seen it anyway.
TEST_F(AnswerReading, PagesReservedButNotCommittedAreNeverRead) {
    const NamedBlock reserved = NamedBlock::Create(L"Varnel2", 65536, PAGE_READWRITE | SEC_RESERVE);
    ASSERT_TRUE(reserved.IsMapped());
    auto* chars = static_cast<wchar_t*>(reserved.WritableData());
    if (RunsUnderWine()) std::wcscpy(chars, L"never committed");
    const Answer none = Read(DataReady(Service::Varnel));
    EXPECT_FALSE(none.returned);
    EXPECT_FALSE(none.handled);
    EXPECT_EQ(none.text, L"untouched");

    // Only the first page committed: read to its end, never into the next.
    ASSERT_TRUE(::VirtualAlloc(chars, 4096, MEM_COMMIT, PAGE_READWRITE));
    std::wmemset(chars, L'c', 2048);
    if (RunsUnderWine()) std::wcscpy(chars + 2048, L"reserved");
    const Answer firstPage = Read(DataReady(Service::Varnel));
    EXPECT_TRUE(firstPage.handled);
    EXPECT_EQ(firstPage.text, std::wstring(2048, L'c'));
}

TEST_F(AnswerReading, EachServiceCopiesItsOwnBlockAndSize) {
    Block pemba2(L"pemba2Data", 65536);
    std::wmemset(pemba2.Chars(), L'p', 32768);
    EXPECT_EQ(Read(DataReady(Service::Pemba2)).text, std::wstring(16384, L'p'));  // 32768 bytes

    Block tolvik(L"TOLVIKData", 8192);
    std::wmemset(tolvik.Chars(), L't', 4096);
    EXPECT_EQ(Read(DataReady(Service::Tolvik)).text, std::wstring(2048, L't'));  // 4096 bytes
}

TEST_F(AnswerReading, MissingBlockOrForeignMessageLeavesEverythingUntouched) {
    const Answer missing = Read(DataReady(Service::Pemba3));  // nobody created "pemba3Data"
    EXPECT_FALSE(missing.returned);
    EXPECT_FALSE(missing.handled);
    EXPECT_EQ(missing.text, L"untouched");

    Block block(L"Varnel2", 65536);
    std::wcscpy(block.Chars(), L"answer");
    for (UINT id : {ServiceMessage(Service::Varnel, MessageKind::Request),
                    ServiceMessage(Service::Quenta, MessageKind::DataReady), UINT(WM_USER + 5),
                    ::RegisterWindowMessageW(L"WM_TO_DATA_FROM_NOBODY_READY_EVENT")}) {
        MSG msg{};
        msg.message = id;
        const Answer a = Read(msg);
        EXPECT_FALSE(a.returned) << id;
        EXPECT_FALSE(a.handled) << id;
        EXPECT_EQ(a.text, L"untouched") << id;
    }
}
