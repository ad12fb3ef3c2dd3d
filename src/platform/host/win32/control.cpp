// sheenButton as a windowed ActiveX control: the OLE interfaces, the window and the
// events. The button itself does the work; this file carries the container's calls and
// the window's messages to it, and its events to the connected sinks.
#include <sheenwork/host/property_bag.h>
#include <sheenwork/vb/error.h>

#include <cctype>
#include <cstring>

#include "platform/host/stream_bag.h"
#include "platform/host/win32/control.h"

namespace sheenwork::win32 {
namespace {

constexpr char kWindowClass[] = "SheenworkButton";

// The control's own event interface, by which its sinks are connected.
GUID EventsIid(const runtime::ClassDescription& cls) { return ToGuid(cls.event_interface.iid); }

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<ButtonControl*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!control) return ::DefWindowProcA(window, message, wParam, lParam);
    return control->Message(window, message, wParam, lParam);
}

void RegisterWindowClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: a second press is a press, as the button counts them.
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = Module();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassExA(&wc);  // a second registration fails harmlessly
}

// A by-reference argument of an event.
VARIANT Ref(vb::Integer& v) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BYREF | VT_I2;
    r.piVal = &v;
    return r;
}
VARIANT Ref(vb::Single& v) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BYREF | VT_R4;
    r.pfltVal = &v;
    return r;
}
VARIANT Ref(LONG& v) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BYREF | VT_I4;
    r.plVal = &v;
    return r;
}
VARIANT Ref(IDispatch*& v) {
    VARIANT r;
    VariantInit(&r);
    r.vt = VT_BYREF | VT_DISPATCH;
    r.ppdispVal = &v;
    return r;
}

// The host's mask of the modifiers held: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask() {
    return (::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (::GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// The mouse buttons a message's wParam says are held: 1 left, 2 right, 4 middle.
int HeldButtons(WPARAM w) {
    return ((w & MK_LBUTTON) ? 1 : 0) | ((w & MK_RBUTTON) ? 2 : 0) | ((w & MK_MBUTTON) ? 4 : 0);
}

const char* AmbientName(DISPID id) {
    switch (id) {
        case DISPID_AMBIENT_BACKCOLOR: return "BackColor";
        case DISPID_AMBIENT_DISPLAYNAME: return "DisplayName";
        case DISPID_AMBIENT_FONT: return "Font";
        case DISPID_AMBIENT_FORECOLOR: return "ForeColor";
        case DISPID_AMBIENT_LOCALEID: return "LocaleID";
        case DISPID_AMBIENT_MESSAGEREFLECT: return "MessageReflect";
        case DISPID_AMBIENT_USERMODE: return "UserMode";
        case DISPID_AMBIENT_UIDEAD: return "UIDead";
        case DISPID_AMBIENT_SHOWGRABHANDLES: return "ShowGrabHandles";
        case DISPID_AMBIENT_SHOWHATCHING: return "ShowHatching";
        case DISPID_AMBIENT_DISPLAYASDEFAULT: return "DisplayAsDefault";
        case DISPID_AMBIENT_SUPPORTSMNEMONICS: return "SupportsMnemonics";
        case DISPID_AMBIENT_PALETTE: return "Palette";
        case DISPID_AMBIENT_TEXTALIGN: return "TextAlign";
        case DISPID_AMBIENT_SCALEUNITS: return "ScaleUnits";
        default: return "";
    }
}

// The property bag a container hands in, as the button reads and writes bags.
class ContainerBag final : public host::PropertyBag {
public:
    ContainerBag(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}
    vb::Variant ReadProperty(const std::string& key, const vb::Variant& default_value) override {
        const std::wstring name = Wide(key);
        VARIANT v;
        VariantInit(&v);
        // A key the bag does not hold takes its default.
        if (FAILED(bag_->Read(name.c_str(), &v, log_))) return default_value;
        vb::Variant out;
        try {
            out = FromVariant(v);
        } catch (...) {
            VariantClear(&v);
            throw;
        }
        VariantClear(&v);
        return out;
    }
    void WriteProperty(const std::string& key, const vb::Variant& value,
                       const vb::Variant& default_value) override {
        if (host::EqualsDefault(value, default_value)) return;
        const std::wstring name = Wide(key);
        VARIANT v;
        ToVariant(value, &v);
        const HRESULT hr = bag_->Write(name.c_str(), &v);
        VariantClear(&v);
        if (FAILED(hr)) vb::Raise(hr, {}, "the property bag refused " + key);
    }

private:
    IPropertyBag* bag_;
    IErrorLog* log_;
};

// The saved properties in a stream: their size (u32), then the bytes.
constexpr ULONG kMostSaved = 1u << 30;

HRESULT WriteBag(IStream* stream, const host::MemoryPropertyBag& bag) {
    std::string bytes;
    try {
        bytes = host::EncodeBag(bag);
    } catch (...) {
        return E_FAIL;
    }
    const auto size = static_cast<std::uint32_t>(bytes.size());
    ULONG written = 0;
    if (FAILED(stream->Write(&size, sizeof size, &written)) || written != sizeof size ||
        FAILED(stream->Write(bytes.data(), size, &written)) || written != size)
        return STG_E_WRITEFAULT;
    return S_OK;
}

HRESULT ReadBag(IStream* stream, host::MemoryPropertyBag& bag) {
    std::uint32_t size = 0;
    ULONG read = 0;
    if (FAILED(stream->Read(&size, sizeof size, &read)) || read != sizeof size)
        return STG_E_READFAULT;
    if (size > kMostSaved) return E_INVALIDARG;
    std::string bytes(size, '\0');
    if (FAILED(stream->Read(bytes.data(), size, &read)) || read != size) return STG_E_READFAULT;
    try {
        host::DecodeBag(bytes, bag);
    } catch (...) {
        return E_INVALIDARG;
    }
    return S_OK;
}

std::uint64_t BagSize(const host::MemoryPropertyBag& bag) {
    try {
        return sizeof(std::uint32_t) + host::EncodeBag(bag).size();
    } catch (...) {
        return sizeof(std::uint32_t);
    }
}

}  // namespace

// A connection point: the container side of one outgoing interface. It keeps the
// control alive while a container holds it; the sinks live in the control.
class ButtonControl::Point final : public Unknown<IConnectionPoint> {
public:
    Point(ButtonControl& control, const GUID& iid) : control_(control), iid_(iid) {
        control_.Identity()->AddRef();
    }
    ~Point() override { control_.Identity()->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = iid_;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) return E_POINTER;
        *container = static_cast<IConnectionPointContainer*>(&control_);
        (*container)->AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        *cookie = 0;
        if (iid_ == IID_IPropertyNotifySink) {
            ComPtr<IPropertyNotifySink> s;
            if (FAILED(sink->QueryInterface(IID_IPropertyNotifySink,
                                            reinterpret_cast<void**>(s.put()))))
                return CONNECT_E_CANNOTCONNECT;
            *cookie = control_.next_cookie_++;
            control_.notify_sinks_[*cookie] = s;
            return S_OK;
        }
        // An event sink answers to the event interface, or at least to IDispatch.
        ComPtr<IDispatch> d;
        if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(d.put()))) &&
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.put()))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = control_.next_cookie_++;
        control_.event_sinks_[*cookie] = d;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        const bool gone = iid_ == IID_IPropertyNotifySink ? control_.notify_sinks_.erase(cookie)
                                                          : control_.event_sinks_.erase(cookie);
        return gone ? S_OK : CONNECT_E_NOCONNECTION;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override {
        if (connections) *connections = nullptr;
        return E_NOTIMPL;
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IConnectionPoint)
            return static_cast<IConnectionPoint*>(this);
        return nullptr;
    }

private:
    ButtonControl& control_;
    GUID iid_;
};

ButtonControl::ButtonControl(const runtime::ClassDescription& cls)
    : cls_(cls), site_(std::make_unique<ComSite>(*this)) {
    object_ = cls_.create(cls_, site_.get());
    button_ = object_->Native<sheenButton>();
    button_->EventSink(this);
}

ButtonControl::~ButtonControl() {
    if (window_) {
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
    if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
    button_->EventSink(nullptr);
    // The button goes before its site.
    button_.reset();
    object_.reset();
}

void* ButtonControl::Find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject)
        return static_cast<IOleInPlaceObject*>(this);
    if (iid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
    if (iid == IID_IOleControl) return static_cast<IOleControl*>(this);
    if (iid == IID_IViewObject || iid == IID_IViewObject2) return static_cast<IViewObject2*>(this);
    if (iid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_IPersist || iid == IID_IPersistStreamInit)
        return static_cast<IPersistStreamInit*>(this);
    if (iid == IID_IDispatch || iid == ToGuid(cls_.default_interface.iid))
        return static_cast<IDispatch*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2)
        return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
}

// ---- what the site asks of the container ----

ComPtr<IDispatch> ButtonControl::Ambients() const {
    ComPtr<IDispatch> d;
    if (client_site_)
        client_site_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.put()));
    return d;
}

ComPtr<IDispatch> ButtonControl::Extender() const {
    ComPtr<IOleControlSite> site;
    ComPtr<IDispatch> extender;
    if (client_site_ && SUCCEEDED(client_site_->QueryInterface(
                            IID_IOleControlSite, reinterpret_cast<void**>(site.put()))))
        site->GetExtendedControl(extender.put());
    return extender;
}

HWND ButtonControl::ContainerWindow() const {
    HWND window = nullptr;
    if (in_place_site_) in_place_site_->GetWindow(&window);
    if (!window && client_site_) {
        ComPtr<IOleWindow> w;
        if (SUCCEEDED(
                client_site_->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(w.put()))))
            w->GetWindow(&window);
    }
    return window;
}

void ButtonControl::PropertyChanged(const std::string& name) {
    dirty_ = true;
    const MemberInfo* m = FindMember(cls_.members, name);
    const DISPID id = m ? m->dispid : DISPID_UNKNOWN;
    const auto sinks = notify_sinks_;  // a sink may disconnect itself
    for (const auto& [cookie, sink] : sinks) sink->OnChanged(id);
}

void ButtonControl::AccessKeysChanged() {
    ComPtr<IOleControlSite> site;
    if (client_site_ && SUCCEEDED(client_site_->QueryInterface(
                            IID_IOleControlSite, reinterpret_cast<void**>(site.put()))))
        site->OnControlInfoChanged();
}

void ButtonControl::TranslateForContainer(MSG& msg, bool& taken) {
    taken = false;
    if (frame_ && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
        taken = frame_->TranslateAccelerator(&msg, 0) == S_OK;
}

void ButtonControl::Repaint() {
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
    if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
}

// ---- the window ----

LRESULT ButtonControl::Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A handler of the button's events may release the control: it lives to the end.
    const ComPtr<IUnknown> keep(Identity());
    const auto x = static_cast<vb::Single>(static_cast<short>(LOWORD(lParam)));
    const auto y = static_cast<vb::Single>(static_cast<short>(HIWORD(lParam)));
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(window, &ps);
            host::Surface& s = site_->Surface();
            ::BitBlt(dc, 0, 0, static_cast<int>(s.ScaleWidth()), static_cast<int>(s.ScaleHeight()),
                     reinterpret_cast<HDC>(s.hDC()), 0, 0, SRCCOPY);
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // the surface covers every pixel
        case WM_SIZE:
            site_->Resize(LOWORD(lParam), HIWORD(lParam));
            button_->UserControl_Resize();
            Repaint();
            return 0;
        case WM_MOUSEMOVE: {
            vb::Integer b = static_cast<vb::Integer>(HeldButtons(wParam));
            vb::Integer shift = static_cast<vb::Integer>(ShiftMask());
            vb::Single mx = x, my = y;
            button_->UserControl_MouseMove(b, shift, mx, my);
            Repaint();
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const int which = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
            // The window holds the pointer until every button is up.
            if (buttons_ == 0) ::SetCapture(window);
            buttons_ |= which;
            if (which == 1) left_pressed_ = true;
            vb::Integer b = static_cast<vb::Integer>(which),
                        shift = static_cast<vb::Integer>(ShiftMask());
            vb::Single mx = x, my = y;
            button_->UserControl_MouseDown(b, shift, mx, my);
            Repaint();
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const int which = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
            buttons_ &= ~which;
            if (buttons_ == 0 && ::GetCapture() == window) ::ReleaseCapture();
            vb::Integer b = static_cast<vb::Integer>(which),
                        shift = static_cast<vb::Integer>(ShiftMask());
            vb::Single mx = x, my = y;
            button_->UserControl_MouseUp(b, shift, mx, my);
            // A left press and release on the window, released over it, is a click.
            if (which == 1 && std::exchange(left_pressed_, false) && window_) {
                ::RECT r;
                ::GetClientRect(window, &r);
                const POINT at{static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
                if (::PtInRect(&r, at) && ::IsWindowEnabled(window)) button_->UserControl_Click();
            }
            Repaint();
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != window) buttons_ = 0;
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const bool got = message == WM_SETFOCUS;
            if (got)
                button_->UserControl_GotFocus();
            else
                button_->UserControl_LostFocus();
            ComPtr<IOleControlSite> site;
            if (client_site_ && SUCCEEDED(client_site_->QueryInterface(
                                    IID_IOleControlSite, reinterpret_cast<void**>(site.put()))))
                site->OnFocus(got);
            Repaint();
            return 0;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            vb::Integer code = static_cast<vb::Integer>(wParam);
            vb::Integer shift = static_cast<vb::Integer>(ShiftMask());
            if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
                button_->UserControl_KeyDown(code, shift);
            else
                button_->UserControl_KeyUp(code, shift);
            Repaint();
            // The system's keys go no further: Alt opens no menu here.
            return 0;
        }
        case WM_CHAR: {
            vb::Integer ascii = static_cast<vb::Integer>(wParam & 0xFF);
            button_->UserControl_KeyPress(ascii);
            Repaint();
            return 0;
        }
        case WM_SYSCHAR: return 0;  // Alt with a key types nothing
        case WM_TIMER:
            if (wParam != ComSite::kTimerId) break;
            button_->tmrMouseIn_Timer();
            Repaint();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTCLIENT) break;
            ::SetCursor(site_->Cursor());
            return TRUE;
        case WM_DESTROY: ::KillTimer(window, ComSite::kTimerId); break;
        default: break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// ---- IOleObject ----

STDMETHODIMP ButtonControl::SetClientSite(IOleClientSite* site) {
    client_site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
}

STDMETHODIMP ButtonControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = ComPtr<IOleClientSite>(client_site_).detach();
    return S_OK;
}

STDMETHODIMP ButtonControl::Close(DWORD) {
    InPlaceDeactivate();
    if (advise_holder_) advise_holder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP ButtonControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                   LPCRECT rect) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_OPEN:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: return Activate(verb, site, parent, rect);
        case OLEIVERB_HIDE:
            if (window_) ::ShowWindow(window_, SW_HIDE);
            return S_OK;
        default: return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT ButtonControl::Activate(LONG verb, IOleClientSite* site, HWND, LPCRECT) {
    if (!window_) {
        IOleClientSite* from = site ? site : client_site_.get();
        if (!from) return E_UNEXPECTED;
        ComPtr<IOleInPlaceSite> in_place;
        if (FAILED(from->QueryInterface(IID_IOleInPlaceSite,
                                        reinterpret_cast<void**>(in_place.put()))))
            return E_NOINTERFACE;
        if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
        in_place->OnInPlaceActivate();
        HWND parent = nullptr;
        in_place->GetWindow(&parent);
        ComPtr<IOleInPlaceUIWindow> document;
        ::RECT position{}, clip{};
        frame_info_ = OLEINPLACEFRAMEINFO{};
        frame_info_.cb = sizeof frame_info_;
        in_place->GetWindowContext(frame_.put(), document.put(), &position, &clip, &frame_info_);
        in_place_site_ = in_place;
        RegisterWindowClass();
        window_ =
            ::CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_CLIPSIBLINGS, position.left,
                              position.top, position.right - position.left,
                              position.bottom - position.top, parent, nullptr, Module(), this);
        if (!window_) return E_FAIL;
        if (!site_->SurfaceEnabled()) ::EnableWindow(window_, FALSE);
        site_->Attach(window_);
    }
    ::ShowWindow(window_, SW_SHOWNA);
    if (verb == OLEIVERB_UIACTIVATE && !ui_active_) {
        ui_active_ = true;
        if (in_place_site_) in_place_site_->OnUIActivate();
        ::SetFocus(window_);
    }
    return S_OK;
}

STDMETHODIMP ButtonControl::EnumVerbs(IEnumOLEVERB** verbs) {
    return ::OleRegEnumVerbs(ToGuid(cls_.clsid), verbs);
}

STDMETHODIMP ButtonControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP ButtonControl::GetUserType(DWORD form, LPOLESTR* type) {
    return ::OleRegGetUserType(ToGuid(cls_.clsid), form, type);
}

STDMETHODIMP ButtonControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    // Without a window yet, the surface takes the size at once.
    if (!window_) site_->Resize(MulDiv(size->cx, 96, 2540), MulDiv(size->cy, 96, 2540));
    return S_OK;
}

STDMETHODIMP ButtonControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP ButtonControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!advise_holder_ && FAILED(::CreateOleAdviseHolder(advise_holder_.put())))
        return E_OUTOFMEMORY;
    return advise_holder_->Advise(sink, cookie);
}

STDMETHODIMP ButtonControl::Unadvise(DWORD cookie) {
    return advise_holder_ ? advise_holder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ButtonControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return advise_holder_ ? advise_holder_->EnumAdvise(advise) : S_OK;
}

STDMETHODIMP ButtonControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = cls_.misc_status;
    return S_OK;
}

// ---- IOleInPlaceObject ----

STDMETHODIMP ButtonControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = window_;
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP ButtonControl::InPlaceDeactivate() {
    if (!window_) return S_OK;
    UIDeactivate();
    site_->Attach(nullptr);
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
    frame_ = nullptr;
    if (in_place_site_) in_place_site_->OnInPlaceDeactivate();
    in_place_site_ = nullptr;
    return S_OK;
}

STDMETHODIMP ButtonControl::UIDeactivate() {
    if (ui_active_ && in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
    ui_active_ = false;
    return S_OK;
}

STDMETHODIMP ButtonControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    extent_ = {MulDiv(position->right - position->left, 2540, 96),
               MulDiv(position->bottom - position->top, 2540, 96)};
    if (window_)
        ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    return S_OK;
}

// ---- IOleControl ----

// The access keys as Alt + key accelerators; Enter and Escape reach a default or cancel
// button through the container, which asks OnMnemonic as it would for an access key.
STDMETHODIMP ButtonControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    std::vector<ACCEL> keys;
    for (const char c : site_->AccessKeys()) {
        const SHORT vk = ::VkKeyScanA(c);
        if (vk == -1) continue;
        keys.push_back({static_cast<BYTE>(FVIRTKEY | FALT), static_cast<WORD>(vk & 0xFF), 0});
    }
    if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
    accelerators_ = keys.empty()
                        ? nullptr
                        : ::CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));
    info->cb = sizeof *info;
    info->hAccel = accelerators_;
    info->cAccel = static_cast<USHORT>(keys.size());
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP ButtonControl::OnMnemonic(MSG* msg) {
    if (!msg) return E_POINTER;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return S_FALSE;
    const ComPtr<IUnknown> keep(Identity());
    vb::Integer ascii = 0;
    if (msg->wParam == VK_RETURN)
        ascii = 13;
    else if (msg->wParam == VK_ESCAPE)
        ascii = 27;
    else
        ascii = static_cast<vb::Integer>(::GetKeyState(VK_SHIFT) < 0
                                             ? msg->wParam
                                             : std::tolower(static_cast<int>(msg->wParam)));
    button_->UserControl_AccessKeyPress(ascii);
    Repaint();
    return S_OK;
}

STDMETHODIMP ButtonControl::OnAmbientPropertyChange(DISPID id) {
    const ComPtr<IUnknown> keep(Identity());
    button_->UserControl_AmbientChanged(AmbientName(id));
    Repaint();
    return S_OK;
}

STDMETHODIMP ButtonControl::FreezeEvents(BOOL freeze) {
    frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0);
    return S_OK;
}

// ---- IViewObject2 ----

STDMETHODIMP ButtonControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    host::Surface& s = site_->Surface();
    const int w = static_cast<int>(s.ScaleWidth()), h = static_cast<int>(s.ScaleHeight());
    const int old = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, bounds->left, bounds->top, bounds->right - bounds->left,
                 bounds->bottom - bounds->top, reinterpret_cast<HDC>(s.hDC()), 0, 0, w, h, SRCCOPY);
    ::SetStretchBltMode(dc, old);
    return S_OK;
}

STDMETHODIMP ButtonControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    view_aspects_ = aspects;
    view_flags_ = flags;
    view_sink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

STDMETHODIMP ButtonControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = view_aspects_;
    if (flags) *flags = view_flags_;
    if (sink) *sink = ComPtr<IAdviseSink>(view_sink_).detach();
    return S_OK;
}

STDMETHODIMP ButtonControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

// ---- persistence ----

STDMETHODIMP ButtonControl::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = ToGuid(cls_.clsid);
    return S_OK;
}

void ButtonControl::Loaded() {
    loaded_ = true;
    dirty_ = false;
    Repaint();
}

STDMETHODIMP ButtonControl::InitNew() {
    if (loaded_) return CO_E_ALREADYINITIALIZED;
    button_->UserControl_InitProperties();
    Loaded();
    return S_OK;
}

STDMETHODIMP ButtonControl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    if (loaded_) return CO_E_ALREADYINITIALIZED;
    ContainerBag b(bag, log);
    button_->UserControl_ReadProperties(b);
    Loaded();
    return S_OK;
}

STDMETHODIMP ButtonControl::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
    if (!bag) return E_POINTER;
    ContainerBag b(bag, nullptr);
    button_->UserControl_WriteProperties(b);
    if (clear_dirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP ButtonControl::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    if (loaded_) return CO_E_ALREADYINITIALIZED;
    host::MemoryPropertyBag bag;
    const HRESULT hr = ReadBag(stream, bag);
    if (FAILED(hr)) return hr;
    button_->UserControl_ReadProperties(bag);
    Loaded();
    return S_OK;
}

STDMETHODIMP ButtonControl::Save(LPSTREAM stream, BOOL clear_dirty) {
    if (!stream) return E_POINTER;
    host::MemoryPropertyBag bag;
    button_->UserControl_WriteProperties(bag);
    const HRESULT hr = WriteBag(stream, bag);
    if (SUCCEEDED(hr) && clear_dirty) dirty_ = false;
    return hr;
}

STDMETHODIMP ButtonControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    host::MemoryPropertyBag bag;
    button_->UserControl_WriteProperties(bag);
    size->QuadPart = BagSize(bag);
    return S_OK;
}

// ---- IDispatch ----

STDMETHODIMP ButtonControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP ButtonControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = TypeInfoOf(ToGuid(cls_.default_interface.iid)).detach();
    return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP ButtonControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return IdsOfNames(cls_.members, names, count, ids);
}

STDMETHODIMP ButtonControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
    const ComPtr<IUnknown> keep(Identity());
    const HRESULT hr =
        InvokeMember(*object_, cls_.members, id, flags, params, result, exception, arg_error);
    Repaint();
    return hr;
}

// ---- connection points and class information ----

STDMETHODIMP ButtonControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ButtonControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid != EventsIid(cls_) && iid != IID_IPropertyNotifySink) return CONNECT_E_NOCONNECTION;
    *point = Make<Point, IConnectionPoint>(*this, iid).detach();
    return S_OK;
}

STDMETHODIMP ButtonControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = TypeInfoOf(ToGuid(cls_.clsid)).detach();
    return *info ? S_OK : TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP ButtonControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = EventsIid(cls_);
    return S_OK;
}

// ---- events ----

void ButtonControl::Raise(DISPID id, std::vector<VARIANT>& refs) {
    if (frozen_ > 0 || event_sinks_.empty()) return;
    const ComPtr<IUnknown> keep(Identity());
    // The arguments go last first.
    std::vector<VARIANT> args(refs.rbegin(), refs.rend());
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    const auto sinks = event_sinks_;  // a handler may disconnect
    for (const auto& [cookie, sink] : sinks)
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                     nullptr);
}

void ButtonControl::Click() {
    std::vector<VARIANT> none;
    Raise(1, none);
}
void ButtonControl::MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
    std::vector<VARIANT> a{Ref(Button), Ref(Shift), Ref(X), Ref(Y)};
    Raise(2, a);
}
void ButtonControl::MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                              vb::Single& Y) {
    std::vector<VARIANT> a{Ref(Button), Ref(Shift), Ref(X), Ref(Y)};
    Raise(3, a);
}
void ButtonControl::MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                              vb::Single& Y) {
    std::vector<VARIANT> a{Ref(Button), Ref(Shift), Ref(X), Ref(Y)};
    Raise(4, a);
}
void ButtonControl::MouseLeave() {
    std::vector<VARIANT> none;
    Raise(5, none);
}
void ButtonControl::MouseEnter() {
    std::vector<VARIANT> none;
    Raise(6, none);
}
void ButtonControl::KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) {
    std::vector<VARIANT> a{Ref(KeyCode), Ref(Shift)};
    Raise(7, a);
}
void ButtonControl::KeyPress(vb::Integer& KeyAscii) {
    std::vector<VARIANT> a{Ref(KeyAscii)};
    Raise(8, a);
}
void ButtonControl::KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) {
    std::vector<VARIANT> a{Ref(KeyCode), Ref(Shift)};
    Raise(9, a);
}
void ButtonControl::OLECompleteDrag(vb::Long& Effect) {
    LONG e = Effect;
    std::vector<VARIANT> a{Ref(e)};
    Raise(10, a);
    Effect = e;
}
// Drag-and-drop data crosses as an object the sink may look at; what it assigns to the
// reference is not taken back.
void ButtonControl::OLEDragDrop(host::DataObjectRef&, vb::Long& Effect, vb::Integer& Button,
                                vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
    IDispatch* data = nullptr;
    LONG e = Effect;
    std::vector<VARIANT> a{Ref(data), Ref(e), Ref(Button), Ref(Shift), Ref(X), Ref(Y)};
    Raise(11, a);
    Effect = e;
}
void ButtonControl::OLEDragOver(host::DataObjectRef&, vb::Long& Effect, vb::Integer& Button,
                                vb::Integer& Shift, vb::Single& X, vb::Single& Y,
                                vb::Integer& State) {
    IDispatch* data = nullptr;
    LONG e = Effect;
    std::vector<VARIANT> a{Ref(data), Ref(e), Ref(Button), Ref(Shift), Ref(X), Ref(Y), Ref(State)};
    Raise(12, a);
    Effect = e;
}
void ButtonControl::OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) {
    LONG e = Effect;
    VARIANT_BOOL d = DefaultCursors ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT cursors;
    VariantInit(&cursors);
    cursors.vt = VT_BYREF | VT_BOOL;
    cursors.pboolVal = &d;
    std::vector<VARIANT> a{Ref(e), cursors};
    Raise(13, a);
    Effect = e;
    DefaultCursors = vb::Boolean(d != VARIANT_FALSE);
}
void ButtonControl::OLESetData(host::DataObjectRef&, vb::Integer& DataFormat) {
    IDispatch* data = nullptr;
    std::vector<VARIANT> a{Ref(data), Ref(DataFormat)};
    Raise(14, a);
}
void ButtonControl::OLEStartDrag(host::DataObjectRef&, vb::Long& AllowedEffects) {
    IDispatch* data = nullptr;
    LONG e = AllowedEffects;
    std::vector<VARIANT> a{Ref(data), Ref(e)};
    Raise(15, a);
    AllowedEffects = e;
}
void ButtonControl::DropDown() {
    std::vector<VARIANT> none;
    Raise(16, none);
}

ComPtr<IUnknown> NewButtonControl(const runtime::ClassDescription& cls) {
    return Make<ButtonControl, IUnknown>(cls);
}

}  // namespace sheenwork::win32
