// Late binding through IDispatch for the library's objects, and the automation objects
// SpEv and Error that scripts create by their ProgIDs.
#include <sheenwork/vb/error.h>

#include <vector>

#include "platform/host/win32/server.h"

namespace sheenwork::win32 {
namespace {

// VB's own errors as a script engine reads them back from an exception: FACILITY_CONTROL
// with the error number.
HRESULT ControlError(long number) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(number) & 0xFFFF);
}

void Describe(EXCEPINFO* exception, long number, const std::string& description) {
    if (!exception) return;
    *exception = EXCEPINFO{};
    exception->bstrSource = ToBstr("Sheenwork");
    exception->bstrDescription = ToBstr(description);
    exception->scode = number < 0 ? number : ControlError(number);
}

// SpEv and Error: their members late-bound, and their class for hosts that ask.
class AutomationObject final : public Unknown<IDispatch, IProvideClassInfo> {
public:
    explicit AutomationObject(const runtime::ClassDescription& cls)
        : cls_(cls), object_(cls.create(cls, nullptr)) {}

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        *info = TypeInfoOf(ToGuid(cls_.default_interface.iid)).detach();
        return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return IdsOfNames(cls_.members, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* arg_error) override {
        return InvokeMember(*object_, cls_.members, id, flags, params, result, exception,
                            arg_error);
    }
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = TypeInfoOf(ToGuid(cls_.clsid)).detach();
        return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch ||
            iid == ToGuid(cls_.default_interface.iid))
            return static_cast<IDispatch*>(this);
        if (iid == IID_IProvideClassInfo) return static_cast<IProvideClassInfo*>(this);
        return nullptr;
    }

private:
    const runtime::ClassDescription& cls_;
    std::shared_ptr<runtime::Object> object_;
};

}  // namespace

HRESULT IdsOfNames(std::span<const MemberInfo> members, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    if (count == 0) return S_OK;
    const MemberInfo* m = FindMember(members, Utf8(names[0]));
    ids[0] = m ? m->dispid : DISPID_UNKNOWN;
    // Parameters are passed by position only.
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return m && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT InvokeMember(runtime::Object& object, std::span<const MemberInfo> members, DISPID id,
                     WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                     UINT* arg_error) {
    if (result) VariantInit(result);
    const MemberInfo* member = FindMember(members, static_cast<long>(id));
    if (!member) return DISP_E_MEMBERNOTFOUND;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    vb::InvokeKind kind = vb::InvokeKind::Method;
    if (flags & DISPATCH_PROPERTYPUTREF)
        kind = vb::InvokeKind::PropertySet;
    else if (flags & DISPATCH_PROPERTYPUT)
        kind = vb::InvokeKind::PropertyLet;
    else if (!(flags & DISPATCH_METHOD))
        kind = vb::InvokeKind::PropertyGet;
    const UINT count = params ? params->cArgs : 0;
    const UINT named = params ? params->cNamedArgs : 0;
    // An assignment's value is the one named argument; nothing else is passed by name.
    if (put ? (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) : named != 0)
        return DISP_E_PARAMNOTOPTIONAL;
    // Positional arguments come last first; a missing optional one ends the list.
    std::vector<vb::Variant> args;
    std::vector<VARIANT*> sources;
    try {
        for (UINT i = count; i > named; --i) {
            VARIANT* v = &params->rgvarg[i - 1];
            if (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND) break;
            args.push_back(FromVariant(*v));
            sources.push_back(v);
        }
        if (put) {
            args.push_back(FromVariant(params->rgvarg[0]));
            sources.push_back(nullptr);
        }
    } catch (const vb::RuntimeError& e) {
        if (arg_error) *arg_error = count - 1 - static_cast<UINT>(args.size());
        return DispatchError(e.Number());
    }
    InvokeResult r = object.Invoke(id, kind, args);
    if (r.error != 0) {
        const HRESULT hr = DispatchError(r.error);
        if (hr == DISP_E_EXCEPTION) Describe(exception, r.error, r.description);
        return hr;
    }
    // By-reference arguments take back what the member left in them.
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (sources[i]) StoreBack(args[i], sources[i]);
    if (result && !put) ToVariant(r.value, result);
    return S_OK;
}

ComPtr<IUnknown> NewAutomationObject(const runtime::ClassDescription& cls) {
    return Make<AutomationObject, IUnknown>(cls);
}

}  // namespace sheenwork::win32
