// sheenline-error-handler.dll: an outside error component as a user would install one, a
// COM class with the ProgID SheenlineErrorHandler.ErrorHandler whose RaiseError writes the
// eight arguments it is given to C:\raised.txt, one a line (of the host's path only the
// file name; of the library object its Name, Folder and Version, read late-bound).
#include <windows.h>
// The rest need the types windows.h declares first.
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

// {6F0B1E77-3C25-4B8B-9E51-2F1C7A4D9E01}
const CLSID kClsid = {0x6f0b1e77, 0x3c25, 0x4b8b, {0x9e, 0x51, 0x2f, 0x1c, 0x7a, 0x4d, 0x9e, 0x01}};
const char kClsidText[] = "{6F0B1E77-3C25-4B8B-9E51-2F1C7A4D9E01}";
const char kProgId[] = "SheenlineErrorHandler.ErrorHandler";
HMODULE g_module;
LONG g_objects;

std::string Text(const VARIANT& v) {
    VARIANT s;
    VariantInit(&s);
    const VARIANT* from = v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v;
    if (FAILED(VariantChangeType(&s, const_cast<VARIANT*>(from), 0, VT_BSTR))) return "?";
    char out[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, s.bstrVal, -1, out, sizeof out, nullptr, nullptr);
    VariantClear(&s);
    return out;
}

std::string Property(IDispatch* d, const wchar_t* name) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (!d || FAILED(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) return "?";
    DISPPARAMS none{};
    VARIANT r;
    VariantInit(&r);
    if (FAILED(d->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr)))
        return "?";
    std::string s = Text(r);
    VariantClear(&r);
    return s;
}

class Handler final : public IDispatch {
public:
    Handler() { InterlockedIncrement(&g_objects); }
    ~Handler() { InterlockedDecrement(&g_objects); }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        if (_wcsicmp(names[0], L"RaiseError") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (id != 1) return DISP_E_MEMBERNOTFOUND;
        if (p->cArgs != 8) return DISP_E_BADPARAMCOUNT;
        FILE* f = std::fopen("C:\\raised.txt", "wb");
        if (!f) return E_FAIL;
        // Arguments come last first.
        const VARIANT* a = p->rgvarg;
        std::string host = Text(a[7]);
        host = host.substr(host.find_last_of('\\') + 1);
        const VARIANT& lib = a[6].vt == (VT_BYREF | VT_VARIANT) ? *a[6].pvarVal : a[6];
        IDispatch* library = lib.vt == VT_DISPATCH ? lib.pdispVal : nullptr;
        std::fprintf(f, "%s\r\n%s\r\n%s\r\n%s\r\n", host.c_str(),
                     Property(library, L"Name").c_str(), Property(library, L"Folder").c_str(),
                     Property(library, L"Version").c_str());
        for (int i = 5; i >= 0; --i) std::fprintf(f, "%s\r\n", Text(a[i]).c_str());
        std::fclose(f);
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        Handler* h = new Handler;
        const HRESULT hr = h->QueryInterface(iid, out);
        h->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
Factory g_factory;

bool SetKey(const std::string& key, const std::string& data) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
    char path[MAX_PATH];
    GetModuleFileNameA(g_module, path, MAX_PATH);
    const std::string clsid = std::string("CLSID\\") + kClsidText;
    return SetKey(kProgId, kProgId) && SetKey(std::string(kProgId) + "\\CLSID", kClsidText) &&
                   SetKey(clsid, kProgId) && SetKey(clsid + "\\InprocServer32", path)
               ? S_OK
               : E_FAIL;
}

STDAPI DllUnregisterServer() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsidText).c_str());
    return S_OK;
}
