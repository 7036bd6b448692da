#include "request_document.h"

#include "program_error.h"
#include "request_vocabulary.h"
#include "utf16.h"
#include "wire_text.h"

#include "xml_parser.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace CustomPipes {

namespace {

constexpr std::string_view kRoot = "ParamsForVarnel";

// True when path is "Adress/" and then tag, one of the address elements (ASCII names).
bool IsAddressElement(std::string_view path, std::wstring_view tag) {
    constexpr std::string_view kAddress = "Adress/";
    if (!path.starts_with(kAddress) || path.size() != kAddress.size() + tag.size()) return false;
    return std::equal(tag.begin(), tag.end(), path.begin() + kAddress.size(),
                      [](wchar_t t, char p) { return t == static_cast<unsigned char>(p); });
}

// Line `number` (from 1) of the document, with the same line ends as expat counts.
std::string_view SourceLine(std::string_view document, unsigned long number) {
    size_t start = 0;
    for (unsigned long line = 1; line < number && start < document.size(); ++line) {
        const size_t end = document.find_first_of("\r\n", start);
        if (end == std::string_view::npos) return {};
        start = end + (document.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    const size_t end = document.find_first_of("\r\n", start);
    return document.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The first `count` characters, never splitting a surrogate pair.
std::wstring FirstCharacters(const std::wstring& text, size_t count) {
    size_t units = 0;
    for (size_t chars = 0; chars < count && units < text.size(); ++chars) {
        units += (IsHighSurrogate(text[units]) && units + 1 < text.size()) ? 2 : 1;
    }
    return text.substr(0, units);
}


class RequestReader {
public:
    explicit RequestReader(XML_Parser parser) : parser_(parser) {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &RequestReader::OnStart, &RequestReader::OnEnd);
        XML_SetCharacterDataHandler(parser, &RequestReader::OnText);
        // A request never has a document type. Refusing it outright keeps internal
        // entity expansion (and its amplification) and external entities out entirely;
        // expat's own amplification limits stay in force behind this.
        XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
        XML_SetStartDoctypeDeclHandler(parser, &RequestReader::OnDoctype);
        XML_SetEntityDeclHandler(parser, &RequestReader::OnEntityDecl);
        XML_SetExternalEntityRefHandler(parser, &RequestReader::OnExternalEntity);
    }

    const std::wstring& Refusal() const { return refusal_; }
    RequestDocument& Result() { return request_; }

private:
    static RequestReader& Self(void* data) { return *static_cast<RequestReader*>(data); }

    void Refuse(std::wstring reason) {
        if (refusal_.empty()) refusal_ = std::move(reason);
        XML_StopParser(parser_, XML_FALSE);
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) {
        RequestReader& self = Self(data);
        if (self.path_.empty() && name != kRoot) {
            self.Refuse(L"the root element is <" + wire::DecodeUtf8(name) + L">, not <ParamsForVarnel>");
            return;
        }
        self.path_.emplace_back(name);
        self.text_.clear();
    }

    static void XMLCALL OnEnd(void* data, const XML_Char*) {
        RequestReader& self = Self(data);
        // expat still reports the end of an empty element whose start was refused.
        if (self.path_.empty()) return;
        // Every field lies two levels below the root. Deeper elements are never one,
        // and joining their whole path at each end made deep nesting quadratic (a
        // hundred thousand levels took some forty seconds).
        if (self.path_.size() <= 3) {
            std::string path;
            for (size_t i = 1; i < self.path_.size(); ++i) path += (i > 1 ? "/" : "") + self.path_[i];
            if (std::wstring* field = self.FieldAt(path)) *field = wire::DecodeUtf8(self.text_);
            if (path == "Adress/use") self.request_.addressUse = self.text_ == "yes";
            if (path == "CodeOfCourts/use") self.request_.codeUse = self.text_ == "yes";
            if (path == "Names/use") self.request_.namesUse = self.text_ == "yes";
        }
        self.path_.pop_back();
        self.text_.clear();
    }

    static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
        Self(data).text_.append(text, static_cast<size_t>(length));
    }

    static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Self(data).Refuse(L"the request carries a DOCTYPE declaration, which a request never has");
    }

    static void XMLCALL OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                     const XML_Char*, const XML_Char*, const XML_Char*) {
        Self(data).Refuse(L"the request declares an entity, which a request never does");
    }

    static int XMLCALL OnExternalEntity(XML_Parser, const XML_Char*, const XML_Char*, const XML_Char*,
                                        const XML_Char*) {
        return XML_STATUS_ERROR;
    }

    std::wstring* FieldAt(const std::string& path) {
        RequestDocument& r = request_;
        if (path == "Locality/lang") return &r.lang;
        if (IsAddressElement(path, request_words::kIndex)) return &r.index;
        if (IsAddressElement(path, request_words::kSubject)) return &r.subject;
        if (IsAddressElement(path, request_words::kDistrict)) return &r.district;
        if (IsAddressElement(path, request_words::kSettlement)) return &r.settlement;
        if (IsAddressElement(path, request_words::kCity)) return &r.city;
        if (IsAddressElement(path, request_words::kStreet)) return &r.street;
        if (path == "Adress/house") return &r.house;
        if (path == "Adress/Full") return &r.full;
        if (path == "Adress/AUTO_ANSWER") return &r.autoAnswer;
        if (path == "Adress/typesearch") return &r.typesearch;
        if (path == "CodeOfCourts/typecode") return &r.typecode;
        if (path == "CodeOfCourts/code") return &r.code;
        if (path == "Names/typename") return &r.typeName;
        if (path == "Names/name") return &r.name;
        return nullptr;
    }

    XML_Parser parser_;
    RequestDocument request_;
    std::vector<std::string> path_;
    std::string text_;
    std::wstring refusal_;
};

}  // namespace

UniqueXmlParser CreateXmlParser(const char* encoding) {
    UniqueXmlParser parser(XML_ParserCreate(encoding));
    if (!parser) throw ProgramError(L"The XML parser could not be created (out of memory)");
    return parser;
}

std::variant<RequestDocument, RequestDocumentFault> ReadRequestDocument(std::string_view documentBytes) {
    const UniqueXmlParser parser = CreateXmlParser();
    RequestReader reader(parser.get());
    const XML_Status status =
        XML_Parse(parser.get(), documentBytes.data(), static_cast<int>(documentBytes.size()), XML_TRUE);
    const unsigned long line = XML_GetCurrentLineNumber(parser.get());
    if (!reader.Refusal().empty()) return RequestDocumentFault{RequestDocumentFault::Kind::Refused, reader.Refusal(), line};
    if (status != XML_STATUS_OK) {
        return RequestDocumentFault{RequestDocumentFault::Kind::Malformed,
                                    wire::DecodeUtf8(XML_ErrorString(XML_GetErrorCode(parser.get()))), line};
    }
    return std::move(reader.Result());
}

RequestDocument ParseRequestDocument(std::string_view documentBytes) {
    auto read = ReadRequestDocument(documentBytes);
    if (auto* document = std::get_if<RequestDocument>(&read)) return std::move(*document);
    const auto& fault = std::get<RequestDocumentFault>(read);
    const std::wstring where = L" (line " + std::to_wstring(fault.line) + L")";
    if (fault.kind == RequestDocumentFault::Kind::Refused) throw ProgramError(L"Request refused: " + fault.reason + where);
    throw ProgramError(L"The request is not well-formed XML: " + fault.reason + where);
}

void CheckRequestDocument(std::string_view documentBytes) {
    const auto read = ReadRequestDocument(documentBytes);
    const auto* fault = std::get_if<RequestDocumentFault>(&read);
    if (!fault) return;
    const std::wstring source = wire::DecodeUtf8(SourceLine(documentBytes, fault->line));
    throw ProgramError(fault->reason + L"\r\nLine: " + std::to_wstring(fault->line) + L"\r\n" +
                       FirstCharacters(source, 40));
}

}  // namespace CustomPipes
