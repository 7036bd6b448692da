// A search as named options: the words of varnel-query's command line and of
// varnel.dll's varnel_search_set, one vocabulary for both.
#pragma once

#include "search_request.h"

#include <string>

namespace CustomPipes {

// How long a search waits for its answer unless told: a chosen answer waits for a person.
constexpr double kDefaultTimeoutSeconds = 30;
// The longest wait a search may be given: one day.
constexpr unsigned kMaxTimeoutSeconds = 86400;

// A search waits above 0 and at most kMaxTimeoutSeconds (not a NaN).
constexpr bool IsAllowedTimeout(double seconds) { return seconds > 0 && seconds <= kMaxTimeoutSeconds; }

// A number of seconds as the reasons write it: the shortest text that reads back as the
// same number ("1.5", "30"; 86400.0001 is not shown as "86400").
std::wstring SecondsText(double seconds);

// True for the name, without its dashes, of a search option: "by", "name", "code",
// "subject", "district", "city", "settlement", "street", "index", "defendant", "chosen".
bool IsSearchOption(const std::wstring& name);

// Sets one search option to value; "defendant" and "chosen" take "1" or "0". Raises
// ProgramError naming the option as prefix + name for a bad value or an unknown name,
// leaving search untouched.
void SetSearchOption(SearchRequest& search, const std::wstring& name, const std::wstring& value,
                     const std::wstring& prefix);

// A prepared request is sent as it is, so it takes no search options. With both given,
// raises ProgramError "<requestName> sends the request document as it is; it takes no
// search options" (requestName: how the caller names the prepared request).
void CheckPreparedRequestAlone(bool prepared, bool searchOptions, const std::wstring& requestName);

}  // namespace CustomPipes
