// Randomised answer blocks: whatever another process leaves in "Varnel2", reading it
// never faults and gives exactly the lines the rules describe.
#include "CustomPipes.h"
#include "named_block.h"
#include "random_text.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace CustomPipes;

namespace {

constexpr UINT kCyrillic = 1251;

// The lines the rules describe, worked out on the raw bytes: the text up to the first
// NUL, cut at CR LF, CR or LF, each line to ANSI bytes by the system and from UTF-8 by
// the program's decoder (the system's own decoder here, Wine's, drops a byte after some
// malformed sequences, so it cannot serve as the reference).
std::vector<std::wstring> ExpectedLines(const std::vector<unsigned char>& bytes) {
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == 0) break;
        text += c;
    }
    std::vector<std::wstring> raw;
    std::wstring current;
    bool open = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            raw.push_back(current);
            current.clear();
            open = false;
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            current += text[i];
            open = true;
        }
    }
    if (open) raw.push_back(current);

    std::vector<std::wstring> lines;
    for (const std::wstring& line : raw) {
        std::string ansi(line.size() * 2 + 1, '\0');
        const int n = line.empty() ? 0
                                   : ::WideCharToMultiByte(kCyrillic, 0, line.data(), static_cast<int>(line.size()),
                                                           ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr);
        lines.push_back(CustomPipes::wire::DecodeUtf8(std::string_view(ansi).substr(0, static_cast<size_t>(n))));
    }
    return lines;
}

size_t NextSize(RandomText& random, int round) {
    static constexpr size_t kEdges[] = {1, 2, 3, 4095, 4096, 4097, 32767, 32768, 65534, 65535, 65536, 65537, 69632};
    if (round < static_cast<int>(std::size(kEdges))) return kEdges[round];
    return 1 + random.Below(70000);
}

}  // namespace

TEST(AnswerReadingFuzz, RandomBlocksGiveExactlyTheLinesOfTheRules) {
    RegisterServiceMessages();
    MSG dataReady{};
    dataReady.message = ServiceMessage(Service::Varnel, MessageKind::DataReady);
    RandomText random(TestSeed());

    for (int round = 0; round < 10000; ++round) {
        const size_t size = NextSize(random, round);
        const std::vector<unsigned char> content = RandomBlockContent(random, size, RandomBlockKind(random));
        NamedBlock block = NamedBlock::Create(L"Varnel2", static_cast<uint32_t>(size));
        ASSERT_TRUE(block.IsMapped()) << "round " << round;
        std::memcpy(block.WritableData(), content.data(), size);
        const std::vector<unsigned char> visible = SeenInBlock(content, 65536);

        const bool unmapFirst = random.Chance(5);
        if (unmapFirst) block = {};  // the service closed its block before the read

        bool handled = false;
        std::wstring text = L"untouched";
        const bool read = ReadServiceAnswer(dataReady, handled, text);
        if (unmapFirst) {
            ASSERT_FALSE(read);
            ASSERT_FALSE(handled);
            ASSERT_EQ(text, L"untouched");
            continue;
        }
        ASSERT_TRUE(read && handled) << "round " << round;
        ASSERT_EQ(CustomPipes::wire::DecodeLines(text, kCyrillic), ExpectedLines(visible)) << "round " << round << ", size " << size;
    }
}
