// sheenwork-client.exe TABLE SCRIPT: a client of the registered control as a program of its
// own would be one. It creates sheenButton with CoCreateInstance on a small site of its own
// (extender name cmdTest, user mode, no ambient font), activates it in a window and connects
// to its events through the connection point. Then it reads and assigns every member of
// TABLE (tests/data/windows/dispatch.txt) late-bound by its DISPID, writing
// "NAME | DISPID | default | assigned | read back", and runs the commands of SCRIPT
// (tests/data/windows/client.txt), the lines that start with "> ", echoing each before
// what it writes:
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

namespace {

using Microsoft::WRL::ComPtr;

std::vector<std::string> g_events;
std::string g_dialog;  // what the last modal window the client closed said
HWND g_host;

std::string Utf8(const wchar_t* w) {
    if (!w) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), size, nullptr, nullptr);
    if (!out.empty()) out.pop_back();
    return out;
}

std::wstring Wide(const std::string& s) {
    std::wstring out(s.size() + 1, L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, out.data(), static_cast<int>(out.size())) -
        1));
    return out;
}

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string Number(double d) {
    std::ostringstream s;
    s << d;
    return s.str();
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

// A value as the table, the script and the events write it: fonts as "NAME SIZE WEIGHT",
// pictures as "WxH", "nothing" for no object.
std::string Describe(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY: return "";
        case VT_BOOL: return v.boolVal ? "True" : "False";
        case VT_BSTR: return Utf8(v.bstrVal);
        case VT_I2: return std::to_string(v.iVal);
        case VT_I4: return std::to_string(v.lVal);
        case VT_R4: return Number(v.fltVal);
        case VT_R8: return Number(v.dblVal);
        case VT_CY: return Number(static_cast<double>(v.cyVal.int64) / 10000.0);
        case VT_DISPATCH: {
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
        default: return "vt" + std::to_string(v.vt);
    }
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

// The events, a line each: the name and the arguments, by-reference ones read through.
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
        // The event interface's members by DISPID, from 1.
        std::istringstream names(
            "Click MouseUp MouseMove MouseDown MouseLeave MouseEnter KeyDown KeyPress KeyUp "
            "OLECompleteDrag OLEDragDrop OLEDragOver OLEGiveFeedback OLESetData OLEStartDrag "
            "DropDown");
        std::string name = "?";
        std::string word;
        for (DISPID i = 1; names >> word; ++i)
            if (i == id) name = word;
        std::string line = "event " + name;
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

// The value a table cell assigns; objects are made here.
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
    words >> verb;
    if (verb == "put" || verb == "get") {
        DISPID id = 0;
        words >> id;
        std::getline(words >> std::ws, what);
        VARIANT v = Value(what), r;
        const WORD flags = verb == "get"         ? DISPATCH_PROPERTYGET
                           : v.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF
                                                 : DISPATCH_PROPERTYPUT;
        const HRESULT hr =
            Call(s.control.dispatch.Get(), id, flags, verb == "get" ? nullptr : &v, &r);
        std::printf("%s\n", FAILED(hr) || verb == "put" ? Hex(hr).c_str() : Describe(r).c_str());
        VariantClear(&v);
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

// The cells of a table row, at least five, blanks around each removed.
std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream s(line);
    for (std::string c; std::getline(s, c, '|');) {
        const auto a = c.find_first_not_of(' '), b = c.find_last_not_of(' ');
        out.push_back(a == std::string::npos ? "" : c.substr(a, b - a + 1));
    }
    while (out.size() < 5) out.emplace_back();
    return out;
}

// A table row: the member read, assigned (or called), read back, by DISPID.
void Member(Session& s, const std::string& line) {
    IDispatch* d = s.control.dispatch.Get();
    const auto cell = Cells(line);
    const DISPID id = std::stol(cell[1]);
    s.ids.push_back(id);
    const std::string before = cell[2] == "-" ? "-" : Get(d, id);
    std::string after;
    if (cell[3] == "call") {
        g_dialog.clear();
        VARIANT r;
        Call(d, id, DISPATCH_METHOD, nullptr, &r);
        after = g_dialog;
    } else if (cell[3] == "-") {
        after = Get(d, id);
    } else {
        VARIANT v = Value(cell[3]);
        ComPtr<IUnknown> assigned;
        if (v.vt == VT_DISPATCH && v.pdispVal) v.pdispVal->QueryInterface(IID_IUnknown, &assigned);
        const HRESULT hr =
            Call(d, id, v.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, &v,
                 nullptr);
        after = FAILED(hr) ? "assignment failed " + Hex(hr) : Get(d, id, assigned.Get());
        VariantClear(&v);
    }
    std::printf("%s | %d | %s | %s | %s\n", cell[0].c_str(), static_cast<int>(id), before.c_str(),
                cell[3].c_str(), after.c_str());
}

// The lines of a file, carriage returns removed.
std::vector<std::string> Lines(const char* path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
    }
    return out;
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
    }
    for (const std::string& line : Lines(argv[1]))
        if (!line.empty() && line[0] != '#') Member(s, line);
    // The script: each command ("> ...") echoed, then what it prints.
    for (const std::string& line : Lines(argv[2])) {
        if (line.rfind("> ", 0) != 0) continue;
        std::printf("%s\n", line.c_str());
        Run(s, line.substr(2));
    }
    DestroyWindow(g_host);
    OleUninitialize();
    return 0;
}
