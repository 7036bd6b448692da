#include "request_document.h"

#include "program_error.h"
#include "wire_text.h"

#include "xml_parser.h"

#include <string>
#include <vector>

namespace sample_server {

namespace {

constexpr std::string_view kRoot = "ParamsForVarnel";

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
    ParsedRequest& Result() { return request_; }

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
        ParsedRequest& r = request_;
        if (path == "Locality/lang") return &r.lang;
        if (path == "Adress/index") return &r.index;
        if (path == "Adress/subj") return &r.subj;
        if (path == "Adress/Rayon") return &r.rayon;
        if (path == "Adress/NP") return &r.np;
        if (path == "Adress/city") return &r.city;
        if (path == "Adress/Street") return &r.street;
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
    ParsedRequest request_;
    std::vector<std::string> path_;
    std::string text_;
    std::wstring refusal_;
};

}  // namespace

ParsedRequest ParseRequestDocument(std::string_view documentBytes) {
    // The declaration names the encoding.
    const CustomPipes::UniqueXmlParser parser = CustomPipes::CreateXmlParser();
    RequestReader reader(parser.get());

    const XML_Status status =
        XML_Parse(parser.get(), documentBytes.data(), static_cast<int>(documentBytes.size()), XML_TRUE);
    const std::wstring line = std::to_wstring(XML_GetCurrentLineNumber(parser.get()));
    if (!reader.Refusal().empty()) throw ProgramError(L"Request refused: " + reader.Refusal() + L" (line " + line + L")");
    if (status != XML_STATUS_OK) {
        throw ProgramError(L"The request is not well-formed XML: " +
                           wire::DecodeUtf8(XML_ErrorString(XML_GetErrorCode(parser.get()))) + L" (line " + line +
                           L")");
    }
    return std::move(reader.Result());
}

}  // namespace sample_server
