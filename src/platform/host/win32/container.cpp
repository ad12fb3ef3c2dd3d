// The container of platform/host/container.h: a form window whose controls are ActiveX
// controls, each with its sites, and a message loop that routes a form's keys to them
// through their mnemonics, as a form of the platform does.
//
// The keys, as the form runtime routes them: Tab and Shift+Tab move the focus along the
// tab order; Enter is the mnemonic of the button shown as default (the focused control
// that acts like a button, else the default button), Escape that of the cancel button;
// Alt with a letter or digit that of the control whose accelerators hold it, which
// first takes the focus. A key taken so does not reach the focused control, nor its
// release, nor a character.
#include <sheenwork/runtime/library.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/syscolors.h>

#include "platform/host/container.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/win32/com.h"

namespace sheenwork::host {
namespace {

using win32::ComPtr;
using win32::Unknown;

constexpr char kFormClass[] = "SheenworkForm";
constexpr UINT kCommandsWaiting = WM_APP + 1;
constexpr UINT kUpdateDefault = WM_APP + 2;

HRESULT NotImplemented() { return E_NOTIMPL; }

// The key a message is about, with its side for the modifiers: 160/161 Shift, 162/163
// Ctrl, 164/165 Alt, as the hosts report them.
int SidedKey(const MSG& m) {
    const bool extended = (m.lParam >> 24) & 1;
    const UINT scan = (m.lParam >> 16) & 0xFF;
    switch (m.wParam) {
        case VK_SHIFT: return scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
        case VK_CONTROL: return extended ? VK_RCONTROL : VK_LCONTROL;
        case VK_MENU: return extended ? VK_RMENU : VK_LMENU;
        default: return static_cast<int>(m.wParam);
    }
}

bool Down(int vk) { return ::GetKeyState(vk) < 0; }

}  // namespace

struct Container::Impl {
    struct Control;

    ContainerOptions options;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    HWND form = nullptr;
    std::string form_name = "Form1";
    gdi::Rect form_rect{100, 100, 400, 300};
    std::uint32_t back_color = 0x8000000F;
    host::FontRef font = std::make_shared<vb::StdFont>("Tahoma", 8.25);
    std::vector<ComPtr<Control>> controls;  // bottom to top
    Control* default_button = nullptr;
    Control* cancel_button = nullptr;
    Control* shown_default = nullptr;
    ComPtr<IOleInPlaceFrame> frame;
    HMODULE library = nullptr;
    int exit_code = 0;

    // Keys the routing took: their release and character are its own too.
    std::set<WPARAM> swallowed;
    // What the trace says next, and what it has said.
    bool handled = false, ready = false;
    POINT last_move{-100000, -100000};
    std::vector<std::string> replies;
    std::vector<std::pair<std::chrono::steady_clock::time_point, long long>> waits;
    std::map<HWND, ::RECT> tips;
    HHOOK tip_hook = nullptr;
    // Lines of standard input, read on a thread of its own.
    std::mutex command_mutex;
    std::deque<std::string> commands;

    explicit Impl(ContainerOptions o) : options(std::move(o)) { ::OleInitialize(nullptr); }
    ~Impl();
    std::string LibraryFile() const {
        if (!options.library.empty()) return options.library;
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder(path);
        folder.resize(folder.find_last_of("\\/") + 1);
        return folder + "sheenwork.dll";
    }

    void Say(const std::string& line) {
        if (!options.trace) return;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        *options.trace << "@" << ms << " " << line << "\n";
    }
    void Event(const std::string& line) {
        if (options.trace) *options.trace << line << "\n";
    }

    void CreateFormWindow(const std::string& caption);
    Control& AddControl(const std::string& class_name, const std::string& name, gdi::Rect rect,
                        int tab_index, const std::vector<runtime::FormFileProperty>* bag);
    Control* Find(const std::string& name);
    Control* FindWindow(HWND window);
    Control* Focused() { return FindWindow(::GetFocus()); }
    std::vector<Control*> TabOrder();
    bool ActsLikeButton(const Control* c) const;
    bool Usable(const Control* c) const;
    void UpdateDisplayAsDefault();
    bool Route(const MSG& msg);
    void Mnemonic(Control& c, const MSG& msg);
    void TraceInput(const MSG& msg);
    void Command(const std::string& line);
    void TrackTips(HWND window, bool shown);
    LRESULT FormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int Run();
};

// ---- the sites of one control ----

struct Container::Impl::Control final
    : Unknown<IOleClientSite, IOleInPlaceSite, IOleControlSite, IDispatch> {
    Control(Impl& impl, std::string class_name, std::string name, gdi::Rect rect, int tab)
        : impl(impl),
          class_name(std::move(class_name)),
          name(std::move(name)),
          rect(rect),
          tab_index(tab) {}

    Impl& impl;
    std::string class_name, name;
    gdi::Rect rect;
    int tab_index = 0;
    bool tab_stop = true;
    ComPtr<IOleObject> object;
    ComPtr<IOleControl> ole_control;
    ComPtr<IOleInPlaceObject> in_place;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    DWORD misc_status = 0;
    HWND window = nullptr;
    std::vector<ACCEL> accelerators;

    void ReadControlInfo() {
        accelerators.clear();
        CONTROLINFO info{};
        info.cb = sizeof info;
        if (!ole_control || FAILED(ole_control->GetControlInfo(&info)) || !info.hAccel) return;
        accelerators.resize(info.cAccel);
        ::CopyAcceleratorTableA(info.hAccel, accelerators.data(), info.cAccel);
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return NotImplemented(); }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return NotImplemented(); }
    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* w) override {
        if (!w) return E_POINTER;
        *w = impl.form;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return NotImplemented(); }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (frame) *frame = ComPtr<IOleInPlaceFrame>(impl.frame).detach();
        if (doc) *doc = nullptr;
        if (position) *position = ::RECT{rect.left, rect.top, rect.right, rect.bottom};
        if (clip) ::GetClientRect(impl.form, clip);
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = impl.form;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return NotImplemented(); }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT r) override {
        if (!r) return E_POINTER;
        rect = {r->left, r->top, r->right, r->bottom};
        if (in_place) in_place->SetObjectRects(r, r);
        return S_OK;
    }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override {
        ReadControlInfo();
        return S_OK;
    }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** extender) override;
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return NotImplemented(); }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL got) override {
        // Losing the focus is followed at once by another control taking it; the form
        // decides which button shows as default once that has happened.
        if (got)
            impl.UpdateDisplayAsDefault();
        else
            ::PostMessageA(impl.form, kUpdateDefault, 0, 0);
        return S_OK;
    }
    STDMETHODIMP ShowPropertyFrame() override { return NotImplemented(); }
    // IDispatch: the ambient properties.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return NotImplemented();
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return NotImplemented();
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        VARIANT none;
        VARIANT* out = result ? result : &none;
        VariantInit(out);
        switch (id) {
            case DISPID_AMBIENT_USERMODE:
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_TRUE;
                break;
            case DISPID_AMBIENT_DISPLAYASDEFAULT:
                out->vt = VT_BOOL;
                out->boolVal = impl.shown_default == this ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            case DISPID_AMBIENT_BACKCOLOR:
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(impl.back_color);
                break;
            case DISPID_AMBIENT_FORECOLOR:
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(0x80000012u);
                break;
            case DISPID_AMBIENT_DISPLAYNAME:
                out->vt = VT_BSTR;
                out->bstrVal = win32::ToBstr(name);
                break;
            case DISPID_AMBIENT_FONT:
                out->vt = VT_DISPATCH;
                out->pdispVal = win32::NewPlatformFont(*impl.font).detach();
                break;
            case DISPID_AMBIENT_SUPPORTSMNEMONICS:
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_TRUE;
                break;
            case DISPID_AMBIENT_SHOWGRABHANDLES:
            case DISPID_AMBIENT_SHOWHATCHING:
            case DISPID_AMBIENT_MESSAGEREFLECT:
            case DISPID_AMBIENT_UIDEAD:
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_FALSE;
                break;
            case DISPID_AMBIENT_LOCALEID:
                out->vt = VT_I4;
                out->lVal = static_cast<LONG>(::GetUserDefaultLCID());
                break;
            default: return DISP_E_MEMBERNOTFOUND;
        }
        if (out == &none) VariantClear(&none);
        return S_OK;
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            return static_cast<IOleClientSite*>(this);
        if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            return static_cast<IOleInPlaceSite*>(this);
        if (iid == IID_IOleControlSite) return static_cast<IOleControlSite*>(this);
        if (iid == IID_IDispatch) return static_cast<IDispatch*>(this);
        return nullptr;
    }
};

namespace {

using Control = Container::Impl::Control;

// The extender: what the container adds to a control as a program sees it.
class Extender final : public Unknown<IDispatch> {
public:
    explicit Extender(Control& control) : control_(control) { control_.AddRef(); }
    ~Extender() override { control_.Release(); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        static const wchar_t* const known[] = {L"Name",    L"Default", L"Cancel", L"Left",
                                               L"Top",     L"Width",   L"Height", L"TabIndex",
                                               L"TabStop", L"Visible"};
        if (count == 0) return S_OK;
        ids[0] = DISPID_UNKNOWN;
        for (int i = 0; i < 10; ++i)
            if (_wcsicmp(names[0], known[i]) == 0) ids[0] = i + 1;
        for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        const auto flag = [&](bool on) {
            result->vt = VT_BOOL;
            result->boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
        };
        const auto number = [&](long n) {
            result->vt = VT_I4;
            result->lVal = n;
        };
        const gdi::Rect r = control_.rect;
        switch (id) {
            case 1:
                result->vt = VT_BSTR;
                result->bstrVal = win32::ToBstr(control_.name);
                return S_OK;
            case 2: flag(control_.impl.default_button == &control_); return S_OK;
            case 3: flag(control_.impl.cancel_button == &control_); return S_OK;
            case 4: number(r.left); return S_OK;
            case 5: number(r.top); return S_OK;
            case 6: number(r.Width()); return S_OK;
            case 7: number(r.Height()); return S_OK;
            case 8: number(control_.tab_index); return S_OK;
            case 9: flag(control_.tab_stop); return S_OK;
            case 10: flag(!control_.window || ::IsWindowVisible(control_.window)); return S_OK;
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }

protected:
    void* Find(REFIID iid) override {
        return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this)
                                                           : nullptr;
    }

private:
    Control& control_;
};

// A control's events written as "<name> <event> <arguments>", the stories' notation.
class EventSink final : public Unknown<IDispatch> {
public:
    EventSink(Container::Impl& impl, std::string name) : impl_(impl), name_(std::move(name)) {}

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        static const char* const names[] = {"",
                                            "Click",
                                            "MouseUp",
                                            "MouseMove",
                                            "MouseDown",
                                            "MouseLeave",
                                            "MouseEnter",
                                            "KeyDown",
                                            "KeyPress",
                                            "KeyUp",
                                            "OLECompleteDrag",
                                            "OLEDragDrop",
                                            "OLEDragOver",
                                            "OLEGiveFeedback",
                                            "OLESetData",
                                            "OLEStartDrag",
                                            "DropDown"};
        if (id < 1 || id > 16) return DISP_E_MEMBERNOTFOUND;
        std::ostringstream line;
        line << name_ << " " << names[id];
        // The mouse and key events show their arguments, first to last.
        if ((id >= 2 && id <= 4) || (id >= 7 && id <= 9)) {
            const UINT n = params ? params->cArgs : 0;
            for (UINT i = n; i > 0; --i) {
                try {
                    const vb::Variant v = win32::FromVariant(params->rgvarg[i - 1]);
                    if (const auto* f = std::get_if<vb::Single>(&v))
                        line << " " << *f;
                    else
                        line << " " << vb::CStr(v);
                } catch (...) {
                    line << " ?";
                }
            }
        }
        impl_.Event(line.str());
        return S_OK;
    }

protected:
    void* Find(REFIID iid) override {
        return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this)
                                                           : nullptr;
    }

private:
    Container::Impl& impl_;
    std::string name_;
};

// The form as the controls' frame: their keys during a control's own message loop come
// here first (IOleInPlaceFrame::TranslateAccelerator), as they would in the form's loop.
class Frame final : public Unknown<IOleInPlaceFrame> {
public:
    explicit Frame(Container::Impl& impl) : impl_(impl) {}
    STDMETHODIMP GetWindow(HWND* w) override {
        if (!w) return E_POINTER;
        *w = impl_.form;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD) override {
        if (!msg) return S_FALSE;
        impl_.TraceInput(*msg);
        return impl_.Route(*msg) ? S_OK : S_FALSE;
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
            iid == IID_IOleInPlaceFrame)
            return static_cast<IOleInPlaceFrame*>(this);
        return nullptr;
    }

private:
    Container::Impl& impl_;
};

Container::Impl* g_impl = nullptr;  // for the window procedure and the event hook

LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_impl) return g_impl->FormMessage(window, message, wParam, lParam);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Tooltip windows of this thread shown and hidden, for the trace: seen as their window
// procedure returns from a position change that shows or hides them. The tooltip control
// shows itself with SetWindowPos, for which Wine raises no EVENT_OBJECT_SHOW.
LRESULT CALLBACK TipWatch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_impl && m && m->message == WM_WINDOWPOSCHANGED && m->lParam) {
        const UINT flags = reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags;
        char cls[32] = {};
        if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) &&
            ::GetClassNameA(m->hwnd, cls, sizeof cls) > 0 && _stricmp(cls, TOOLTIPS_CLASSA) == 0)
            g_impl->TrackTips(m->hwnd, (flags & SWP_SHOWWINDOW) != 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

STDMETHODIMP Container::Impl::Control::GetExtendedControl(IDispatch** extender) {
    if (!extender) return E_POINTER;
    *extender = win32::Make<Extender, IDispatch>(*this).detach();
    return S_OK;
}

Container::Impl::~Impl() {
    for (auto& c : controls) {
        if (c->point && c->cookie) c->point->Unadvise(c->cookie);
        if (c->in_place) c->in_place->InPlaceDeactivate();
        if (c->object) {
            c->object->Close(OLECLOSE_NOSAVE);
            c->object->SetClientSite(nullptr);
        }
        c->object = nullptr;
        c->ole_control = nullptr;
        c->in_place = nullptr;
        c->point = nullptr;
    }
    controls.clear();
    if (tip_hook) ::UnhookWindowsHookEx(tip_hook);
    if (form) ::DestroyWindow(form);
    frame = nullptr;
    g_impl = nullptr;
    ::OleUninitialize();
}

void Container::Impl::CreateFormWindow(const std::string& caption) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProcedure;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kFormClass;
    ::RegisterClassExA(&wc);
    // The client area where the form says, the frame around it.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    ::RECT r{form_rect.left, form_rect.top, form_rect.right, form_rect.bottom};
    ::AdjustWindowRectEx(&r, style, FALSE, 0);
    form = ::CreateWindowExA(0, kFormClass, caption.c_str(), style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (!form) throw std::runtime_error("the form window cannot be created");
    frame = win32::Make<Frame, IOleInPlaceFrame>(*this);
}

Control& Container::Impl::AddControl(const std::string& class_name, const std::string& name,
                                     gdi::Rect rect, int tab_index,
                                     const std::vector<runtime::FormFileProperty>* bag) {
    auto site = win32::Make<Control, Control>(*this, class_name, name, rect, tab_index);
    const auto fail = [&](const std::string& why) {
        throw std::runtime_error(name + " (" + class_name + "): " + why);
    };
    // The class by its ProgID: registered, else served by the library beside the program.
    CLSID clsid{};
    const std::wstring prog_id = win32::Wide(class_name);
    bool registered = SUCCEEDED(::CLSIDFromProgID(prog_id.c_str(), &clsid));
    if (registered &&
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(site->object.put()))))
        registered = false;
    if (!registered) {
        const runtime::ClassDescription* cls = nullptr;
        const std::string prefix = std::string(SheenworkLibrary().name) + ".";
        if (_strnicmp(class_name.c_str(), prefix.c_str(), prefix.size()) == 0)
            cls = SheenworkLibrary().FindClass(std::string_view(class_name).substr(prefix.size()));
        if (!cls) fail("no such class is registered");
        if (!library) library = ::LoadLibraryA(LibraryFile().c_str());
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
        const auto get = library ? reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(
                                       ::GetProcAddress(library, "DllGetClassObject")))
                                 : nullptr;
        if (!get) fail("not registered, and no library at hand serves it");
        GUID id;
        id.Data1 = cls->clsid.data1;
        id.Data2 = cls->clsid.data2;
        id.Data3 = cls->clsid.data3;
        std::copy(std::begin(cls->clsid.data4), std::end(cls->clsid.data4), id.Data4);
        ComPtr<IClassFactory> factory;
        if (FAILED(get(id, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
            FAILED(factory->CreateInstance(nullptr, IID_IOleObject,
                                           reinterpret_cast<void**>(site->object.put()))))
            fail("the library cannot create it");
    }
    Control& c = *site.get();
    c.object->GetMiscStatus(DVASPECT_CONTENT, &c.misc_status);
    // A control that asks for its site first gets it before its properties.
    c.object->SetClientSite(site.get());
    SIZEL extent{MulDiv(rect.Width(), 2540, 96), MulDiv(rect.Height(), 2540, 96)};
    c.object->SetExtent(DVASPECT_CONTENT, &extent);
    if (bag) {
        ComPtr<IPersistPropertyBag> persist =
            c.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
        if (!persist) fail("it keeps no property bag");
        // The form file's entries as a property bag.
        class Bag final : public Unknown<IPropertyBag> {
        public:
            explicit Bag(const std::vector<runtime::FormFileProperty>& p) : p_(p) {}
            STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
                const std::string key = win32::Utf8(name);
                for (const auto& e : p_)
                    if (e.key == key) {
                        win32::ToVariant(e.value, value);
                        return S_OK;
                    }
                return E_INVALIDARG;
            }
            STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return S_OK; }

        protected:
            void* Find(REFIID iid) override {
                return iid == IID_IUnknown || iid == IID_IPropertyBag
                           ? static_cast<IPropertyBag*>(this)
                           : nullptr;
            }

        private:
            const std::vector<runtime::FormFileProperty>& p_;
        };
        auto b = win32::Make<Bag, IPropertyBag>(*bag);
        if (FAILED(persist->Load(b.get(), nullptr))) fail("its properties cannot be loaded");
    } else {
        ComPtr<IPersistStreamInit> persist =
            c.object.As<IPersistStreamInit>(IID_IPersistStreamInit);
        ComPtr<IPersistPropertyBag> bagged =
            c.object.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
        if (persist)
            persist->InitNew();
        else if (bagged)
            bagged->InitNew();
    }
    // The events, through the control's own event interface.
    ComPtr<IProvideClassInfo2> info = c.object.As<IProvideClassInfo2>(IID_IProvideClassInfo2);
    ComPtr<IConnectionPointContainer> points =
        c.object.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    GUID events{};
    if (info && points && SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) &&
        SUCCEEDED(points->FindConnectionPoint(events, c.point.put()))) {
        auto sink = win32::Make<EventSink, IDispatch>(*this, name);
        c.point->Advise(sink.get(), &c.cookie);
    }
    c.ole_control = c.object.As<IOleControl>(IID_IOleControl);
    const ::RECT position{rect.left, rect.top, rect.right, rect.bottom};
    if (FAILED(c.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, form, &position)))
        fail("it cannot be activated in place");
    c.in_place = c.object.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    if (c.in_place) c.in_place->GetWindow(&c.window);
    c.ReadControlInfo();
    controls.push_back(site);
    return c;
}

Control* Container::Impl::Find(const std::string& name) {
    for (auto& c : controls)
        if (_stricmp(c->name.c_str(), name.c_str()) == 0) return c.get();
    return nullptr;
}

Control* Container::Impl::FindWindow(HWND window) {
    if (!window) return nullptr;
    for (auto& c : controls)
        if (c->window == window) return c.get();
    return nullptr;
}

bool Container::Impl::ActsLikeButton(const Control* c) const {
    return c && (c->misc_status & OLEMISC_ACTSLIKEBUTTON);
}

bool Container::Impl::Usable(const Control* c) const {
    return c && c->window && ::IsWindowVisible(c->window) && ::IsWindowEnabled(c->window) &&
           c->ole_control;
}

std::vector<Control*> Container::Impl::TabOrder() {
    std::vector<Control*> out;
    for (auto& c : controls)
        if (c->tab_stop && Usable(c.get())) out.push_back(c.get());
    std::stable_sort(out.begin(), out.end(), [](const Control* a, const Control* b) {
        return a->tab_index < b->tab_index;
    });
    return out;
}

// A button-like control shows as the default while it has the focus; otherwise the
// default button does. Both the one that stops and the one that starts hear of it.
void Container::Impl::UpdateDisplayAsDefault() {
    Control* focused = Focused();
    Control* shown = ActsLikeButton(focused) ? focused : default_button;
    Control* before = shown_default;
    if (before == shown) return;
    shown_default = shown;
    for (Control* c : {before, shown})
        if (c && c->ole_control)
            c->ole_control->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYASDEFAULT);
}

void Container::Impl::Mnemonic(Control& c, const MSG& msg) {
    const ComPtr<Control> keep(&c);
    MSG copy = msg;
    c.ole_control->OnMnemonic(&copy);
}

bool Container::Impl::Route(const MSG& msg) {
    const UINT m = msg.message;
    if (m == WM_KEYUP || m == WM_SYSKEYUP) return swallowed.erase(msg.wParam) > 0;
    if (m == WM_CHAR || m == WM_SYSCHAR) return false;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN) return false;
    const bool alt = Down(VK_MENU), ctrl = Down(VK_CONTROL);
    const WPARAM vk = msg.wParam;
    bool taken = false;
    if (vk == VK_TAB && !alt && !ctrl) {
        const auto order = TabOrder();
        if (!order.empty()) {
            const auto at = std::find(order.begin(), order.end(), Focused());
            const bool back = Down(VK_SHIFT);
            std::size_t i = 0;
            if (at == order.end())
                i = back ? order.size() - 1 : 0;
            else
                i = (static_cast<std::size_t>(at - order.begin()) + (back ? order.size() - 1 : 1)) %
                    order.size();
            ::SetFocus(order[i]->window);
        }
        taken = true;
    } else if ((vk == VK_RETURN || vk == VK_ESCAPE) && !alt) {
        Control* focused = Focused();
        Control* target =
            vk == VK_RETURN ? (ActsLikeButton(focused) ? focused : default_button) : cancel_button;
        if (Usable(target)) {
            Mnemonic(*target, msg);
            taken = true;
        }
    } else if (alt && !ctrl && ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))) {
        Control* target = nullptr;
        for (auto& c : controls) {
            if (target || !Usable(c.get())) continue;
            for (const ACCEL& a : c->accelerators)
                if ((a.fVirt & FALT) && a.key == vk) target = c.get();
        }
        if (target) {
            const ComPtr<Control> keep(target);
            if (target->tab_stop) ::SetFocus(target->window);
            Mnemonic(*target, msg);
            taken = true;
        }
    }
    if (taken) swallowed.insert(vk);
    return taken;
}

void Container::Impl::TraceInput(const MSG& msg) {
    if (!options.trace) return;
    const auto move = [&] {
        if (msg.pt.x == last_move.x && msg.pt.y == last_move.y) return;
        last_move = msg.pt;
        Say("input move " + std::to_string(msg.pt.x) + " " + std::to_string(msg.pt.y));
        handled = true;
    };
    switch (msg.message) {
        case WM_MOUSEMOVE: move(); break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            move();
            const bool down = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                              msg.message == WM_MBUTTONDOWN;
            const int b = (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP)   ? 1
                          : (msg.message == WM_RBUTTONDOWN || msg.message == WM_RBUTTONUP) ? 2
                                                                                           : 4;
            Say(std::string(down ? "input down " : "input up ") + std::to_string(b));
            handled = true;
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Say("input keydown " + std::to_string(SidedKey(msg)));
            handled = true;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            Say("input keyup " + std::to_string(SidedKey(msg)));
            handled = true;
            break;
        default: break;
    }
}

void Container::Impl::Command(const std::string& line) {
    std::istringstream words(line);
    std::string verb, arg;
    words >> verb >> arg;
    handled = true;
    if (verb == "wait") {
        try {
            const long long ms = std::stoll(arg);
            waits.emplace_back(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms),
                               ms);
        } catch (...) {
            replies.push_back("error " + line);
        }
    } else if (verb == "close") {
        ::PostMessageA(form, WM_CLOSE, 0, 0);
    } else if (verb == "focus") {
        Control* c = Find(arg);
        if (c && c->window) ::SetFocus(c->window);
        replies.push_back(c && c->window ? "focused " + arg : "error " + line);
    } else if (!verb.empty()) {
        replies.push_back("error " + line);
    }
}

void Container::Impl::TrackTips(HWND window, bool shown) {
    if (!shown) {
        if (tips.erase(window))
            Say("popup hide " + std::to_string(reinterpret_cast<INT_PTR>(window)));
        return;
    }
    ::RECT r;
    ::GetWindowRect(window, &r);
    tips[window] = r;
    Say("popup show " + std::to_string(reinterpret_cast<INT_PTR>(window)) + " " +
        std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
        std::to_string(r.bottom));
}

LRESULT Container::Impl::FormMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            ::RECT r;
            ::GetClientRect(window, &r);
            // The form's colour as the controls resolve colours: the library's table.
            const std::uint32_t c = back_color & 0x80000000u
                                        ? vb::SysColor(static_cast<int>(back_color & 0xFF))
                                        : back_color;
            HBRUSH brush = ::CreateSolidBrush(c & 0xFFFFFF);
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
            ::DeleteObject(brush);
            return 1;
        }
        case WM_SETFOCUS: UpdateDisplayAsDefault(); return 0;
        case kUpdateDefault: UpdateDisplayAsDefault(); return 0;
        case kCommandsWaiting: {
            std::deque<std::string> lines;
            {
                std::lock_guard lock(command_mutex);
                lines.swap(commands);
            }
            for (const auto& l : lines) Command(l);
            return 0;
        }
        case WM_CLOSE: ::DestroyWindow(window); return 0;
        case WM_DESTROY:
            form = nullptr;
            ::PostQuitMessage(exit_code);
            return 0;
        default: return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

int Container::Impl::Run() {
    if (!form) throw std::runtime_error("no form to show");
    if (options.trace)
        tip_hook =
            ::SetWindowsHookExA(WH_CALLWNDPROCRET, TipWatch, nullptr, ::GetCurrentThreadId());
    ::ShowWindow(form, SW_SHOW);
    ::UpdateWindow(form);
    ::RECT client;
    ::GetClientRect(form, &client);
    POINT origin{0, 0};
    ::ClientToScreen(form, &origin);
    Say("form show " + form_name + " " + std::to_string(origin.x) + " " + std::to_string(origin.y) +
        " " + std::to_string(origin.x + client.right) + " " +
        std::to_string(origin.y + client.bottom));
    // Commands come from standard input on a thread of their own, one message each batch.
    std::thread reader;
    if (options.commands) {
        HWND target = form;
        reader = std::thread([this, target] {
            for (std::string line; std::getline(std::cin, line);) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                {
                    std::lock_guard lock(command_mutex);
                    commands.push_back(line);
                }
                if (!::PostMessageA(target, kCommandsWaiting, 0, 0)) break;
            }
        });
        reader.detach();
    }
    MSG msg;
    for (;;) {
        bool quit = false;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            TraceInput(msg);
            if (Route(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (quit) break;
        // Idle: the waits that are over, then what the trace says of it.
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(waits, [&](const auto& w) {
            if (w.first > now) return false;
            replies.push_back("waited " + std::to_string(w.second));
            return true;
        });
        ::GdiFlush();
        if (!ready) {
            ready = true;
            Say("ready");
        }
        for (const auto& r : replies) Say(r);
        if (handled || !replies.empty()) Say("settled");
        replies.clear();
        handled = false;
        if (options.trace) options.trace->flush();
        DWORD timeout = INFINITE;
        for (const auto& w : waits)
            timeout = std::min<DWORD>(timeout,
                                      static_cast<DWORD>(std::max<long long>(
                                          0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 w.first - std::chrono::steady_clock::now())
                                                 .count())));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (options.trace) options.trace->flush();
    return static_cast<int>(msg.wParam);
}

// ---- Container ----

Container::Container(ContainerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
    if (g_impl) throw std::logic_error("one container a process");
    g_impl = impl_.get();
}

Container::~Container() = default;

void Container::Open(const runtime::FormFile& form) {
    impl_->form_name = form.name;
    impl_->form_rect = runtime::RectOf(form.position, form.size);
    impl_->back_color = form.back_color;
    if (form.font) impl_->font = form.font->Clone();
    impl_->CreateFormWindow(form.caption.empty() ? form.name : form.caption);
    for (const auto& c : form.controls)
        impl_->AddControl(c.class_name, c.name, runtime::RectOf(c.position, c.size), c.tab_index,
                          &c.properties);
    if (!form.default_button.empty()) DefaultButton(form.default_button);
    if (!form.cancel_button.empty()) CancelButton(form.cancel_button);
}

void Container::FormFont(const vb::StdFont& font) { impl_->font = font.Clone(); }

void Container::NewForm(const std::string& name, runtime::Position at, runtime::Size size) {
    runtime::CheckPlacement("form " + name, at, size);
    impl_->form_name = name;
    impl_->form_rect = runtime::RectOf(at, size);
    impl_->CreateFormWindow(name);
}

void Container::Add(const std::string& class_name, const std::string& name, runtime::Position at,
                    runtime::Size size) {
    runtime::CheckPlacement(name, at, size);
    impl_->AddControl(class_name, name, runtime::RectOf(at, size),
                      static_cast<int>(impl_->controls.size()), nullptr);
}

void Container::Set(const std::string& control, const std::string& property,
                    const std::string& value) {
    Impl::Control* c = impl_->Find(control);
    if (!c) throw std::runtime_error("no control " + control);
    ComPtr<IDispatch> d = c->object.As<IDispatch>(IID_IDispatch);
    std::wstring name = win32::Wide(property);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    if (!d || FAILED(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        throw std::runtime_error(control + " has no property " + property);
    VARIANT v;
    win32::ToVariant(value, &v);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&v, &put, 1, 1};
    const HRESULT hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                 nullptr, nullptr, nullptr);
    VariantClear(&v);
    if (FAILED(hr)) throw std::runtime_error(control + "." + property + " = " + value + " failed");
}

void Container::DefaultButton(const std::string& control) {
    Impl::Control* c = impl_->Find(control);
    if (!c || !impl_->ActsLikeButton(c))
        throw std::runtime_error(control + " is no control that acts like a button");
    impl_->default_button = c;
    impl_->UpdateDisplayAsDefault();
}

void Container::CancelButton(const std::string& control) {
    Impl::Control* c = impl_->Find(control);
    if (!c || !impl_->ActsLikeButton(c))
        throw std::runtime_error(control + " is no control that acts like a button");
    impl_->cancel_button = c;
}

int Container::Run() { return impl_->Run(); }

}  // namespace sheenwork::host
