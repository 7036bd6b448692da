// varnel.dll as a program in another language uses it: loaded by its path with
// LoadLibraryW, each function found by its plain name with GetProcAddress, nothing
// linked. varnel.h gives only the functions' types.
#pragma once

#include "varnel.h"
#include "win32.h"

#include <stdexcept>
#include <string>
#include <utility>

class VarnelLibrary {
public:
    // Throws std::runtime_error when the library cannot be loaded or lacks a function.
    explicit VarnelLibrary(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {
        if (!module_) {
            throw std::runtime_error("varnel.dll could not be loaded (system error " + std::to_string(::GetLastError()) +
                                     ")");
        }
        Find(searchNew, "varnel_search_new");
        Find(searchFree, "varnel_search_free");
        Find(searchSet, "varnel_search_set");
        Find(searchRun, "varnel_search_run");
        Find(searchAnswer, "varnel_search_answer");
        Find(searchRequest, "varnel_search_request");
        Find(searchError, "varnel_search_error");
        Find(launch, "varnel_launch");
        Find(version, "varnel_version");
    }
    VarnelLibrary(const VarnelLibrary&) = delete;
    VarnelLibrary& operator=(const VarnelLibrary&) = delete;
    ~VarnelLibrary() { Unload(); }

    // FreeLibrary, as a host that is done with the library calls it.
    void Unload() {
        if (module_) ::FreeLibrary(std::exchange(module_, nullptr));
    }

    decltype(&varnel_search_new) searchNew = nullptr;
    decltype(&varnel_search_free) searchFree = nullptr;
    decltype(&varnel_search_set) searchSet = nullptr;
    decltype(&varnel_search_run) searchRun = nullptr;
    decltype(&varnel_search_answer) searchAnswer = nullptr;
    decltype(&varnel_search_request) searchRequest = nullptr;
    decltype(&varnel_search_error) searchError = nullptr;
    decltype(&varnel_launch) launch = nullptr;
    decltype(&varnel_version) version = nullptr;

private:
    template <typename Function>
    void Find(Function& function, const char* name) {
        function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
        if (!function) throw std::runtime_error(std::string("varnel.dll exports no ") + name);
    }

    HMODULE module_;
};

// One search of the library, freed with its owner.
class LibrarySearch {
public:
    explicit LibrarySearch(const VarnelLibrary& library) : library_(library), search_(library.searchNew()) {
        if (!search_) throw std::runtime_error("varnel_search_new returned NULL");
    }
    LibrarySearch(const LibrarySearch&) = delete;
    LibrarySearch& operator=(const LibrarySearch&) = delete;
    ~LibrarySearch() { Free(); }

    void Free() {
        if (search_) library_.searchFree(std::exchange(search_, nullptr));
    }

    int Set(const wchar_t* option, const std::wstring& value) { return library_.searchSet(search_, option, value.c_str()); }
    int Run(unsigned timeoutMs) { return library_.searchRun(search_, timeoutMs); }
    std::wstring Answer() const { return library_.searchAnswer(search_); }
    std::wstring Request() const { return library_.searchRequest(search_); }
    std::wstring Error() const { return library_.searchError(search_); }

private:
    const VarnelLibrary& library_;
    VarnelSearch* search_;
};
