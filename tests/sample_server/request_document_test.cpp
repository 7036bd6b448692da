#include "raised_error.h"
#include "request_document.h"
#include "search_request.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <random>

using CustomPipes::RequestDocument;
using CustomPipes::ParseRequestDocument;

namespace {

// The request exactly as the window sends it, turned into the bytes the server parses.
RequestDocument ParseBuilt(const CustomPipes::SearchRequest& fields) {
    std::wstring text = BuildSearchRequest(fields);
    text.pop_back();  // the NUL
    return ParseRequestDocument(CustomPipes::wire::ToAnsiBytes(text));
}

std::wstring ErrorOf(std::string_view document) { return ErrorTextOf([&] { ParseRequestDocument(document); }); }

}  // namespace

TEST(RequestDocument, TheWindowsDefaultRequestReadsAsSent) {
    const RequestDocument r = ParseBuilt(CustomPipes::SearchRequest{});
    EXPECT_EQ(r.lang, L"Russian");
    EXPECT_TRUE(r.addressUse);
    EXPECT_FALSE(r.codeUse);
    EXPECT_FALSE(r.namesUse);
    EXPECT_EQ(r.autoAnswer, L"true");
    EXPECT_EQ(r.typesearch, L"AddressOfOrgan");
    EXPECT_EQ(r.typecode, L"code_court");
    EXPECT_EQ(r.typeName, L"NameOfOrgan");
    EXPECT_EQ(r.name, L"владимир");
    EXPECT_EQ(r.city, L"");
}

TEST(RequestDocument, EveryFieldArrivesInItsOwnElement) {
    CustomPipes::SearchRequest f;
    f.address.subject = L"Приозёрная область";
    f.address.district = L"Заречный район";
    f.address.city = L"Новоозёрск";
    f.address.settlement = L"пгт Заречье";
    f.address.street = L"ул. Мостовая > 3";  // ">" travels unescaped and is still well-formed
    f.address.index = L"601510";
    f.code = L"01016433305000";
    f.name = L"Корнеева";
    f.by = CustomPipes::SearchRequest::By::Code;
    f.answer = CustomPipes::SearchRequest::Answer::ChosenInVarnel;
    f.addressOf = CustomPipes::SearchRequest::AddressOf::Defendant;
    f.nameOf = CustomPipes::SearchRequest::NameOf::OfficialSurname;
    const RequestDocument r = ParseBuilt(f);
    EXPECT_EQ(r.subject, f.address.subject);
    EXPECT_EQ(r.district, f.address.district);
    EXPECT_EQ(r.city, f.address.city);
    EXPECT_EQ(r.settlement, f.address.settlement);
    EXPECT_EQ(r.street, f.address.street);
    EXPECT_EQ(r.index, f.address.index);
    EXPECT_EQ(r.code, f.code);
    EXPECT_EQ(r.name, f.name);
    EXPECT_FALSE(r.addressUse);
    EXPECT_TRUE(r.codeUse);
    EXPECT_EQ(r.autoAnswer, L"false");
    EXPECT_EQ(r.typesearch, L"AddressOfObject");
    EXPECT_EQ(r.typeName, L"FamilyOfMan");
}

TEST(RequestDocument, MalformedDocumentsAreRefusedWithTheirLine) {
    EXPECT_NE(ErrorOf("<ParamsForVarnel>\r\n<Names><name>a & b</name></Names>\r\n</ParamsForVarnel>").find(L"line 2"),
              std::wstring::npos);
    EXPECT_NE(ErrorOf("").find(L"not well-formed"), std::wstring::npos);
    EXPECT_NE(ErrorOf("<ParamsForVarnel><Names>").find(L"not well-formed"), std::wstring::npos);
    EXPECT_NE(ErrorOf("<Other/>").find(L"root element is <Other>"), std::wstring::npos);
    // The declaration names UTF-8: a byte that cannot start a sequence is a fault.
    EXPECT_NE(ErrorOf("<?xml version=\"1.0\" encoding=\"UTF-8\"?><ParamsForVarnel>\xFF</ParamsForVarnel>")
                  .find(L"not well-formed"),
              std::wstring::npos);
}

TEST(RequestDocument, DocumentTypesAndEntityDeclarationsAreRefused) {
    const std::string laughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE ParamsForVarnel [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n"
        "<ParamsForVarnel><Names><name>&c;</name></Names></ParamsForVarnel>";
    EXPECT_NE(ErrorOf(laughs).find(L"DOCTYPE"), std::wstring::npos);
    const std::string external =
        "<!DOCTYPE ParamsForVarnel SYSTEM \"file:///etc/passwd\"><ParamsForVarnel/>";
    EXPECT_NE(ErrorOf(external).find(L"Request refused"), std::wstring::npos);
    // An undeclared entity is simply not well-formed.
    EXPECT_NE(ErrorOf("<ParamsForVarnel><Names><name>&x;</name></Names></ParamsForVarnel>").find(L"not well-formed"),
              std::wstring::npos);
}

TEST(RequestDocument, PredefinedEntitiesAndCharacterReferencesAreDecoded) {
    const RequestDocument r = ParseRequestDocument(
        "<ParamsForVarnel><Names><use>yes</use><name>&lt;&amp;&gt; &#1046;</name></Names></ParamsForVarnel>");
    EXPECT_TRUE(r.namesUse);
    EXPECT_EQ(r.name, L"<&> Ж");
}

TEST(RequestDocument, OnlyTheExactWordYesSwitchesASectionOn) {
    const RequestDocument r = ParseRequestDocument(
        "<ParamsForVarnel><Adress><use>YES</use></Adress><CodeOfCourts><use> yes</use></CodeOfCourts>"
        "<Names><use>no</use></Names></ParamsForVarnel>");
    EXPECT_FALSE(r.addressUse);
    EXPECT_FALSE(r.codeUse);
    EXPECT_FALSE(r.namesUse);
}

// Damaged requests, byte by byte: each is read or refused with CustomPipes::ProgramError, nothing else.
TEST(RequestDocument, DamagedRequestsAreReadOrRefusedNeverMore) {
    std::wstring text = BuildSearchRequest(CustomPipes::SearchRequest{});
    text.pop_back();
    const std::string original = CustomPipes::wire::ToAnsiBytes(text);
    std::mt19937 random(4711);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = original;
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
            const size_t at = random() % damaged.size();
            switch (random() % 3) {
                case 0: damaged[at] = static_cast<char>(random()); break;
                case 1: damaged.erase(at, 1 + random() % 20); break;
                default: damaged.insert(at, 1, "<>&;!?[]\"'/="[random() % 12]); break;
            }
            if (damaged.empty()) damaged.push_back('<');
        }
        try {
            ParseRequestDocument(damaged);
        } catch (const CustomPipes::ProgramError& e) {
            ++refused;
            EXPECT_FALSE(e.Text().empty());
        }
    }
    EXPECT_GT(refused, 1000);  // the damage is real
}
