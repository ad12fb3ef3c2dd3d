// sheenwork-client.exe TABLE SCRIPT: a client of the registered control as a program of its
// own would be one. It creates sheenButton with CoCreateInstance on a small site of its own
// (extender name cmdTest, user mode, no ambient font), activates it in a window and connects
// to its events through the connection point. It writes, in this order:
// - the type library of the sheenwork.dll it loaded, read through LoadTypeLib and ITypeInfo
//   as a host reads it, in the line format of tests/data/typelib.txt; the class lines take
//   the status flags and the toolbox bitmap from the registration, as a form designer does;
// - every member of TABLE (tests/data/windows/dispatch.txt) read and assigned late-bound by
//   its DISPID: "NAME | DISPID | default | assigned | read back";
// - the commands of SCRIPT (tests/data/windows/client.txt), the lines that start with "> ",
//   each echoed before what it writes:
//   put ID VALUE, get ID      an assignment's HRESULT; a value read (or the HRESULT)
//   dialog                    what the modal window the client closed last said
//   send MSG WPARAM LPARAM    a message to the control's window; LPARAM may be "X,Y"
//   events                    the events received since the last "events"
//   save bag|stream, dirty    IPersistPropertyBag's keys and values / IPersistStreamInit
//   load bag|stream [except ID...]  a new control from what was saved, compared with the
//                             first member by member: "the same" or what differs
//   unload                    everything released: may the library unload (yes/no)
#include <windows.h>
// The rest need the types windows.h declares first.
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "windows/typelib_format.h"

namespace {

using Microsoft::WRL::ComPtr;
using sheenwork::testing::Joined;

std::vector<std::string> g_events;
std::string g_dialog;  // what the last modal window the client closed said
HWND g_host;
ComPtr<ITypeInfo> g_event_info;  // the control's event interface, which names the events

std::string Utf8(const wchar_t* w) {
    if (!w || !*w) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

std::string Take(BSTR b) {
    std::string s = Utf8(b);
    SysFreeString(b);
    return s;
}

std::wstring Wide(const std::string& s) {
    std::wstring out(s.size() + 1, L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, out.data(), static_cast<int>(out.size())) -
        1));
    return out;
}

std::string Hex(unsigned long value, const char* format = "0x%08lX") {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Guid(const GUID& g) {
    wchar_t text[64];
    StringFromGUID2(g, text, 64);
    return Utf8(text);
}

// A member's name (MEMBERID_NIL: the type's own), or with `help` its help string.
std::string Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, bool help = false) {
    BSTR text = nullptr;
    info->GetDocumentation(id, help ? nullptr : &text, help ? &text : nullptr, nullptr, nullptr);
    return Take(text);
}

// A type as a host's property browser names it: the innermost type of a pointer chain.
std::string TypeName(ITypeInfo* info, const TYPEDESC& t) {
    static const std::map<VARTYPE, const char*> names = {
        {VT_BSTR, "String"}, {VT_I4, "Long"},      {VT_I2, "Integer"},      {VT_R4, "Single"},
        {VT_R8, "Double"},   {VT_BOOL, "Boolean"}, {VT_VARIANT, "Variant"}, {VT_DISPATCH, "Object"},
        {VT_VOID, ""},       {VT_HRESULT, ""}};
    ComPtr<ITypeInfo> ref;
    if (t.vt == VT_PTR) return TypeName(info, *t.lptdesc);
    if (t.vt == VT_USERDEFINED)
        return SUCCEEDED(info->GetRefTypeInfo(t.hreftype, &ref)) ? Doc(ref.Get()) : "?";
    const auto name = names.find(t.vt);
    return name == names.end() ? "vt" + std::to_string(t.vt) : name->second;
}

// "ByRef Filename As String, Optional ByRef Text As String = """: every parameter but the
// result.
std::string Params(ITypeInfo* info, const FUNCDESC* f) {
    std::vector<BSTR> names(f->cParams + 1);
    UINT got = 0;
    info->GetNames(f->memid, names.data(), static_cast<UINT>(names.size()), &got);
    std::vector<std::string> out;
    for (SHORT i = 0; i < f->cParams; ++i) {
        const ELEMDESC& e = f->lprgelemdescParam[i];
        const USHORT flags = e.paramdesc.wParamFlags;
        if (flags & PARAMFLAG_FRETVAL) continue;
        std::optional<std::string> default_value;
        if (flags & PARAMFLAG_FHASDEFAULT) {
            VARIANT text;
            VariantInit(&text);
            VariantChangeType(&text, &e.paramdesc.pparamdescex->varDefaultValue, 0, VT_BSTR);
            default_value = Utf8(text.bstrVal);
            VariantClear(&text);
        } else if (flags & PARAMFLAG_FOPT) {
            default_value = "";
        }
        out.push_back(
            sheenwork::testing::Parameter(flags & PARAMFLAG_FOPT, flags & PARAMFLAG_FOUT,
                                          static_cast<UINT>(i + 1) < got ? Utf8(names[i + 1]) : "?",
                                          TypeName(info, e.tdesc), default_value));
    }
    for (BSTR b : names) SysFreeString(b);
    return Joined(out, ", ");
}

// The members of a dispatch interface in order, a property's accessors as one member: a
// "member" line each, or for an event interface an "event" line.
void Members(ITypeInfo* itf, const char* kind, std::vector<std::string>& out) {
    TYPEATTR* attr = nullptr;
    itf->GetTypeAttr(&attr);
    struct Member {
        std::string name, type, help, params;
        bool let = false, set = false, method = false;
    };
    std::vector<MEMBERID> order;
    std::map<MEMBERID, Member> members;
    for (WORD i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        itf->GetFuncDesc(i, &f);
        if (!members.count(f->memid)) order.push_back(f->memid);
        Member& m = members[f->memid];
        m.name = Doc(itf, f->memid);
        m.help = Doc(itf, f->memid, true);
        switch (f->invkind) {
            case INVOKE_PROPERTYGET: break;
            case INVOKE_PROPERTYPUT: m.let = true; break;
            case INVOKE_PROPERTYPUTREF: m.set = true; break;
            default:
                m.method = true;
                m.params = Params(itf, f);
                break;
        }
        // The type: a result parameter's, else a property's assigned value, else the
        // function's own result.
        std::string type = TypeName(itf, f->elemdescFunc.tdesc);
        for (SHORT p = 0; p < f->cParams; ++p)
            if ((f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) ||
                f->invkind != INVOKE_FUNC)
                type = TypeName(itf, f->lprgelemdescParam[p].tdesc);
        if (m.type.empty()) m.type = type;
        itf->ReleaseFuncDesc(f);
    }
    itf->ReleaseTypeAttr(attr);
    for (MEMBERID id : order) {
        const Member& m = members[id];
        const char* access = m.method ? "method" : m.set ? "Get/Set" : m.let ? "Get/Let" : "Get";
        out.push_back(
            std::string(kind) + " " +
            (kind == std::string("event")
                 ? Joined({std::to_string(id), m.name, m.params, m.help})
                 : Joined({m.name, m.type, access, std::to_string(id), m.help, m.params})));
    }
}

// The toolbox bitmap the registration names, when the library file holds it.
std::string ToolboxBitmap(const std::string& clsid, HMODULE library) {
    char value[1024] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\ToolboxBitmap32").c_str(), value,
                       &size) != ERROR_SUCCESS)
        return "0";
    const std::string text = value;
    const int id = std::atoi(text.substr(text.rfind(',') + 1).c_str());
    HANDLE bitmap = LoadImageA(library, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
    if (!bitmap) return "missing " + std::to_string(id);
    DeleteObject(bitmap);
    return std::to_string(id);
}

// The class line of a coclass and the lines of its default interface's members and its
// default source's events.
void Class(ITypeInfo* info, const TYPEATTR* attr, HMODULE module, std::vector<std::string>& out) {
    ComPtr<ITypeInfo> def, source;
    for (WORD k = 0; k < attr->cImplTypes; ++k) {
        INT flags = 0;
        HREFTYPE ref = 0;
        info->GetImplTypeFlags(k, &flags);
        info->GetRefTypeOfImplType(k, &ref);
        if (flags & IMPLTYPEFLAG_FDEFAULT)
            info->GetRefTypeInfo(ref, flags & IMPLTYPEFLAG_FSOURCE ? &source : &def);
    }
    const auto named = [](ITypeInfo* itf) {
        if (!itf) return std::string();
        TYPEATTR* a = nullptr;
        itf->GetTypeAttr(&a);
        const std::string text = Doc(itf) + " " + Guid(a->guid);
        itf->ReleaseTypeAttr(a);
        return text;
    };
    const std::string clsid = Guid(attr->guid);
    DWORD status = 0;
    OleRegGetMiscStatus(attr->guid, DVASPECT_CONTENT, &status);
    const bool control = (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0;
    out.push_back("class " +
                  Joined({Doc(info), control ? "control" : "global",
                          sheenwork::testing::TypeFlags(attr->wTypeFlags), Hex(status, "0x%lX"),
                          control ? ToolboxBitmap(clsid, module) : "0", clsid, named(def.Get()),
                          named(source.Get())}));
    if (def) Members(def.Get(), "member", out);
    if (source) Members(source.Get(), "event", out);
}

void Enumeration(ITypeInfo* info, const TYPEATTR* attr, std::vector<std::string>& out) {
    out.push_back("enum " + Doc(info));
    for (WORD v = 0; v < attr->cVars; ++v) {
        VARDESC* d = nullptr;
        info->GetVarDesc(v, &d);
        VARIANT value;
        VariantInit(&value);
        VariantChangeType(&value, d->lpvarValue, 0, VT_I4);
        out.push_back("value " + Joined({Doc(info, d->memid), std::to_string(value.lVal),
                                         Doc(info, d->memid, true)}));
        info->ReleaseVarDesc(d);
    }
}

// The listing of the library file `module`: the library, its classes, then its
// enumerations. Keeps the event interface `events` for the names of the events.
void ListTypeLibrary(HMODULE module, const GUID& events) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLib(path, &lib))) {
        std::printf("%s holds no type library\n", Utf8(path).c_str());
        return;
    }
    lib->GetTypeInfoOfGuid(events, &g_event_info);
    std::vector<std::string> lines, enums;
    TLIBATTR* la = nullptr;
    lib->GetLibAttr(&la);
    BSTR lib_name = nullptr;
    lib->GetDocumentation(-1, &lib_name, nullptr, nullptr, nullptr);
    lines.push_back("library " + Joined({Take(lib_name),
                                         std::to_string(la->wMajorVerNum) + "." +
                                             std::to_string(la->wMinorVerNum),
                                         Guid(la->guid)}));
    lib->ReleaseTLibAttr(la);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        lib->GetTypeInfo(i, &info);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        if (attr->typekind == TKIND_ENUM) Enumeration(info.Get(), attr, enums);
        if (attr->typekind == TKIND_COCLASS) Class(info.Get(), attr, module, lines);
        info->ReleaseTypeAttr(attr);
    }
    lines.insert(lines.end(), enums.begin(), enums.end());
    for (const auto& l : lines) std::printf("%s\n", l.c_str());
}

// The one late-bound call: a property's value given as its named argument.
HRESULT Call(IDispatch* d, DISPID id, WORD flags, VARIANT* arg, VARIANT* result) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arg, nullptr, arg ? 1u : 0u, 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    if (result) VariantInit(result);
    return d->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

std::string Get(IDispatch* d, DISPID id, IUnknown* assigned = nullptr);

// A value as the table, the script and the events write it: numbers and truth values in
// English, fonts as "NAME SIZE WEIGHT", pictures as "WxH", "nothing" for no object.
std::string Describe(const VARIANT& v) {
    if (v.vt == VT_DISPATCH) {
        if (!v.pdispVal) return "nothing";
        ComPtr<IFontDisp> font;
        ComPtr<IPicture> picture;
        if (SUCCEEDED(v.pdispVal->QueryInterface(IID_IFontDisp, &font)))
            return Get(v.pdispVal, DISPID_FONT_NAME) + " " + Get(v.pdispVal, DISPID_FONT_SIZE) +
                   " " + Get(v.pdispVal, DISPID_FONT_WEIGHT);
        if (FAILED(v.pdispVal->QueryInterface(IID_IPicture, &picture))) return "object";
        OLE_HANDLE handle = 0;
        picture->get_Handle(&handle);
        BITMAP bm{};
        GetObjectA(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof bm, &bm);
        return std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight);
    }
    VARIANT text;
    VariantInit(&text);
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    if (FAILED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&v), english, VARIANT_ALPHABOOL,
                                   VT_BSTR)))
        return "vt" + std::to_string(v.vt);
    return Take(text.bstrVal);
}

// A property read, "failed" when it fails; "window" for a window handle (DISPID 38) and
// " same" after the very object `assigned` when it comes back.
std::string Get(IDispatch* d, DISPID id, IUnknown* assigned) {
    VARIANT r;
    if (FAILED(Call(d, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, &r))) return "failed";
    std::string s = Describe(r);
    if (id == 38) s = IsWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(r.lVal))) ? "window" : s;
    ComPtr<IUnknown> back;
    if (assigned && r.vt == VT_DISPATCH && r.pdispVal &&
        SUCCEEDED(r.pdispVal->QueryInterface(IID_IUnknown, &back)) && back.Get() == assigned)
        s += " same";
    VariantClear(&r);
    return s;
}

// The value a table cell or a command assigns; objects are made here.
VARIANT Value(const std::string& cell) {
    VARIANT v;
    VariantInit(&v);
    if (cell == "True" || cell == "False") {
        v.vt = VT_BOOL;
        v.boolVal = cell == "True" ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (cell.rfind("font ", 0) == 0) {
        const std::string rest = cell.substr(5);
        const auto last = rest.rfind(' '), size_at = rest.rfind(' ', last - 1);
        const std::wstring name = Wide(rest.substr(0, size_at));
        FONTDESC fd{sizeof fd, const_cast<LPOLESTR>(name.c_str()), {}, 400, 0, FALSE, FALSE, FALSE};
        fd.cySize.int64 =
            static_cast<LONGLONG>(std::stod(rest.substr(size_at + 1, last - size_at - 1)) * 10000);
        fd.sWeight = static_cast<SHORT>(std::stoi(rest.substr(last + 1)));
        v.vt = VT_DISPATCH;
        OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&v.pdispVal));
    } else if (cell.rfind("picture ", 0) == 0) {
        const int w = std::stoi(cell.substr(8)), h = std::stoi(cell.substr(cell.find('x') + 1));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        PICTDESC pd{};
        pd.cbSizeofstruct = sizeof pd;
        pd.picType = PICTYPE_BITMAP;
        pd.bmp.hbitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        v.vt = VT_DISPATCH;
        OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE,
                                 reinterpret_cast<void**>(&v.pdispVal));
    } else {
        char* end = nullptr;
        const double d = std::strtod(cell.c_str(), &end);
        if (cell.empty() || *end != '\0') {
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(Wide(cell).c_str());
        } else if (d == static_cast<long>(d)) {
            v.vt = VT_I4;
            v.lVal = static_cast<long>(d);
        } else {
            v.vt = VT_R8;
            v.dblVal = d;
        }
    }
    return v;
}

// Assigns `cell` to a member (Set for an object, Let for the rest); the HRESULT. With
// `assigned`, the object assigned, to know it when it comes back.
HRESULT Put(IDispatch* d, DISPID id, const std::string& cell,
            ComPtr<IUnknown>* assigned = nullptr) {
    VARIANT v = Value(cell);
    if (assigned && v.vt == VT_DISPATCH && v.pdispVal)
        v.pdispVal->QueryInterface(IID_IUnknown, &*assigned);
    const HRESULT hr = Call(
        d, id, v.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, &v, nullptr);
    VariantClear(&v);
    return hr;
}

// A minimal IUnknown for the client's own objects.
template <class I>
class Object : public I {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == __uuidof(I) ? static_cast<I*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    virtual ~Object() = default;

private:
    ULONG refs_ = 0;  // the first ComPtr holds the first reference
};

// The events, a line each: the name the type library gives and the arguments, by-reference
// ones read through.
class Sink final : public Object<IDispatch> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        std::string line = "event " + (g_event_info ? Doc(g_event_info.Get(), id) : "?");
        for (UINT i = p->cArgs; i > 0; --i) {
            VARIANT value;
            VariantInit(&value);
            VariantCopyInd(&value, &p->rgvarg[i - 1]);
            line += " " + Describe(value);
            VariantClear(&value);
        }
        g_events.push_back(line);
        return S_OK;
    }
};
// The site: client, in-place and control site, the ambient properties (user mode,
// nothing else) and, on the same IDispatch, the extender (Name and Default, DISPIDs 1 and
// 2, which no ambient property uses).
class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleControlSite,
                   public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleControlSite)
            *out = static_cast<IOleControlSite*>(this);
        else if (iid == IID_IDispatch)
            *out = static_cast<IDispatch*>(this);
        else
            *out = nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* w) override {
        *w = g_host;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** d, LPRECT pos,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
        *f = nullptr;
        *d = nullptr;
        *pos = RECT{10, 10, 110, 36};
        *clip = RECT{0, 0, 300, 200};
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** e) override {
        *e = this;
        return S_OK;
    }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        ids[0] = _wcsicmp(names[0], L"Name") == 0      ? 1
                 : _wcsicmp(names[0], L"Default") == 0 ? 2
                                                       : -1;
        return ids[0] == -1 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* r, EXCEPINFO*,
                        UINT*) override {
        VariantInit(r);
        if (id == 1) {
            r->vt = VT_BSTR;
            r->bstrVal = SysAllocString(L"cmdTest");
            return S_OK;
        }
        if (id != DISPID_AMBIENT_USERMODE && id != 2) return DISP_E_MEMBERNOTFOUND;
        r->vt = VT_BOOL;
        r->boolVal = id == 2 ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    }
};
Site g_site;

// A property bag in memory: what Save writes, in order.
class Bag final : public Object<IPropertyBag> {
public:
    std::vector<std::pair<std::wstring, VARIANT>> values;
    ~Bag() override {
        for (auto& v : values) VariantClear(&v.second);
    }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* out, IErrorLog*) override {
        for (auto& v : values)
            if (v.first == name) return VariantCopy(out, &v.second);
        return E_INVALIDARG;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* in) override {
        VARIANT copy;
        VariantInit(&copy);
        VariantCopy(&copy, in);
        values.emplace_back(name, copy);
        return S_OK;
    }
};

// Modal windows the library opens (About, a message box) are read and closed by a timer
// of the client's window while their loops run.
void CALLBACK CloseModal(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = FindWindowA("SheenworkAbout", nullptr);
    HWND box = FindWindowA("#32770", "Error");
    HWND w = about ? about : box;
    if (!w) return;
    char title[256] = {};
    GetWindowTextA(w, title, sizeof title);
    g_dialog = title;
    if (box) {
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        std::string t = text;
        for (std::size_t at; (at = t.find("\r\n")) != std::string::npos;) t.replace(at, 2, "|");
        for (std::size_t at; (at = t.find('\n')) != std::string::npos;) t.replace(at, 1, "|");
        g_dialog += ": " + t;
    }
    PostMessageA(w, WM_CLOSE, 0, 0);
    if (box) PostMessageA(w, WM_COMMAND, IDOK, 0);
}

struct Control {
    ComPtr<IOleObject> object;
    ComPtr<IDispatch> dispatch;
    HWND window = nullptr;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
};

// A control on the site, new or loaded from a bag or a stream, activated in place.
Control Create(const CLSID& clsid, IPropertyBag* bag, IStream* stream) {
    Control c;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &c.object);
    if (!c.object) return c;
    c.object->SetClientSite(&g_site);
    ComPtr<IPersistStreamInit> persist_stream;
    ComPtr<IPersistPropertyBag> persist_bag;
    if (stream && SUCCEEDED(c.object.As(&persist_stream)))
        persist_stream->Load(stream);
    else if (!stream && SUCCEEDED(c.object.As(&persist_bag)))
        bag ? persist_bag->Load(bag, nullptr) : persist_bag->InitNew();
    RECT r{10, 10, 110, 36};
    c.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &g_site, 0, g_host, &r);
    ComPtr<IOleWindow> window;
    if (SUCCEEDED(c.object.As(&window))) window->GetWindow(&c.window);
    c.object.As(&c.dispatch);
    return c;
}

void Destroy(Control& c) {
    if (c.point) c.point->Unadvise(c.cookie);
    ComPtr<IOleInPlaceObject> in_place;
    if (SUCCEEDED(c.object.As(&in_place))) in_place->InPlaceDeactivate();
    c.object->Close(OLECLOSE_NOSAVE);
    c.object->SetClientSite(nullptr);
    c = {};
}

// The client's state between the commands of a script.
struct Session {
    CLSID clsid{};
    Control control;
    std::vector<DISPID> ids;  // the table's members
    ComPtr<Bag> bag;
    ComPtr<IStream> stream;
};

// The members of the table in both controls, those named in `skip` left out: "the same",
// or each member that differs.
std::string Compare(Session& s, Control& other, const std::vector<DISPID>& skip) {
    std::string differs;
    for (const DISPID id : s.ids) {
        if (std::find(skip.begin(), skip.end(), id) != skip.end()) continue;
        const std::string a = Get(s.control.dispatch.Get(), id), b = Get(other.dispatch.Get(), id);
        if (a != b) differs += " " + std::to_string(id) + ": " + a + " / " + b;
    }
    return differs.empty() ? "the same" : differs.substr(1);
}

// One command of the script; what it prints goes to standard output.
void Run(Session& s, const std::string& command) {
    std::istringstream words(command);
    std::string verb, what;
    IDispatch* d = s.control.dispatch.Get();
    words >> verb;
    if (verb == "put") {
        DISPID id = 0;
        words >> id;
        std::getline(words >> std::ws, what);
        std::printf("%s\n", Hex(Put(d, id, what)).c_str());
    } else if (verb == "get") {
        VARIANT r;
        DISPID id = 0;
        words >> id;
        const HRESULT hr = Call(d, id, DISPATCH_PROPERTYGET, nullptr, &r);
        std::printf("%s\n", FAILED(hr) ? Hex(hr).c_str() : Describe(r).c_str());
        VariantClear(&r);
    } else if (verb == "dialog") {
        std::printf("%s\n", g_dialog.c_str());
        g_dialog.clear();
    } else if (verb == "events") {
        for (const auto& e : g_events) std::printf("%s\n", e.c_str());
        g_events.clear();
    } else if (verb == "send") {
        // A window message by its name, its wParam and its lParam ("X,Y" for a point).
        static const std::map<std::string, UINT> messages = {
            {"mousemove", WM_MOUSEMOVE}, {"lbuttondown", WM_LBUTTONDOWN},
            {"lbuttonup", WM_LBUTTONUP}, {"keydown", WM_KEYDOWN},
            {"char", WM_CHAR},           {"keyup", WM_KEYUP}};
        std::string wparam, lparam;
        words >> what >> wparam >> lparam;
        const auto comma = lparam.find(',');
        const LPARAM l = comma == std::string::npos
                             ? static_cast<LPARAM>(std::stoul(lparam, nullptr, 0))
                             : MAKELPARAM(std::stoi(lparam), std::stoi(lparam.substr(comma + 1)));
        SendMessageA(s.control.window, messages.at(what), std::stoul(wparam, nullptr, 0), l);
    } else if (verb == "save") {
        words >> what;
        ComPtr<IPersistPropertyBag> persist_bag;
        ComPtr<IPersistStreamInit> persist_stream;
        if (what == "bag" && SUCCEEDED(s.control.object.As(&persist_bag))) {
            s.bag = new Bag;
            persist_bag->Save(s.bag.Get(), TRUE, TRUE);
            for (const auto& [name, value] : s.bag->values)
                std::printf("%s = %s\n", Utf8(name.c_str()).c_str(), Describe(value).c_str());
        } else if (what == "stream" && SUCCEEDED(s.control.object.As(&persist_stream))) {
            CreateStreamOnHGlobal(nullptr, TRUE, &s.stream);
            persist_stream->Save(s.stream.Get(), TRUE);
            const LARGE_INTEGER start{};
            s.stream->Seek(start, STREAM_SEEK_SET, nullptr);
        }
    } else if (verb == "dirty") {
        ComPtr<IPersistStreamInit> persist_stream;
        s.control.object.As(&persist_stream);
        std::printf("%s\n", persist_stream->IsDirty() == S_OK ? "yes" : "no");
    } else if (verb == "load") {
        // "load bag|stream except ID...": a new control from what was saved last.
        words >> what;
        std::vector<DISPID> skip;
        for (std::string word; words >> word;)
            if (word != "except") skip.push_back(std::stol(word));
        Control other = what == "bag" ? Create(s.clsid, s.bag.Get(), nullptr)
                                      : Create(s.clsid, nullptr, s.stream.Get());
        std::printf("%s\n", Compare(s, other, skip).c_str());
        Destroy(other);
    } else if (verb == "unload") {
        // Everything released: whether the library may be unloaded.
        Destroy(s.control);
        s.bag.Reset();
        s.stream.Reset();
        HMODULE library = GetModuleHandleA("sheenwork.dll");
        using Unload = HRESULT(STDAPICALLTYPE*)();
        const auto can = library ? reinterpret_cast<Unload>(reinterpret_cast<void*>(
                                       GetProcAddress(library, "DllCanUnloadNow")))
                                 : nullptr;
        std::printf("%s\n", can ? (can() == S_OK ? "yes" : "no") : "gone");
    } else {
        std::printf("unknown command %s\n", command.c_str());
    }
}

// A table row: the member read, assigned (or called), read back, by DISPID; its cells
// are the name, the DISPID, "-" for no first read, and what is assigned.
void Member(Session& s, const std::string& line) {
    IDispatch* d = s.control.dispatch.Get();
    std::vector<std::string> cell;
    std::stringstream cells(line);
    for (std::string c; std::getline(cells, c, '|');) {
        const auto a = c.find_first_not_of(' '), b = c.find_last_not_of(' ');
        cell.push_back(a == std::string::npos ? "" : c.substr(a, b - a + 1));
    }
    cell.resize(std::max<std::size_t>(cell.size(), 4));
    const DISPID id = std::stol(cell[1]);
    s.ids.push_back(id);
    const std::string before = cell[2] == "-" ? "-" : Get(d, id);
    std::string after;
    ComPtr<IUnknown> assigned;
    if (cell[3] == "call") {
        g_dialog.clear();
        VARIANT r;
        Call(d, id, DISPATCH_METHOD, nullptr, &r);
        after = g_dialog;
    } else if (cell[3] == "-") {
        after = Get(d, id);
    } else if (const HRESULT hr = Put(d, id, cell[3], &assigned); FAILED(hr)) {
        after = "assignment failed " + Hex(hr);
    } else {
        after = Get(d, id, assigned.Get());
    }
    std::printf("%s | %d | %s | %s | %s\n", cell[0].c_str(), static_cast<int>(id), before.c_str(),
                cell[3].c_str(), after.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sheenwork-client.exe TABLE SCRIPT\n");
        return 2;
    }
    OleInitialize(nullptr);
    g_host = CreateWindowExA(0, "STATIC", "client", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                             200, nullptr, nullptr, nullptr, nullptr);
    SetTimer(g_host, 1, 50, CloseModal);
    Session s;
    if (FAILED(CLSIDFromProgID(L"Sheenwork.sheenButton", &s.clsid))) {
        std::printf("Sheenwork.sheenButton is not registered\n");
        return 1;
    }
    s.control = Create(s.clsid, nullptr, nullptr);
    if (!s.control.dispatch) {
        std::printf("sheenButton cannot be created\n");
        return 1;
    }
    // The events, through the connection point of the control's own event interface; nothing
    // of the control held here but the connection.
    {
        ComPtr<IProvideClassInfo2> info;
        ComPtr<IConnectionPointContainer> points;
        GUID events{};
        s.control.object.As(&info);
        s.control.object.As(&points);
        info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
        points->FindConnectionPoint(events, &s.control.point);
        const ComPtr<Sink> sink(new Sink);
        s.control.point->Advise(sink.Get(), &s.control.cookie);
        ListTypeLibrary(GetModuleHandleA("sheenwork.dll"), events);
    }
    // The table's rows, then the script's commands ("> ...") each echoed before what it
    // prints.
    for (const int file : {1, 2}) {
        std::ifstream in(argv[file]);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (file == 1 && !line.empty() && line[0] != '#') Member(s, line);
            if (file == 2 && line.rfind("> ", 0) == 0) {
                std::printf("%s\n", line.c_str());
                Run(s, line.substr(2));
            }
        }
    }
    g_event_info.Reset();
    DestroyWindow(g_host);
    OleUninitialize();
    return 0;
}
