// Varnel.Client: the automation object, a search of the C interface behind the dual
// interface IVarnelClient. Its IDispatch is served by the type library embedded in the
// DLL; its failures raise automation errors whose description is the reason the C
// interface gives (the text varnel-query prints).
#pragma once

#include "varnel.h"
#include "varnel_client.h"

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace library::com {

class Client final : public IVarnelClient, public ISupportErrorInfo {
public:
    // The class factory's CreateInstance: a new object, asked for by interface.
    static HRESULT Create(REFIID iid, void** object) noexcept;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, through the type library
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    // IVarnelClient: the search options of varnel-query, by their names without dashes
    HRESULT STDMETHODCALLTYPE get_By(BSTR* value) override { return GetText(L"by", value); }
    HRESULT STDMETHODCALLTYPE put_By(BSTR value) override { return PutText(L"by", value); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return GetText(L"name", value); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override { return PutText(L"name", value); }
    HRESULT STDMETHODCALLTYPE get_Code(BSTR* value) override { return GetText(L"code", value); }
    HRESULT STDMETHODCALLTYPE put_Code(BSTR value) override { return PutText(L"code", value); }
    HRESULT STDMETHODCALLTYPE get_Subject(BSTR* value) override { return GetText(L"subject", value); }
    HRESULT STDMETHODCALLTYPE put_Subject(BSTR value) override { return PutText(L"subject", value); }
    HRESULT STDMETHODCALLTYPE get_District(BSTR* value) override { return GetText(L"district", value); }
    HRESULT STDMETHODCALLTYPE put_District(BSTR value) override { return PutText(L"district", value); }
    HRESULT STDMETHODCALLTYPE get_City(BSTR* value) override { return GetText(L"city", value); }
    HRESULT STDMETHODCALLTYPE put_City(BSTR value) override { return PutText(L"city", value); }
    HRESULT STDMETHODCALLTYPE get_Settlement(BSTR* value) override { return GetText(L"settlement", value); }
    HRESULT STDMETHODCALLTYPE put_Settlement(BSTR value) override { return PutText(L"settlement", value); }
    HRESULT STDMETHODCALLTYPE get_Street(BSTR* value) override { return GetText(L"street", value); }
    HRESULT STDMETHODCALLTYPE put_Street(BSTR value) override { return PutText(L"street", value); }
    HRESULT STDMETHODCALLTYPE get_Index(BSTR* value) override { return GetText(L"index", value); }
    HRESULT STDMETHODCALLTYPE put_Index(BSTR value) override { return PutText(L"index", value); }
    HRESULT STDMETHODCALLTYPE get_Defendant(VARIANT_BOOL* value) override { return GetFlag(L"defendant", value); }
    HRESULT STDMETHODCALLTYPE put_Defendant(VARIANT_BOOL value) override { return PutFlag(L"defendant", value); }
    HRESULT STDMETHODCALLTYPE get_Chosen(VARIANT_BOOL* value) override { return GetFlag(L"chosen", value); }
    HRESULT STDMETHODCALLTYPE put_Chosen(VARIANT_BOOL value) override { return PutFlag(L"chosen", value); }
    HRESULT STDMETHODCALLTYPE get_TimeoutSeconds(double* value) override;
    HRESULT STDMETHODCALLTYPE put_TimeoutSeconds(double value) override;
    HRESULT STDMETHODCALLTYPE Search(BSTR* answer) override;
    HRESULT STDMETHODCALLTYPE SearchRequest(BSTR request, BSTR* answer) override;
    HRESULT STDMETHODCALLTYPE Launch(BSTR switchName, BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_LastRequest(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* text) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // The object's searches are the library's own: COM holds the DLL loaded while an
    // object lives (DllCanUnloadNow), so they take no reference of their own as the C
    // interface's do.
    struct SearchFree {
        void operator()(VarnelSearch* search) const noexcept;
    };
    using UniqueSearch = std::unique_ptr<VarnelSearch, SearchFree>;

    struct TypeInfoRelease {
        void operator()(ITypeInfo* info) const noexcept { info->Release(); }
    };
    using UniqueTypeInfo = std::unique_ptr<ITypeInfo, TypeInfoRelease>;

    // A failure as a script sees it: Err.Number and Err.Description.
    struct Raised {
        HRESULT code;
        std::wstring description;
    };

    Client(UniqueSearch search, UniqueTypeInfo typeInfo);
    ~Client();

    HRESULT GetText(const wchar_t* option, BSTR* value);
    HRESULT PutText(const wchar_t* option, BSTR value);
    HRESULT GetFlag(const wchar_t* option, VARIANT_BOOL* value);
    HRESULT PutFlag(const wchar_t* option, VARIANT_BOOL value);
    // Sets an option of the search and keeps its value for the property's get.
    HRESULT Set(const wchar_t* option, const std::wstring& value);
    // Runs a search, keeps its request, and hands out its answer or raises its failure.
    HRESULT Run(VarnelSearch& search, BSTR* answer);
    // Sets the error object of this thread and remembers the failure for Invoke.
    HRESULT Raise(HRESULT code, std::wstring description) noexcept;

    std::atomic<ULONG> references_{1};
    UniqueSearch search_;
    UniqueTypeInfo typeInfo_;
    std::map<std::wstring, std::wstring> options_;  // what each property's get returns
    double timeoutSeconds_;
    std::wstring lastRequest_;
    std::optional<Raised> raised_;
};

}  // namespace library::com
