// Prints the identifiers this process obtains for the catalogue's messages, one per
// line as "NAME=ID", for the test that compares them across processes.
#include "service_catalogue.h"

#include <cstdio>

int main() {
    using namespace CustomPipes;
    RegisterServiceMessages();
    for (const ServiceEntry& entry : ServiceCatalogue()) {
        for (MessageKind kind : {MessageKind::Request, MessageKind::DataReady, MessageKind::Unregister}) {
            std::printf("%ls=%u\n", ServiceMessageName(entry, kind).c_str(), ServiceMessage(entry.service, kind));
        }
    }
    return 0;
}
