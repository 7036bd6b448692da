#include "CustomPipes.h"
#include "blocks.h"
#include "memo_text.h"
#include "named_block.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace window;

using namespace CustomPipes;

namespace {

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
    const NamedBlock block = NamedBlock::Create(L"Varnel2", 65536);
    std::wcscpy(Characters(block), L"<answer/>\r\n");
    Characters(block)[20] = L'x';  // after the NUL: not part of the answer
    const Answer a = Read(DataReady(Service::Varnel));
    EXPECT_TRUE(a.returned);
    EXPECT_TRUE(a.handled);
    EXPECT_EQ(a.text, L"<answer/>\r\n");
}

TEST_F(AnswerReading, FullBlockIsReadWholeWithOrWithoutItsNul) {
    const NamedBlock block = NamedBlock::Create(L"Varnel2", 65536);
    std::wmemset(Characters(block), L'я', 32767);
    Characters(block)[32767] = L'\0';
    EXPECT_EQ(Read(DataReady(Service::Varnel)).text, std::wstring(32767, L'я'));

    Characters(block)[32767] = L'z';
    EXPECT_EQ(Read(DataReady(Service::Varnel)).text, std::wstring(32767, L'я') + L'z');
}

TEST_F(AnswerReading, BlockSmallerThanTheCatalogueSaysIsReadToTheEndOfItsView) {
    const NamedBlock block = NamedBlock::Create(L"Varnel2", 4096);
    std::wmemset(Characters(block), L'q', 2048);  // not a single NUL in the whole block
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
    wchar_t* chars = Characters(reserved);
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
    const NamedBlock pemba2 = NamedBlock::Create(L"pemba2Data", 65536);
    std::wmemset(Characters(pemba2), L'p', 32768);
    EXPECT_EQ(Read(DataReady(Service::Pemba2)).text, std::wstring(16384, L'p'));  // 32768 bytes

    const NamedBlock tolvik = NamedBlock::Create(L"TOLVIKData", 8192);
    std::wmemset(Characters(tolvik), L't', 4096);
    EXPECT_EQ(Read(DataReady(Service::Tolvik)).text, std::wstring(2048, L't'));  // 4096 bytes
}

TEST_F(AnswerReading, MissingBlockOrForeignMessageLeavesEverythingUntouched) {
    const Answer missing = Read(DataReady(Service::Pemba3));  // nobody created "pemba3Data"
    EXPECT_FALSE(missing.returned);
    EXPECT_FALSE(missing.handled);
    EXPECT_EQ(missing.text, L"untouched");

    const NamedBlock block = NamedBlock::Create(L"Varnel2", 65536);
    std::wcscpy(Characters(block), L"answer");
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
