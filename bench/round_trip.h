// The round trip from the send button to the answer in the memo, against a broadcast
// of one registered message answered by a broadcast from a second process.
#pragma once

#include <string>

namespace bench {

// Starts the sample server, the demo and an echo process, then times clicks on Button1
// until Memo1 holds the server's answer, alternating with broadcast ping-pongs with the
// echo (and direct ones, shown beside them).
// withParts: also the parts of the round trip between the two notices, as a listening
// thread of the bench hears them; on one core it hears them only when it gets the core.
// libraryPath, when given: also the same search through varnel.dll, warm (the server
// running, the library's thread made), against the same floor.
void RunRoundTripFigure(const std::wstring& demoPath, const std::wstring& serverPath,
                        const std::wstring& benchPath, bool withParts, const std::wstring& libraryPath = {});

// The echo process: returns every direct ping to the window named in its lParam, and
// answers every broadcast ping with a broadcast.
int RunEcho();

}  // namespace bench
