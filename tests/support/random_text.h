// Random text and random answer blocks for the randomised tests: a fixed seed, so a
// failure can be replayed, unless VARNEL_TEST_SEED says otherwise.
#pragma once

#include "wire_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

inline unsigned TestSeed() {
    const char* seed = std::getenv("VARNEL_TEST_SEED");
    return seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261209u;
}

class RandomText {
public:
    explicit RandomText(unsigned seed) : engine_(seed) {}

    unsigned Below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(engine_); }
    bool Chance(unsigned percent) { return Below(100) < percent; }

    // One character (one or two UTF-16 units) of a kind chosen at random: ASCII,
    // Cyrillic, any BMP character, an astral pair, a control, a lone surrogate, or one
    // of the characters that matter to XML.
    std::wstring Character() {
        switch (Below(9)) {
            case 0: return {static_cast<wchar_t>(0x20 + Below(0x5F))};
            case 1: return {static_cast<wchar_t>(0x410 + Below(0x40))};
            case 2: return {static_cast<wchar_t>(0x400 + Below(0x60))};
            case 3: return {static_cast<wchar_t>(0x20 + Below(0xFFE0))};
            case 4: {
                const unsigned c = 0x10000 + Below(0x100000) - 0x10000;
                return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
            }
            case 5: return {static_cast<wchar_t>(Below(0x20))};
            case 6: return {static_cast<wchar_t>(0xD800 + Below(0x800))};
            case 7: {
                static constexpr wchar_t kMarkup[] = L"<>&\"']]]\r\n\t";
                return {kMarkup[Below(static_cast<unsigned>(std::size(kMarkup) - 1))]};
            }
            default: return {static_cast<wchar_t>(L"абвгдеёжзийклмнопрстуфхцчшщъыьэюяИ"[Below(34)])};
        }
    }

    // Text of a length drawn from a mix of short and long lengths. `risky` is the
    // chance, in percent, that a character is drawn from all kinds rather than from
    // plain letters.
    std::wstring Text(unsigned maxLength, unsigned risky) {
        const unsigned length = Chance(90) ? Below(12) : Below(maxLength + 1);
        std::wstring text;
        while (text.size() < length) {
            text += Chance(risky) ? Character() : std::wstring(1, L"Суд Владимир 7 court"[Below(20)]);
        }
        return text;
    }

    std::mt19937& Engine() { return engine_; }

private:
    std::mt19937 engine_;
};

// What another process may leave in an answer block.
enum class BlockContent { RawBytes, TextWithNul, TextWithoutNul };

inline BlockContent RandomBlockKind(RandomText& random) { return static_cast<BlockContent>(random.Below(3)); }

// size bytes of the given kind. Text is UTF-16 of every kind with line breaks and wire
// text of Cyrillic letters; its NUL lies within the first 64 KB, a fifth of the time at 0.
inline std::vector<unsigned char> RandomBlockContent(RandomText& random, size_t size, BlockContent kind) {
    std::vector<unsigned char> bytes(size);
    if (kind == BlockContent::RawBytes) {
        for (auto& b : bytes) b = static_cast<unsigned char>(random.Below(256));
        return bytes;
    }
    std::wstring text;
    while (text.size() * 2 < size + 2) {
        if (random.Chance(8)) {
            text += L"\r\n";
        } else if (random.Chance(30)) {
            text += CustomPipes::wire::EncodeValue(std::wstring(1, L"Суд владимирский ёжик"[random.Below(20)]));
        } else {
            std::wstring c = random.Character();
            if (c.size() == 1 && c[0] == 0) c[0] = L' ';
            text += c;
        }
    }
    std::memcpy(bytes.data(), text.data(), size);
    if (kind == BlockContent::TextWithNul && size >= 2) {
        const size_t at = random.Chance(5) ? 0 : random.Below(static_cast<unsigned>(std::min<size_t>(size, 65536) / 2)) * 2;
        bytes[at] = bytes[at + 1] = 0;
    }
    if (kind == BlockContent::TextWithoutNul) {
        for (size_t i = 0; i + 1 < size; i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0) bytes[i] = ' ';
        }
    }
    return bytes;
}

// What a reader sees of a block that holds content: whole pages, zeros after the
// content, at most the maxBytes it reads.
inline std::vector<unsigned char> SeenInBlock(const std::vector<unsigned char>& content, size_t maxBytes) {
    constexpr size_t kPage = 4096;
    std::vector<unsigned char> seen = content;
    seen.resize(std::min((content.size() + kPage - 1) / kPage * kPage, maxBytes), 0);
    return seen;
}
