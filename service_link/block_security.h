// Who may open a client's request block: the current user and the system, whatever the
// elevation of the process that made it. A block made by an elevated client gets, by
// default, a descriptor that a Varnel of the same user running without elevation cannot
// open.
#pragma once

#include "win32.h"

#include <memory>

namespace CustomPipes {

class UserAndSystemAccess {
public:
    // Falls back to the default descriptor (Attributes() null) when the user's identity
    // cannot be read.
    UserAndSystemAccess();

    SECURITY_ATTRIBUTES* Attributes() noexcept { return descriptor_ ? &attributes_ : nullptr; }

private:
    struct LocalFreer {
        void operator()(void* p) const noexcept { ::LocalFree(p); }
    };
    std::unique_ptr<void, LocalFreer> descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace CustomPipes
