#include "request_handling.h"

#include "directory.h"
#include "program_error.h"
#include "request_document.h"
#include "wire_text.h"

namespace sample_server {

RequestOutcome HandleRequest(std::wstring_view requestText, UINT codePage) {
    RequestOutcome outcome;
    CustomPipes::RequestDocument request;
    try {
        request = CustomPipes::ParseRequestDocument(CustomPipes::wire::ToAnsiBytes(requestText, codePage));
    } catch (const CustomPipes::ProgramError& e) {
        outcome.refusal = e.Text();
        return outcome;
    }
    outcome.search = ResolveSearch(request);
    outcome.matches = FindBodies(outcome.search, SampleDirectory());
    outcome.waitsForChoice = request.autoAnswer == L"false";
    if (!outcome.waitsForChoice) {
        outcome.answer = WriteAnswer(outcome.search, AnswerMode::Auto, outcome.matches.size(), outcome.matches,
                                     MaxAnswerCharacters(), codePage);
    }
    return outcome;
}

}  // namespace sample_server
