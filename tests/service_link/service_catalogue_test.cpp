#include "service_catalogue.h"
#include "child_process.h"
#include "paths.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace CustomPipes;

namespace {

std::vector<std::wstring> AllNames() {
    std::vector<std::wstring> names;
    for (const ServiceEntry& entry : ServiceCatalogue()) {
        for (MessageKind kind : {MessageKind::Request, MessageKind::DataReady, MessageKind::Unregister}) {
            names.push_back(ServiceMessageName(entry, kind));
        }
    }
    return names;
}

}  // namespace

// The names are the contract with the services: one wrong letter and a service
// never hears the program, without any error anywhere.
TEST(ServiceCatalogue, NamesAreTheThirtyOfTheContractInRegistrationOrder) {
    const std::vector<std::wstring> expected = {
        L"WM_TO_REGISTRY_TO_PEMBA_EVENT",   L"WM_TO_DATA_FROM_PEMBA_READY_EVENT",   L"WM_TO_UNREGISTRY_TO_PEMBA_EVENT",
        L"WM_TO_REGISTRY_TO_TOLVIK_EVENT",  L"WM_TO_DATA_FROM_TOLVIK_READY_EVENT",  L"WM_TO_UNREGISTRY_TO_TOLVIK_EVENT",
        L"WM_TO_REGISTRY_TO_TOLVIK4_EVENT", L"WM_TO_DATA_FROM_TOLVIK4_READY_EVENT", L"WM_TO_UNREGISTRY_TO_TOLVIK4_EVENT",
        L"WM_TO_REGISTRY_TO_TOLVIK5_EVENT", L"WM_TO_DATA_FROM_TOLVIK5_READY_EVENT", L"WM_TO_UNREGISTRY_TO_TOLVIK5_EVENT",
        L"WM_TO_REGISTRY_TO_VARNEL_EVENT",  L"WM_TO_DATA_FROM_VARNEL_READY_EVENT",  L"WM_TO_UNREGISTRY_TO_VARNEL_EVENT",
        L"WM_TO_REGISTRY_TO_QUENTA_EVENT",  L"WM_TO_DATA_FROM_QUENTA_READY_EVENT",  L"WM_TO_UNREGISTRY_TO_QUENTA_EVENT",
        L"WM_TO_REGISTRY_TO_MARLO_EVENT",   L"WM_TO_DATA_FROM_MARLO_READY_EVENT",   L"WM_TO_UNREGISTRY_TO_MARLO_EVENT",
        L"WM_TO_REGISTRY_TO_PEMBA2_EVENT",  L"WM_TO_DATA_FROM_PEMBA2_READY_EVENT",  L"WM_TO_UNREGISTRY_TO_PEMBA2_EVENT",
        L"WM_TO_REGISTRY_TO_PEMBA3_EVENT",  L"WM_TO_DATA_FROM_PEMBA3_READY_EVENT",  L"WM_TO_UNREGISTRY_TO_PEMBA3_EVENT",
        L"WM_TO_REGISTRY_TO_TOLVIK6_EVENT", L"WM_TO_DATA_FROM_TOLVIK6_READY_EVENT", L"WM_TO_UNREGISTRY_TO_TOLVIK6_EVENT",
    };
    EXPECT_EQ(AllNames(), expected);
}

TEST(ServiceCatalogue, AnswerBlocksHaveTheirNamesAndSizes) {
    struct Block {
        Service service;
        const wchar_t* name;
        uint32_t size;
    };
    const Block expected[] = {
        {Service::Pemba, L"pembaData", 4096},     {Service::Tolvik, L"TOLVIKData", 4096},
        {Service::Tolvik4, L"TOLVIK4Data", 4096}, {Service::Tolvik5, L"TOLVIK5Data", 4096},
        {Service::Varnel, L"Varnel2", 65536},     {Service::Quenta, nullptr, 0},
        {Service::Marlo, nullptr, 0},             {Service::Pemba2, L"pemba2Data", 32768},
        {Service::Pemba3, L"pemba3Data", 4096},   {Service::Tolvik6, L"TOLVIK6Data", 4096},
    };
    ASSERT_EQ(ServiceCatalogue().size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ServiceEntry& entry = ServiceCatalogue()[i];
        EXPECT_EQ(entry.service, expected[i].service);
        EXPECT_EQ(&CatalogueEntry(entry.service), &entry);
        if (expected[i].name) {
            ASSERT_NE(entry.answerBlockName, nullptr) << i;
            EXPECT_STREQ(entry.answerBlockName, expected[i].name);
        } else {
            EXPECT_EQ(entry.answerBlockName, nullptr) << i;
        }
        EXPECT_EQ(entry.answerBlockSize, expected[i].size) << i;
    }
}

TEST(ServiceCatalogue, RegistrationGivesTheSystemsIdentifiersAndIsStable) {
    RegisterServiceMessages();
    for (const ServiceEntry& entry : ServiceCatalogue()) {
        for (MessageKind kind : {MessageKind::Request, MessageKind::DataReady, MessageKind::Unregister}) {
            const UINT id = ServiceMessage(entry.service, kind);
            EXPECT_GE(id, 0xC000u);
            EXPECT_EQ(id, ::RegisterWindowMessageW(ServiceMessageName(entry, kind).c_str()));
        }
    }
    const UINT before = ServiceMessage(Service::Varnel, MessageKind::DataReady);
    RegisterServiceMessages();
    EXPECT_EQ(ServiceMessage(Service::Varnel, MessageKind::DataReady), before);
}

TEST(ServiceCatalogue, AnotherProcessObtainsTheSameIdentifiers) {
    RegisterServiceMessages();
    const ProcessOutput child = RunAndCapture(L"\"" + WindowsPath(PRINT_SERVICE_MESSAGES_EXE) + L"\"");
    ASSERT_EQ(child.exitCode, 0u) << child.output;

    std::map<std::string, UINT> theirs;
    std::istringstream lines(child.output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq != std::string::npos) theirs[line.substr(0, eq)] = std::stoul(line.substr(eq + 1));
    }
    ASSERT_EQ(theirs.size(), 30u) << child.output;
    for (const ServiceEntry& entry : ServiceCatalogue()) {
        for (MessageKind kind : {MessageKind::Request, MessageKind::DataReady, MessageKind::Unregister}) {
            const std::wstring wide = ServiceMessageName(entry, kind);
            EXPECT_EQ(theirs[std::string(wide.begin(), wide.end())], ServiceMessage(entry.service, kind));
        }
    }
}

TEST(ServiceCatalogue, DataReadyLookupFindsOnlyRowsWithAnAnswerBlock) {
    RegisterServiceMessages();
    const ServiceEntry* varnel = FindAnswerBlockByDataReady(ServiceMessage(Service::Varnel, MessageKind::DataReady));
    ASSERT_NE(varnel, nullptr);
    EXPECT_STREQ(varnel->answerBlockName, L"Varnel2");
    const ServiceEntry* pemba2 = FindAnswerBlockByDataReady(ServiceMessage(Service::Pemba2, MessageKind::DataReady));
    ASSERT_NE(pemba2, nullptr);
    EXPECT_EQ(pemba2->answerBlockSize, 32768u);

    EXPECT_EQ(FindAnswerBlockByDataReady(ServiceMessage(Service::Quenta, MessageKind::DataReady)), nullptr);
    EXPECT_EQ(FindAnswerBlockByDataReady(ServiceMessage(Service::Varnel, MessageKind::Request)), nullptr);
    EXPECT_EQ(FindAnswerBlockByDataReady(::RegisterWindowMessageW(L"WM_SOMETHING_ELSE_ENTIRELY")), nullptr);
    EXPECT_EQ(FindAnswerBlockByDataReady(WM_USER + 1), nullptr);
    EXPECT_EQ(FindAnswerBlockByDataReady(0), nullptr);
}
