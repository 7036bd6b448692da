#include "client.h"

#include "search_options.h"
#include "varnel_search.h"
#include "search_request.h"
#include "platform.h"
#include "server_start.h"
#include "server.h"

#include <cmath>
#include <cwchar>
#include <iterator>
#include <new>

namespace library::com {

namespace {

// The documented codes are COM's interface-specific errors 0x201 to 0x204, one per
// result of the C interface that is not VARNEL_OK.
static_assert(static_cast<HRESULT>(varnelErrNotInstalled) == MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x201));
static_assert(static_cast<HRESULT>(varnelErrRefused) == MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x202));
static_assert(static_cast<HRESULT>(varnelErrNoAnswer) == MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x203));
static_assert(static_cast<HRESULT>(varnelErrFailed) == MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x204));

HRESULT ErrorOf(int result) {
    switch (result) {
    case VARNEL_NOT_INSTALLED: return static_cast<HRESULT>(varnelErrNotInstalled);
    case VARNEL_REFUSED: return static_cast<HRESULT>(varnelErrRefused);
    case VARNEL_NO_ANSWER: return static_cast<HRESULT>(varnelErrNoAnswer);
    default: return static_cast<HRESULT>(varnelErrFailed);
    }
}

// A BSTR may be NULL, which means "".
std::wstring Text(BSTR value) { return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring(); }

// A BSTR counts its characters and may hold a NUL; the C interface's texts end at one.
bool HoldsNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }
std::wstring NulRefusal() { return L" cannot hold a NUL character, which no request or command line carries"; }

HRESULT NewText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// What the properties read before anything is set: a new search's options, the
// window's defaults that varnel_search_new starts from.
std::map<std::wstring, std::wstring> DefaultOptions() {
    using Search = CustomPipes::SearchRequest;
    const Search search;
    const bool surname = search.nameOf == Search::NameOf::OfficialSurname;
    const wchar_t* by = search.by == Search::By::Code      ? L"code"
                        : search.by == Search::By::Address ? L"address"
                        : surname                          ? L"surname"
                                                           : L"name";
    return {
        {L"by", by},
        {L"name", search.name},
        {L"code", search.code},
        {L"subject", search.address.subject},
        {L"district", search.address.district},
        {L"city", search.address.city},
        {L"settlement", search.address.settlement},
        {L"street", search.address.street},
        {L"index", search.address.index},
        {L"defendant", search.addressOf == Search::AddressOf::Defendant ? L"1" : L"0"},
        {L"chosen", search.answer == Search::Answer::ChosenInVarnel ? L"1" : L"0"},
    };
}

}  // namespace

HRESULT Client::Create(REFIID iid, void** object) noexcept {
    try {
        ITypeLib* library = nullptr;
        HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
        if (FAILED(hr)) return hr;
        ITypeInfo* info = nullptr;
        hr = library->GetTypeInfoOfGuid(IID_IVarnelClient, &info);
        library->Release();
        if (FAILED(hr)) return hr;
        UniqueTypeInfo typeInfo(info);
        UniqueSearch search(new VarnelSearch());
        Client* client = new Client(std::move(search), std::move(typeInfo));
        hr = client->QueryInterface(iid, object);
        client->Release();
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void Client::SearchFree::operator()(VarnelSearch* search) const noexcept { delete search; }

Client::Client(UniqueSearch search, UniqueTypeInfo typeInfo)
    : search_(std::move(search)),
      typeInfo_(std::move(typeInfo)),
      options_(DefaultOptions()),
      timeoutSeconds_(CustomPipes::kDefaultTimeoutSeconds) {
    ModuleAddRef();
}

Client::~Client() { ModuleRelease(); }

HRESULT Client::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IVarnelClient) {
        *object = static_cast<IVarnelClient*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG Client::AddRef() { return ++references_; }

ULONG Client::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT Client::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT Client::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *info = typeInfo_.get();
    return S_OK;
}

HRESULT Client::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return typeInfo_->GetIDsOfNames(names, count, ids);
}

HRESULT Client::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                       EXCEPINFO* exception, UINT* badArgument) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    raised_.reset();
    HRESULT hr = typeInfo_->Invoke(static_cast<IVarnelClient*>(this), id, flags, parameters, result, exception,
                                   badArgument);
    // Not every oleaut32 copies a member's error object into EXCEPINFO; a script host
    // reads Err.Number and Err.Description from there, so it is filled in here.
    if (raised_ && exception && (hr == DISP_E_EXCEPTION || hr == raised_->code)) {
        if (!exception->bstrDescription) exception->bstrDescription = ::SysAllocString(raised_->description.c_str());
        if (!exception->bstrSource) exception->bstrSource = ::SysAllocString(kProgId);
        exception->wCode = 0;
        exception->scode = raised_->code;
        hr = DISP_E_EXCEPTION;
    }
    return hr;
}

HRESULT Client::InterfaceSupportsErrorInfo(REFIID iid) { return iid == IID_IVarnelClient ? S_OK : S_FALSE; }

HRESULT Client::GetText(const wchar_t* option, BSTR* value) {
    try {
        return NewText(options_.at(option), value);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Client::PutText(const wchar_t* option, BSTR value) {
    try {
        return Set(option, Text(value));
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

HRESULT Client::GetFlag(const wchar_t* option, VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    try {
        *value = options_.at(option) == L"1" ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Client::PutFlag(const wchar_t* option, VARIANT_BOOL value) {
    try {
        return Set(option, value ? L"1" : L"0");
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

HRESULT Client::Set(const wchar_t* option, const std::wstring& value) {
    if (HoldsNul(value)) return Raise(ErrorOf(VARNEL_REFUSED), option + NulRefusal());
    if (varnel_search_set(search_.get(), option, value.c_str()) != VARNEL_OK) {
        return Raise(ErrorOf(VARNEL_REFUSED), varnel_search_error(search_.get()));
    }
    options_[option] = value;
    return S_OK;
}

HRESULT Client::get_TimeoutSeconds(double* value) {
    if (!value) return E_POINTER;
    *value = timeoutSeconds_;
    return S_OK;
}

HRESULT Client::put_TimeoutSeconds(double value) {
    // The bounds of varnel-query's --timeout, which varnel_search_run takes in milliseconds.
    if (CustomPipes::IsAllowedTimeout(value)) {
        timeoutSeconds_ = value;
        return S_OK;
    }
    try {
        return Raise(ErrorOf(VARNEL_REFUSED),
                     L"TimeoutSeconds takes a number of seconds above 0 and at most " +
                         std::to_wstring(CustomPipes::kMaxTimeoutSeconds) + L", not " + CustomPipes::SecondsText(value));
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

HRESULT Client::Run(VarnelSearch& search, BSTR* answer) {
    if (!answer) return E_POINTER;
    *answer = nullptr;
    // The wait serves COM calls that reach this apartment: one of them may release the
    // caller's last reference, which must not take the object from under its own run.
    AddRef();
    struct Released {
        Client* self;
        ~Released() { self->Release(); }
    } released{this};
    const auto timeoutMs = static_cast<unsigned>(std::ceil(timeoutSeconds_ * 1000));
    const int result = varnel_search_run(&search, timeoutMs);
    lastRequest_ = varnel_search_request(&search);
    if (result != VARNEL_OK) return Raise(ErrorOf(result), varnel_search_error(&search));
    return NewText(varnel_search_answer(&search), answer);
}

HRESULT Client::Search(BSTR* answer) {
    try {
        return Run(*search_, answer);
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

// A prepared document goes through a search of its own: the object's search keeps the
// properties, which a search with a prepared request does not take.
HRESULT Client::SearchRequest(BSTR request, BSTR* answer) {
    try {
        const std::wstring document = Text(request);
        if (document.empty() || HoldsNul(document)) {
            return Raise(ErrorOf(VARNEL_REFUSED), document.empty()
                                                      ? L"SearchRequest takes a request document, not an empty text"
                                                      : L"the request document holds a NUL character");
        }
        UniqueSearch prepared(new VarnelSearch());
        if (varnel_search_set(prepared.get(), L"request", document.c_str()) != VARNEL_OK) {
            return Raise(ErrorOf(VARNEL_REFUSED), varnel_search_error(prepared.get()));
        }
        return Run(*prepared, answer);
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

HRESULT Client::Launch(BSTR switchName, BSTR value) {
    try {
        const std::wstring name = Text(switchName), text = Text(value);
        // Refused as the properties refuse it, not cut at the NUL.
        if (const wchar_t* holding = HoldsNul(name) ? L"switchName" : HoldsNul(text) ? L"value" : nullptr) {
            return Raise(ErrorOf(VARNEL_REFUSED), L"Launch's " + std::wstring(holding) + NulRefusal());
        }
        switch (varnel_launch(name.c_str(), text.c_str())) {
        case VARNEL_OK: return S_OK;
        case VARNEL_NOT_INSTALLED:
            return Raise(ErrorOf(VARNEL_NOT_INSTALLED),
                         L"Varnel is not installed (no installation record, or no file at its path); nothing was started");
        case VARNEL_REFUSED:
            return Raise(ErrorOf(VARNEL_REFUSED), L"Launch takes the switch name a, i or f, not \"" + name + L"\"");
        default:
            return Raise(ErrorOf(VARNEL_FAILED), CustomPipes::RunsElevated()
                                                     ? L"Launch runs elevated (as administrator): it does not start "
                                                       L"what the current user's installation record names, which "
                                                       L"any program of that user can change"
                                                     : L"Varnel could not be started");
        }
    } catch (const std::bad_alloc&) {
        return Raise(E_OUTOFMEMORY, L"out of memory");
    }
}

HRESULT Client::get_LastRequest(BSTR* text) {
    try {
        return NewText(lastRequest_, text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Client::get_Version(BSTR* text) { return NewText(varnel_version(), text); }

HRESULT Client::Raise(HRESULT code, std::wstring description) noexcept {
    try {
        raised_ = Raised{code, description};
    } catch (...) {
        raised_.reset();
    }
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(::CreateErrorInfo(&create))) {
        create->SetGUID(IID_IVarnelClient);
        create->SetSource(const_cast<LPOLESTR>(kProgId));
        create->SetDescription(description.data());
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            ::SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return code;
}

}  // namespace library::com
