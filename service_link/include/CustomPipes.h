// Module CustomPipes: the client side of the contract with Varnel, all of it. A client
// program includes this header and links the static library service_link (with expat,
// advapi32 and user32). Everything is in namespace CustomPipes. The other headers of
// this folder are the parts a client may also use on their own (a hidden window, the
// named blocks, the search options); those beside the sources are the library's own.
//
// A program without a window of its own asks in three calls:
//
//   CustomPipes::SearchRequest search;                          // what to look for
//   search.by = CustomPipes::SearchRequest::By::Code;
//   search.code = L"01016433305000";
//   const std::wstring request = CustomPipes::BuildSearchRequest(search);  // checked wire text
//   CustomPipes::ExchangeClient client;                         // hidden window, request block
//   const CustomPipes::ExchangeResult result = client.Run(request, 30000);
//   for (const std::wstring& line : CustomPipes::wire::DecodeLines(result.answer)) ...
//
// A program with a window of its own, as the demo, takes the steps itself:
// RequestBlock::CreateFor(window) once; for each request ExchangeTurn::Take, then
// RequestBlock::Write and EnsureServerAndNotify; and on the data-ready message
// (ServiceMessage(Service::Varnel, MessageKind::DataReady)) IsAnswerFor and ReadAnswer.
// LaunchArguments and StartWithArguments start Varnel with a search switch.
#pragma once

#include "answer_reading.h"
#include "command_line_start.h"
#include "exchange.h"
#include "exchange_turn.h"
#include "installation_record.h"
#include "launch_switch.h"
#include "program_error.h"
#include "protocol.h"
#include "request_block.h"
#include "request_document.h"
#include "request_vocabulary.h"
#include "search_request.h"
#include "server_start.h"
#include "service_catalogue.h"
#include "system_error.h"
#include "wire_text.h"
