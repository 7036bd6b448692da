#include "directory.h"
#include "request_document.h"
#include "search.h"
#include "search_request.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace sample_server;

namespace {

Search SearchFor(const SearchFields& fields) {
    std::wstring text = BuildSearchRequest(fields);
    text.pop_back();
    return ResolveSearch(ParseRequestDocument(wire::ToAnsiBytes(text)));
}

std::vector<std::wstring> Codes(const std::vector<Match>& matches) {
    std::vector<std::wstring> codes;
    for (const Match& m : matches) codes.push_back(m.body->code);
    return codes;
}

std::vector<Match> Find(const Search& search) { return FindBodies(search, SampleDirectory()); }

const Body& BodyWithCode(std::wstring_view code) {
    const auto directory = SampleDirectory();
    return *std::find_if(directory.begin(), directory.end(), [&](const Body& b) { return b.code == code; });
}

SearchFields ByName(std::wstring name, int type = 0) {
    SearchFields f;
    f.RadioButton4 = false;
    f.RadioButton5 = true;
    f.RadioGroup3 = type;
    f.Edit8 = std::move(name);
    return f;
}

SearchFields ByAddress(int type = 0) {
    SearchFields f;
    f.Edit8.clear();
    f.RadioGroup2 = type;
    return f;
}

}  // namespace

TEST(SampleDirectory, HoldsEnoughBodiesWithUniqueFourteenDigitCodes) {
    const auto directory = SampleDirectory();
    EXPECT_GE(directory.size(), 30u);
    std::set<std::wstring> codes;
    for (const Body& body : directory) {
        EXPECT_EQ(body.code.size(), 14u) << body.code;
        EXPECT_TRUE(std::all_of(body.code.begin(), body.code.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }));
        EXPECT_TRUE(codes.insert(body.code).second) << "duplicate " << body.code.size();
        EXPECT_FALSE(body.name.empty());
        EXPECT_FALSE(FormatAddress(body.address).empty());
    }
    EXPECT_EQ(codes.count(L"01016433305000"), 1u);
}

TEST(Search, TheWindowsDefaultRequestFallsBackToTheName) {
    const Search search = SearchFor(SearchFields{});
    EXPECT_EQ(search.requested, SearchKind::Address);
    EXPECT_EQ(search.kind, SearchKind::Name);
    EXPECT_EQ(search.text, L"владимир");
    const std::vector<Match> found = Find(search);
    ASSERT_GE(found.size(), 3u);
    for (const Match& m : found) {
        EXPECT_NE(FoldForSearch(m.body->name).find(L"владимир"), std::wstring::npos);
    }
    // Found in every case and position: "Владимирогорский ...", "... г. Владимирогорска".
    const auto codes = Codes(found);
    EXPECT_NE(std::find(codes.begin(), codes.end(), L"01016433305000"), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), L"01016433306000"), codes.end());
}

TEST(Search, ByCodeFindsExactlyOneBody) {
    SearchFields f;
    f.RadioButton4 = false;
    f.RadioButton6 = true;
    f.Edit7 = L"01016433305000";
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433305000"});
    f.Edit7 = L" 0101 6433 305000 ";
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433305000"});
    f.Edit7 = L"0101643330500";  // one digit short: codes match whole, not in part
    EXPECT_TRUE(Find(SearchFor(f)).empty());
    f.Edit7 = L"";
    EXPECT_TRUE(Find(SearchFor(f)).empty());
}

TEST(Search, NamesMatchIgnoringCaseAndTheDotsOfYo) {
    const auto lower = Codes(Find(SearchFor(ByName(L"новоозерский"))));
    EXPECT_EQ(lower, std::vector<std::wstring>{L"01016433311000"});  // "Новоозёрский городской суд"
    EXPECT_EQ(Codes(Find(SearchFor(ByName(L"НОВООЗЁРСКИЙ")))), lower);
    EXPECT_EQ(Codes(Find(SearchFor(ByName(L"  Новоозёрский  ")))), lower);
    EXPECT_TRUE(Find(SearchFor(ByName(L"Нигдейский"))).empty());
}

TEST(Search, SurnamesMatchJudgesByTheirBeginningAndReportThem) {
    const std::vector<Match> found = Find(SearchFor(ByName(L"корнеев", 1)));
    ASSERT_EQ(found.size(), 4u);  // Корнеева ×3 and Корнеев in four bodies
    for (const Match& m : found) {
        ASSERT_FALSE(m.judges.empty());
        for (const std::wstring& judge : m.judges) EXPECT_EQ(judge.rfind(L"Корнеев", 0), 0u) << m.body->code;
        EXPECT_LT(m.judges.size(), m.body->judges.size());  // the others on the bench are not listed
    }
    const std::vector<Match> yo = Find(SearchFor(ByName(L"Семенов", 1)));
    ASSERT_EQ(yo.size(), 1u);
    EXPECT_EQ(yo[0].judges, std::vector<std::wstring>{L"Семёнов И. В."});
    // A surname inside a word is no match: "ладыгин" is not "дыгин".
    EXPECT_TRUE(Find(SearchFor(ByName(L"дыгин", 1))).empty());
}

TEST(Search, AddressFieldsMustAllMatch) {
    SearchFields f = ByAddress();
    f.Edit3 = L"ТАЙГИНСК";
    const std::vector<Match> city = Find(SearchFor(f));
    ASSERT_GE(city.size(), 5u);
    for (const Match& m : city) EXPECT_EQ(m.body->address.city, L"Тайгинск");
    f.Edit5 = L"кедровая";
    const std::vector<Match> street = Find(SearchFor(f));
    EXPECT_EQ(street.size(), 3u);  // the supreme court, the arbitration court and the prosecutor's office
    f.Edit1 = L"Краснобережский";
    EXPECT_TRUE(Find(SearchFor(f)).empty());
}

TEST(Search, ADefendantsAddressMatchesTheTerritoryServed) {
    SearchFields f = ByAddress(1);
    f.Edit4 = L"Горелово";  // a village served by the court in Владимировка
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433308000"});
    f.RadioGroup2 = 0;  // no body sits in Горелово itself
    EXPECT_TRUE(Find(SearchFor(f)).empty());
}

TEST(Search, TheFirstChosenSectionDecidesInTheOrderCodeNamesAddress) {
    SearchFields f;
    f.RadioButton5 = true;
    f.RadioButton6 = true;
    f.Edit7 = L"02024471201000";
    EXPECT_EQ(SearchFor(f).kind, SearchKind::Code);
    f.RadioButton6 = false;
    EXPECT_EQ(SearchFor(f).kind, SearchKind::Name);
}

TEST(Search, NothingToLookForFindsNothing) {
    SearchFields f = ByAddress();
    const Search search = SearchFor(f);
    EXPECT_EQ(search.kind, SearchKind::None);
    EXPECT_TRUE(Find(search).empty());
    f.RadioButton4 = false;  // no section chosen: the name, when there is one, is used
    f.Edit8 = L"арбитражный";
    EXPECT_EQ(Find(SearchFor(f)).size(), 3u);
}

TEST(Search, SwitchesSearchByNameCodeAndSurname) {
    EXPECT_EQ(Codes(Find(SearchForSwitch(L'i', L"03035582101000"))), std::vector<std::wstring>{L"03035582101000"});
    EXPECT_EQ(Find(SearchForSwitch(L'a', L"краснобережский городской")).size(), 1u);
    const std::vector<Match> surname = Find(SearchForSwitch(L'f', L"Ёлкина"));
    ASSERT_EQ(surname.size(), 1u);
    EXPECT_EQ(surname[0].body->name, BodyWithCode(L"03035582105000").name);
    EXPECT_EQ(SearchForSwitch(L'x', L"что-то").kind, SearchKind::None);
}
