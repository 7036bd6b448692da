// The round trip from the send button to the answer in the memo, against a ping-pong
// of one registered message between two processes.
#pragma once

#include <string>

namespace bench {

// Starts the sample server, the demo and an echo process, then times clicks on Button1
// until Memo1 holds the server's answer, alternating with ping-pongs with the echo.
// withParts: also the parts of the round trip between the two notices, as a listening
// thread of the bench hears them; on one core it hears them only when it gets the core.
void RunRoundTripFigure(const std::wstring& demoPath, const std::wstring& serverPath,
                        const std::wstring& benchPath, bool withParts);

// The echo process: returns every ping to the window named in its lParam.
int RunEcho();

}  // namespace bench
