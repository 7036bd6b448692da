#include "named_block.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <vector>


namespace {

// A block of the protocol's size, filled with 'x' and holding text from byte 0.
std::vector<wchar_t> Block(std::wstring_view text, size_t bytes = CustomPipes::kRequestBlockSize) {
    std::vector<wchar_t> block(bytes / sizeof(wchar_t), L'x');
    std::copy(text.begin(), text.end(), block.begin());
    return block;
}

// The text of a request block as a server reads it: a short block is refused.
CustomPipes::BlockText RequestTextOf(const void* data, size_t bytes) {
    return CustomPipes::TextOfBlock(data, bytes, CustomPipes::kRequestBlockSize, CustomPipes::ShortBlock::Refuse);
}

}  // namespace

TEST(RequestBlock, TheRequestEndsAtTheFirstNul) {
    const auto block = Block(std::wstring(L"<a/>\r\n\0tail of an older request", 31));
    const auto reading = RequestTextOf(block.data(), block.size() * sizeof(wchar_t));
    ASSERT_TRUE(reading.text) << std::string(reading.problem.begin(), reading.problem.end());
    EXPECT_EQ(*reading.text, L"<a/>\r\n");
}

TEST(RequestBlock, ALongestRequestFillsTheBlockUpToItsLastCharacter) {
    std::wstring text(CustomPipes::kMaxRequestCharacters, L'a');
    text += L'\0';
    const auto block = Block(text);
    const auto reading = RequestTextOf(block.data(), block.size() * sizeof(wchar_t));
    ASSERT_TRUE(reading.text);
    EXPECT_EQ(reading.text->size(), CustomPipes::kMaxRequestCharacters);
}

TEST(RequestBlock, ABlockWithoutNulIsRefused) {
    const auto block = Block(L"");
    const auto reading = RequestTextOf(block.data(), block.size() * sizeof(wchar_t));
    EXPECT_FALSE(reading.text);
    EXPECT_NE(reading.problem.find(L"no NUL"), std::wstring::npos);
}

TEST(RequestBlock, OnlyTheFirst16384BytesCount) {
    // A mapping may be larger; a NUL beyond the request block's size does not end a request.
    auto block = Block(L"", 2 * CustomPipes::kRequestBlockSize);
    block[CustomPipes::kRequestBlockSize / sizeof(wchar_t)] = L'\0';
    EXPECT_FALSE(RequestTextOf(block.data(), block.size() * sizeof(wchar_t)).text);
}

TEST(RequestBlock, AnUndersizedBlockIsRefusedEvenWithAGoodRequest) {
    const auto block = Block(std::wstring(L"<a/>\0", 5), 4096);
    const auto reading = RequestTextOf(block.data(), block.size() * sizeof(wchar_t));
    EXPECT_FALSE(reading.text);
    EXPECT_NE(reading.problem.find(L"only 4096 of its 16384 bytes"), std::wstring::npos);
}
