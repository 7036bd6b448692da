// The family of services that talk to client programs through registered window
// messages and named shared-memory answer blocks.
#pragma once

#include "win32.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace CustomPipes {

enum class Service { Pemba, Tolvik, Tolvik4, Tolvik5, Varnel, Quenta, Marlo, Pemba2, Pemba3, Tolvik6 };

// request: a client announces a request; dataReady: the service has filled its answer
// block; unregister: registered, never posted by this program.
enum class MessageKind { Request, DataReady, Unregister };

struct ServiceEntry {
    Service service;
    const wchar_t* tag;
    const wchar_t* answerBlockName;  // nullptr: the service has no answer block
    uint32_t answerBlockSize;        // bytes copied out of the answer block
};

// The catalogue in registration order.
std::span<const ServiceEntry> ServiceCatalogue();

const ServiceEntry& CatalogueEntry(Service service);

// "WM_TO_REGISTRY_TO_<TAG>_EVENT", "WM_TO_DATA_FROM_<TAG>_READY_EVENT" or
// "WM_TO_UNREGISTRY_TO_<TAG>_EVENT".
std::wstring ServiceMessageName(const ServiceEntry& entry, MessageKind kind);

// Registers all thirty names in catalogue order, once per process. A failed
// registration leaves its identifier 0. Calling it is optional: ServiceMessage
// registers them on first use.
void RegisterServiceMessages();

// The identifier of a service's message, registered by its name.
UINT ServiceMessage(Service service, MessageKind kind);

// Lets message reach window also from a process with fewer rights (a lower integrity
// level), which Windows otherwise drops: Varnel may run so.
void AcceptFromAnyProcess(HWND window, UINT message) noexcept;

// The catalogue row with an answer block whose data-ready message is messageId.
const ServiceEntry* FindAnswerBlockByDataReady(UINT messageId);

}  // namespace CustomPipes
