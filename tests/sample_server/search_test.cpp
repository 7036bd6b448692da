#include "directory.h"
#include "request_document.h"
#include "search.h"
#include "searches.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace sample_server;
using CustomPipes::LaunchSwitch;

namespace {

CustomPipes::RequestDocument Parsed(const CustomPipes::SearchRequest& search) {
    std::wstring text = BuildSearchRequest(search);
    text.pop_back();
    return CustomPipes::ParseRequestDocument(CustomPipes::wire::ToAnsiBytes(text));
}

Search SearchFor(const CustomPipes::SearchRequest& search) { return ResolveSearch(Parsed(search)); }

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

CustomPipes::SearchRequest ByAddress(CustomPipes::SearchRequest::AddressOf addressOf = {}) {
    CustomPipes::SearchRequest f;
    f.name.clear();
    f.addressOf = addressOf;
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
    const Search search = SearchFor(CustomPipes::SearchRequest{});
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
    CustomPipes::SearchRequest f;
    f.by = CustomPipes::SearchRequest::By::Code;
    f.code = L"01016433305000";
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433305000"});
    f.code = L" 0101 6433 305000 ";
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433305000"});
    f.code = L"0101643330500";  // one digit short: codes match whole, not in part
    EXPECT_TRUE(Find(SearchFor(f)).empty());
    f.code = L"";
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
    const std::vector<Match> found = Find(SearchFor(ByName(L"корнеев", CustomPipes::SearchRequest::NameOf::OfficialSurname)));
    ASSERT_EQ(found.size(), 4u);  // Корнеева ×3 and Корнеев in four bodies
    for (const Match& m : found) {
        ASSERT_FALSE(m.judges.empty());
        for (const std::wstring& judge : m.judges) EXPECT_EQ(judge.rfind(L"Корнеев", 0), 0u) << m.body->code;
        EXPECT_LT(m.judges.size(), m.body->judges.size());  // the others on the bench are not listed
    }
    const std::vector<Match> yo = Find(SearchFor(ByName(L"Семенов", CustomPipes::SearchRequest::NameOf::OfficialSurname)));
    ASSERT_EQ(yo.size(), 1u);
    EXPECT_EQ(yo[0].judges, std::vector<std::wstring>{L"Семёнов И. В."});
    // A surname inside a word is no match: "ладыгин" is not "дыгин".
    EXPECT_TRUE(Find(SearchFor(ByName(L"дыгин", CustomPipes::SearchRequest::NameOf::OfficialSurname))).empty());
}

TEST(Search, AddressFieldsMustAllMatch) {
    CustomPipes::SearchRequest f = ByAddress();
    f.address.city = L"ТАЙГИНСК";
    const std::vector<Match> city = Find(SearchFor(f));
    ASSERT_GE(city.size(), 5u);
    for (const Match& m : city) EXPECT_EQ(m.body->address.city, L"Тайгинск");
    f.address.street = L"кедровая";
    const std::vector<Match> street = Find(SearchFor(f));
    EXPECT_EQ(street.size(), 3u);  // the supreme court, the arbitration court and the prosecutor's office
    f.address.subject = L"Краснобережский";
    EXPECT_TRUE(Find(SearchFor(f)).empty());
}

TEST(Search, ADefendantsAddressMatchesTheTerritoryServed) {
    CustomPipes::SearchRequest f = ByAddress(CustomPipes::SearchRequest::AddressOf::Defendant);
    f.address.settlement = L"Горелово";  // a village served by the court in Владимировка
    EXPECT_EQ(Codes(Find(SearchFor(f))), std::vector<std::wstring>{L"01016433308000"});
    f.addressOf = CustomPipes::SearchRequest::AddressOf::Body;  // no body sits in Горелово itself
    EXPECT_TRUE(Find(SearchFor(f)).empty());
}

TEST(Search, TheFirstChosenSectionDecidesInTheOrderCodeNamesAddress) {
    // A document of another client may say yes in several sections.
    CustomPipes::SearchRequest f;
    f.by = CustomPipes::SearchRequest::By::Code;
    f.code = L"02024471201000";
    CustomPipes::RequestDocument request = Parsed(f);
    request.addressUse = request.namesUse = true;
    EXPECT_EQ(ResolveSearch(request).kind, SearchKind::Code);
    request.codeUse = false;
    EXPECT_EQ(ResolveSearch(request).kind, SearchKind::Name);
}

TEST(Search, NothingToLookForFindsNothing) {
    CustomPipes::SearchRequest f = ByAddress();
    const Search search = SearchFor(f);
    EXPECT_EQ(search.kind, SearchKind::None);
    EXPECT_TRUE(Find(search).empty());
    f.name = L"арбитражный";
    CustomPipes::RequestDocument request = Parsed(f);
    request.addressUse = false;  // no section chosen: the name, when there is one, is used
    EXPECT_EQ(Find(ResolveSearch(request)).size(), 3u);
}

TEST(Search, SwitchesSearchByNameCodeAndSurname) {
    EXPECT_EQ(Codes(Find(SearchForSwitch({LaunchSwitch::Code, L"03035582101000"}))), std::vector<std::wstring>{L"03035582101000"});
    EXPECT_EQ(Find(SearchForSwitch({LaunchSwitch::Name, L"краснобережский городской"})).size(), 1u);
    const std::vector<Match> surname = Find(SearchForSwitch({LaunchSwitch::Surname, L"Ёлкина"}));
    ASSERT_EQ(surname.size(), 1u);
    EXPECT_EQ(surname[0].body->name, BodyWithCode(L"03035582105000").name);
}
