// The owner of an expat parser, for the request document's check and its reading.
#pragma once

#include <expat.h>

#include <memory>
#include <type_traits>

namespace CustomPipes {

struct XmlParserFree {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
using UniqueXmlParser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, XmlParserFree>;

// A parser for a document in encoding, or (null) in the encoding its declaration
// names. Raises ProgramError when it cannot be created (out of memory).
UniqueXmlParser CreateXmlParser(const char* encoding = nullptr);

}  // namespace CustomPipes
