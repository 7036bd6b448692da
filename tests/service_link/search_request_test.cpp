#include "raised_error.h"
#include "program_error.h"
#include "search_request.h"
#include "wire_text.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kCyrillic = 1251;

// "владимир" as wire text under code page 1251: each of its UTF-8 bytes
// (D0 B2 D0 BB D0 B0 D0 B4 D0 B8 D0 BC D0 B8 D1 80) as the character it denotes there.
constexpr const wchar_t* kVladimirOnTheWire =
    L"\u0420\u0406\u0420\u00BB\u0420\u00B0\u0420\u0491\u0420\u0451\u0420\u0458\u0420\u0451\u0421\u0402";

// The request for the page as the window starts, written out by hand.
std::wstring DefaultRequest() {
    return std::wstring(
               L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n"
               L"<ParamsForVarnel>\r\n"
               L"  <Locality>\r\n"
               L"    <lang>Russian</lang>\r\n"
               L"  </Locality>\r\n"
               L"  <Adress>\r\n"
               L"    <use>yes</use>\r\n"
               L"    <dest>court</dest>\r\n"
               L"    <index></index>\r\n"
               L"    <subj></subj>\r\n"
               L"    <Rayon></Rayon>\r\n"
               L"    <NP></NP>\r\n"
               L"    <city></city>\r\n"
               L"    <Street></Street>\r\n"
               L"    <house></house>\r\n"
               L"    <Full></Full>\r\n"
               L"    <AUTO_ANSWER>true</AUTO_ANSWER>\r\n"
               L"    <typesearch>AddressOfOrgan</typesearch>\r\n"
               L"  </Adress>\r\n"
               L"  <CodeOfCourts>\r\n"
               L"    <use>no</use>\r\n"
               L"    <typecode>code_court</typecode>\r\n"
               L"    <code></code>\r\n"
               L"  </CodeOfCourts>\r\n"
               L"  <Names>\r\n"
               L"    <use>no</use>\r\n"
               L"    <typename>NameOfOrgan</typename>\r\n"
               L"    <name>") +
           kVladimirOnTheWire +
           L"</name>\r\n"
           L"  </Names>\r\n"
           L"</ParamsForVarnel>\r\n" +
           std::wstring(1, L'\0');
}

std::vector<std::wstring> Lines(const std::wstring& request) {
    std::vector<std::wstring> lines;
    for (std::wstring_view line : CustomPipes::wire::SplitLines(std::wstring_view(request).substr(0, request.size() - 1))) {
        lines.emplace_back(line);
    }
    return lines;
}

std::wstring ErrorOf(const CustomPipes::SearchRequest& search) {
    return ErrorTextOf([&] { BuildSearchRequest(search, kCyrillic); });
}

}  // namespace

TEST(SearchRequest, DefaultPageGivesTheExactRequestText) {
    EXPECT_EQ(BuildSearchRequest(CustomPipes::SearchRequest{}, kCyrillic), DefaultRequest());
}

TEST(SearchRequest, SystemCodePageOfTheTestsIsCyrillic) {
    ASSERT_EQ(::GetACP(), kCyrillic) << "the tests run with LC_ALL=ru_RU.UTF-8";
    EXPECT_EQ(BuildSearchRequest(CustomPipes::SearchRequest{}), DefaultRequest());
}

TEST(SearchRequest, InAnsiBytesTheNameIsTheUtf8OfTheTypedLetters) {
    const std::wstring request = BuildSearchRequest(CustomPipes::SearchRequest{}, kCyrillic);
    const std::string bytes = CustomPipes::wire::ToAnsiBytes(request, kCyrillic);
    EXPECT_NE(bytes.find("<name>\xD0\xB2\xD0\xBB\xD0\xB0\xD0\xB4\xD0\xB8\xD0\xBC\xD0\xB8\xD1\x80</name>\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.back(), '\0');
    EXPECT_EQ(bytes.size(), request.size());  // one byte per character: nothing lost on the way
}

TEST(SearchRequest, EveryFieldLandsInItsOwnElement) {
    CustomPipes::SearchRequest f;
    f.address.subject = L"subj1";
    f.address.district = L"rayon2";
    f.address.city = L"city3";
    f.address.settlement = L"np4";
    f.address.street = L"street5";
    f.address.index = L"600000";
    f.code = L"01016433305000";
    f.name = L"name8";
    const std::vector<std::wstring> lines = Lines(BuildSearchRequest(f, kCyrillic));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[3], L"    <lang>Russian</lang>");
    EXPECT_EQ(lines[8], L"    <index>600000</index>");
    EXPECT_EQ(lines[9], L"    <subj>subj1</subj>");
    EXPECT_EQ(lines[10], L"    <Rayon>rayon2</Rayon>");
    EXPECT_EQ(lines[11], L"    <NP>np4</NP>");
    EXPECT_EQ(lines[12], L"    <city>city3</city>");
    EXPECT_EQ(lines[13], L"    <Street>street5</Street>");
    EXPECT_EQ(lines[22], L"    <code>01016433305000</code>");
    EXPECT_EQ(lines[27], L"    <name>name8</name>");
}

TEST(SearchRequest, WhatIsSearchedByChoosesWhichSectionIsUsed) {
    CustomPipes::SearchRequest byName;
    byName.by = CustomPipes::SearchRequest::By::Name;
    std::vector<std::wstring> lines = Lines(BuildSearchRequest(byName, kCyrillic));
    EXPECT_EQ(lines[6], L"    <use>no</use>");
    EXPECT_EQ(lines[20], L"    <use>no</use>");
    EXPECT_EQ(lines[25], L"    <use>yes</use>");

    CustomPipes::SearchRequest byCode;
    byCode.by = CustomPipes::SearchRequest::By::Code;
    lines = Lines(BuildSearchRequest(byCode, kCyrillic));
    EXPECT_EQ(lines[6], L"    <use>no</use>");
    EXPECT_EQ(lines[20], L"    <use>yes</use>");
    EXPECT_EQ(lines[25], L"    <use>no</use>");
}

TEST(SearchRequest, AnswerModeAddressKindAndNameKindChooseTheirLines) {
    CustomPipes::SearchRequest second;
    second.answer = CustomPipes::SearchRequest::Answer::ChosenInVarnel;
    second.addressOf = CustomPipes::SearchRequest::AddressOf::Defendant;
    second.nameOf = CustomPipes::SearchRequest::NameOf::OfficialSurname;
    std::vector<std::wstring> lines = Lines(BuildSearchRequest(second, kCyrillic));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[16], L"    <AUTO_ANSWER>false</AUTO_ANSWER>");
    EXPECT_EQ(lines[17], L"    <typesearch>AddressOfObject</typesearch>");
    EXPECT_EQ(lines[26], L"    <typename>FamilyOfMan</typename>");
}

TEST(SearchRequest, AllFieldsEmptyStillPassesTheCheck) {
    CustomPipes::SearchRequest empty;
    empty.language.clear();
    empty.name.clear();
    const std::vector<std::wstring> lines = Lines(BuildSearchRequest(empty, kCyrillic));
    EXPECT_EQ(lines[3], L"    <lang></lang>");
    EXPECT_EQ(lines[27], L"    <name></name>");
}

TEST(SearchRequest, IsDeterministic) {
    CustomPipes::SearchRequest f;
    f.address.city = L"Москва";
    EXPECT_EQ(BuildSearchRequest(f, kCyrillic), BuildSearchRequest(f, kCyrillic));
}

TEST(SearchRequest, MarkupCharactersInAValueFailTheCheckWithReasonLineAndSource) {
    CustomPipes::SearchRequest amp;
    amp.address.subject = L"Кировский & Ко";  // line 10, <subj>
    const std::wstring ampError = ErrorOf(amp);
    EXPECT_EQ(ampError, L"not well-formed (invalid token)\r\nLine: 10\r\n    <subj>Кировский & Ко</subj>");

    CustomPipes::SearchRequest less;
    less.name = L"a<b";
    const std::wstring lessError = ErrorOf(less);
    EXPECT_NE(lessError.find(L"\r\nLine: 28\r\n    <name>a<b</name>"), std::wstring::npos) << lessError;

    CustomPipes::SearchRequest greater;
    greater.name = L"a>b";
    EXPECT_NO_THROW(BuildSearchRequest(greater, kCyrillic));
}

TEST(SearchRequest, SourceLineOfAnErrorIsCutAtFortyCharacters) {
    CustomPipes::SearchRequest f;
    f.address.street = L"улица & " + std::wstring(60, L'ж');
    const std::wstring error = ErrorOf(f);
    const std::wstring expectedSource = L"    <Street>улица & " + std::wstring(20, L'ж');
    ASSERT_EQ(expectedSource.size(), 40u);
    EXPECT_EQ(error, L"not well-formed (invalid token)\r\nLine: 14\r\n" + expectedSource);
}

TEST(SearchRequest, ControlCharactersAndLoneSurrogatesAreRefused) {
    CustomPipes::SearchRequest control;
    control.address.district = L"a\x01" L"b";
    EXPECT_NE(ErrorOf(control).find(L"Line: 11"), std::wstring::npos);

    CustomPipes::SearchRequest lone;
    lone.name = L"ab\xD800";
    EXPECT_EQ(ErrorOf(lone), L"«Наименование / Фамилия»: the text holds a lone UTF-16 surrogate at character 3 "
                             L"and cannot be sent");

    CustomPipes::SearchRequest pair;
    pair.name = L"\U0001F600";
    const std::vector<std::wstring> lines = Lines(BuildSearchRequest(pair, kCyrillic));
    EXPECT_EQ(CustomPipes::wire::DecodeUtf8(CustomPipes::wire::ToAnsiBytes(lines[27], kCyrillic)), L"    <name>\U0001F600</name>");
}

TEST(SearchRequest, UndefinedByteOf1251InTheLetterIRoundTrips) {
    // "И" is D0 98 in UTF-8, and 1251 leaves 0x98 undefined.
    CustomPipes::SearchRequest f;
    f.name = L"ИВАНОВ";
    const std::vector<std::wstring> lines = Lines(BuildSearchRequest(f, kCyrillic));
    const std::string bytes = CustomPipes::wire::ToAnsiBytes(lines[27], kCyrillic);
    EXPECT_EQ(bytes, "    <name>\xD0\x98\xD0\x92\xD0\x90\xD0\x9D\xD0\x9E\xD0\x92</name>");
    EXPECT_EQ(CustomPipes::wire::DecodeUtf8(bytes), L"    <name>ИВАНОВ</name>");
}

TEST(SearchRequest, MultiByteCodePageCarriesAsciiAndRefusesOtherText) {
    constexpr UINT kJapanese = 932;
    CustomPipes::SearchRequest ascii;
    ascii.name = L"Ivanov";
    const std::vector<std::wstring> lines = Lines(BuildSearchRequest(ascii, kJapanese));
    EXPECT_EQ(lines[27], L"    <name>Ivanov</name>");

    CustomPipes::SearchRequest cyrillic;  // the default "владимир"
    try {
        BuildSearchRequest(cyrillic, kJapanese);
        FAIL() << "no error";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_NE(e.Text().find(L"«Наименование / Фамилия»"), std::wstring::npos);
        EXPECT_NE(e.Text().find(L"932"), std::wstring::npos);
    }
}
