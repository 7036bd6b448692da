// Copying a service's answer out of its answer block.
#include "CustomPipes.h"

#include "handles.h"
#include "wire_text.h"

#include <algorithm>
#include <vector>

namespace CustomPipes {

bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text) {
    const ServiceEntry* entry = FindAnswerBlockByDataReady(message.message);
    if (!entry) return false;

    const UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, entry->answerBlockName));
    if (!mapping) return false;
    const UniqueMapView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;

    // Any process may have created the block, and smaller than the catalogue says:
    // never read past the end of the view.
    MEMORY_BASIC_INFORMATION region{};
    const size_t mapped = ::VirtualQuery(view.get(), &region, sizeof region) ? region.RegionSize : 0;
    const size_t count = std::min<size_t>(entry->answerBlockSize, mapped);

    // The service may write the block again at any time; work on a private copy.
    std::vector<wchar_t> copy(count / sizeof(wchar_t));
    std::copy_n(static_cast<const char*>(view.get()), copy.size() * sizeof(wchar_t),
                reinterpret_cast<char*>(copy.data()));
    text.assign(wire::TextUpToNul(copy.data(), copy.size() * sizeof(wchar_t)));
    handled = true;
    return true;
}

}  // namespace CustomPipes
