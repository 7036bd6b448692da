#include "service_catalogue.h"

#include "protocol.h"

namespace CustomPipes {

namespace {

constexpr std::array<ServiceEntry, 10> kCatalogue{{
    {Service::Pemba, L"PEMBA", L"pembaData", 4096},
    {Service::Tolvik, L"TOLVIK", L"TOLVIKData", 4096},
    {Service::Tolvik4, L"TOLVIK4", L"TOLVIK4Data", 4096},
    {Service::Tolvik5, L"TOLVIK5", L"TOLVIK5Data", 4096},
    {Service::Varnel, L"VARNEL", kVarnelAnswerBlockName, kVarnelAnswerBlockSize},
    {Service::Quenta, L"QUENTA", nullptr, 0},
    {Service::Marlo, L"MARLO", nullptr, 0},
    {Service::Pemba2, L"PEMBA2", L"pemba2Data", 32768},
    {Service::Pemba3, L"PEMBA3", L"pemba3Data", 4096},
    {Service::Tolvik6, L"TOLVIK6", L"TOLVIK6Data", 4096},
}};

constexpr size_t kKinds = 3;

using MessageIds = std::array<std::array<UINT, kKinds>, kCatalogue.size()>;

size_t IndexOf(Service service) { return static_cast<size_t>(service); }

MessageIds Register() {
    MessageIds ids{};
    for (const ServiceEntry& entry : kCatalogue) {
        for (MessageKind kind : {MessageKind::Request, MessageKind::DataReady, MessageKind::Unregister}) {
            ids[IndexOf(entry.service)][static_cast<size_t>(kind)] =
                ::RegisterWindowMessageW(ServiceMessageName(entry, kind).c_str());
        }
    }
    return ids;
}

// Registered on first use, once per process, whatever the thread: a value depends only
// on its name, so registering again would give the same.
const MessageIds& Ids() {
    static const MessageIds ids = Register();
    return ids;
}

}  // namespace

std::span<const ServiceEntry> ServiceCatalogue() { return kCatalogue; }

const ServiceEntry& CatalogueEntry(Service service) { return kCatalogue[IndexOf(service)]; }

std::wstring ServiceMessageName(const ServiceEntry& entry, MessageKind kind) {
    switch (kind) {
        case MessageKind::Request: return L"WM_TO_REGISTRY_TO_" + std::wstring(entry.tag) + L"_EVENT";
        case MessageKind::DataReady: return L"WM_TO_DATA_FROM_" + std::wstring(entry.tag) + L"_READY_EVENT";
        case MessageKind::Unregister: return L"WM_TO_UNREGISTRY_TO_" + std::wstring(entry.tag) + L"_EVENT";
    }
    return {};
}

void RegisterServiceMessages() { Ids(); }

UINT ServiceMessage(Service service, MessageKind kind) { return Ids()[IndexOf(service)][static_cast<size_t>(kind)]; }

const ServiceEntry* FindAnswerBlockByDataReady(UINT messageId) {
    if (messageId == 0) return nullptr;
    for (const ServiceEntry& entry : kCatalogue) {
        if (entry.answerBlockName && ServiceMessage(entry.service, MessageKind::DataReady) == messageId) {
            return &entry;
        }
    }
    return nullptr;
}

void AcceptFromAnyProcess(HWND window, UINT message) noexcept {
    if (message != 0) ::ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace CustomPipes
