// The class factory of Varnel.Client and the exports COM calls to get it and to ask
// whether the DLL may go. One class, one factory, no framework.
#include "server.h"

#include "client.h"
#include "library_module.h"
#include "varnel_client.h"

#include <atomic>

namespace {

std::atomic<long> gModuleRefs{0};

class ClientFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: its references are locks on the module.
    ULONG STDMETHODCALLTYPE AddRef() override {
        library::com::ModuleAddRef();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        library::com::ModuleRelease();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return library::com::Client::Create(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            library::com::ModuleAddRef();
        } else {
            library::com::ModuleRelease();
        }
        return S_OK;
    }
};

ClientFactory gFactory;

}  // namespace

namespace library::com {

void ModuleAddRef() noexcept { ++gModuleRefs; }

void ModuleRelease() noexcept { --gModuleRefs; }

std::wstring ModulePath() {
    const HMODULE self = LibraryModule();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace library::com

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Client) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(iid, object);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow(void) { return gModuleRefs == 0 ? S_OK : S_FALSE; }

}  // extern "C"
