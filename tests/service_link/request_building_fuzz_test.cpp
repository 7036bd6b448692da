// Randomised request building: every field set gives either exactly the document the
// rules describe or an error, never a garbled request.
#include "program_error.h"
#include "random_text.h"
#include "search_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kCyrillic = 1251;

// UTF-8 through the system's own converter, independent of the program's encoder.
std::string SystemUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string SystemAnsi(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// The document the rules describe, written directly as the UTF-8 bytes it must be.
std::string ExpectedDocument(const CustomPipes::SearchRequest& f) {
    std::string d;
    auto line = [&](const std::string& text) { d += text + "\r\n"; };
    auto element = [&](const char* tag, const std::wstring& value) {
        line(std::string("    <") + tag + ">" + SystemUtf8(value) + "</" + tag + ">");
    };
    auto use = [&](bool yes) { line(yes ? "    <use>yes</use>" : "    <use>no</use>"); };
    line("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>");
    line("<ParamsForVarnel>");
    line("  <Locality>");
    element("lang", f.language);
    line("  </Locality>");
    line("  <Adress>");
    use(f.by == CustomPipes::SearchRequest::By::Address);
    line("    <dest>court</dest>");
    element("index", f.address.index);
    element("subj", f.address.subject);
    element("Rayon", f.address.district);
    element("NP", f.address.settlement);
    element("city", f.address.city);
    element("Street", f.address.street);
    line("    <house></house>");
    line("    <Full></Full>");
    const bool automatic = f.answer == CustomPipes::SearchRequest::Answer::Automatic;
    line(automatic ? "    <AUTO_ANSWER>true</AUTO_ANSWER>" : "    <AUTO_ANSWER>false</AUTO_ANSWER>");
    const bool ofBody = f.addressOf == CustomPipes::SearchRequest::AddressOf::Body;
    line(ofBody ? "    <typesearch>AddressOfOrgan</typesearch>" : "    <typesearch>AddressOfObject</typesearch>");
    line("  </Adress>");
    line("  <CodeOfCourts>");
    use(f.by == CustomPipes::SearchRequest::By::Code);
    line("    <typecode>code_court</typecode>");
    element("code", f.code);
    line("  </CodeOfCourts>");
    line("  <Names>");
    use(f.by == CustomPipes::SearchRequest::By::Name);
    const bool nameOfBody = f.nameOf == CustomPipes::SearchRequest::NameOf::Body;
    line(nameOfBody ? "    <typename>NameOfOrgan</typename>" : "    <typename>FamilyOfMan</typename>");
    element("name", f.name);
    line("  </Names>");
    line("</ParamsForVarnel>");
    return d;
}

bool HasLoneSurrogate(const std::wstring& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF, low = s[i] >= 0xDC00 && s[i] <= 0xDFFF;
        if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            ++i;
        } else if (high || low) {
            return true;
        }
    }
    return false;
}

// Character data of XML 1.0 may not hold "<", "&", "]]>", controls other than tab,
// CR and LF, nor U+FFFE and U+FFFF. (The generator never writes a valid reference.)
bool BreaksXml(const std::wstring& s) {
    if (s.find_first_of(L"<&") != std::wstring::npos || s.find(L"]]>") != std::wstring::npos) return true;
    for (wchar_t c : s) {
        if ((c < 0x20 && c != L'\t' && c != L'\r' && c != L'\n') || c == 0xFFFE || c == 0xFFFF) return true;
    }
    return false;
}

std::vector<const std::wstring*> TextFields(const CustomPipes::SearchRequest& f) {
    const CustomPipes::SearchRequest::Address& a = f.address;
    return {&f.language, &a.subject, &a.district, &a.city, &a.settlement, &a.street, &a.index, &f.code, &f.name};
}

CustomPipes::SearchRequest RandomFields(RandomText& random) {
    CustomPipes::SearchRequest f;
    // Most sets are clean, so that both outcomes are exercised in bulk.
    const unsigned risky = random.Chance(60) ? 0 : 8;
    CustomPipes::SearchRequest::Address& a = f.address;
    for (std::wstring* text : {&f.language, &a.subject, &a.district, &a.city, &a.settlement, &a.street, &a.index,
                               &f.code, &f.name}) {
        *text = random.Text(random.Chance(1) ? 9000 : 200, risky);
    }
    using Search = CustomPipes::SearchRequest;
    f.by = static_cast<Search::By>(random.Below(3));
    f.answer = static_cast<Search::Answer>(random.Below(2));
    f.addressOf = static_cast<Search::AddressOf>(random.Below(2));
    f.nameOf = static_cast<Search::NameOf>(random.Below(2));
    return f;
}

}  // namespace

TEST(RequestBuildingFuzz, EveryFieldSetGivesTheExactDocumentOrAnError) {
    RandomText random(TestSeed());
    int built = 0, refusedMarkup = 0, refusedSurrogate = 0;
    for (int round = 0; round < 100000; ++round) {
        const CustomPipes::SearchRequest fields = RandomFields(random);
        bool lone = false, breaks = false;
        for (const std::wstring* text : TextFields(fields)) {
            lone = lone || HasLoneSurrogate(*text);
            breaks = breaks || BreaksXml(*text);
        }
        try {
            const std::wstring request = BuildSearchRequest(fields, kCyrillic);
            ASSERT_FALSE(lone) << "round " << round << ": a lone surrogate was sent";
            ASSERT_FALSE(breaks) << "round " << round << ": a malformed document passed the check";
            ASSERT_FALSE(request.empty());
            ASSERT_EQ(request.back(), L'\0');
            ASSERT_EQ(request.find(L'\0'), request.size() - 1) << "round " << round;
            ASSERT_EQ(SystemAnsi(request.substr(0, request.size() - 1), kCyrillic), ExpectedDocument(fields))
                << "round " << round;
            ++built;
        } catch (const CustomPipes::ProgramError& e) {
            if (lone) {
                ASSERT_NE(e.Text().find(L"lone UTF-16 surrogate"), std::wstring::npos) << "round " << round;
                ++refusedSurrogate;
            } else {
                ASSERT_TRUE(breaks) << "round " << round << ": refused a good request: " << ::testing::PrintToString(e.Text());
                ASSERT_NE(e.Text().find(L"\r\nLine: "), std::wstring::npos) << "round " << round;
                ++refusedMarkup;
            }
        }
    }
    // All three outcomes must really have been exercised.
    EXPECT_GT(built, 30000);
    EXPECT_GT(refusedMarkup, 1000);
    EXPECT_GT(refusedSurrogate, 1000);
    std::printf("built %d, refused for markup %d, refused for a lone surrogate %d\n", built, refusedMarkup,
                refusedSurrogate);
}
