// The control site of the ActiveX control: what the button asks of its container,
// answered by the container's OLE sites and by the control's own window.
#include <sheenwork/host/form_object.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>

#include "platform/gdi/win32/win32_gdi.h"
#include "platform/host/win32/control.h"

namespace sheenwork::win32 {
namespace {

// An ambient property of the container, read through its client site.
bool Ambient(const ComPtr<IDispatch>& ambients, DISPID id, vb::Variant& out) {
    if (!ambients) return false;
    DISPPARAMS none{};
    VARIANT v;
    VariantInit(&v);
    if (FAILED(ambients->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &v,
                                nullptr, nullptr))) {
        VariantClear(&v);
        return false;
    }
    try {
        out = FromVariant(v);
    } catch (...) {
        VariantClear(&v);
        return false;
    }
    VariantClear(&v);
    return true;
}

// A property of the extender, read late-bound by name.
vb::Variant ExtenderProperty(const ComPtr<IDispatch>& extender, const char* name) {
    if (!extender) vb::Raise(438);
    const auto object = ObjectFromDispatch(extender.get()).AsDispatch();
    std::vector<vb::Variant> none;
    return object->Invoke(name, vb::InvokeKind::PropertyGet, none);
}

// The form that holds the control, as the button sees its container: a top-level
// window with the container's font and back colour.
class ContainerForm final : public vb::Dispatch, public host::FormObject {
public:
    explicit ContainerForm(ComSite& site, HWND window) : site_(site), window_(window) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind kind,
                       std::vector<vb::Variant>& args) override {
        const auto is = [&](const char* n) { return _stricmp(name.c_str(), n) == 0; };
        if (kind == vb::InvokeKind::PropertyLet || kind == vb::InvokeKind::PropertySet ||
            !args.empty())
            vb::Raise(438);
        if (is("hWnd")) return vb::Long{static_cast<vb::Long>(reinterpret_cast<INT_PTR>(window_))};
        if (is("Font")) return vb::Object(site_.ParentFont());
        if (is("BackColor")) return vb::Long{static_cast<vb::Long>(site_.ParentBackColor())};
        if (is("ScaleMode")) return vb::Integer{3};  // pixels
        if (is("Name") || is("Caption")) {
            char text[256] = {};
            ::GetWindowTextA(window_, text, sizeof text);
            return std::string(text);
        }
        vb::Raise(438);
    }

private:
    ComSite& site_;
    HWND window_;
};

const LPCSTR kStockPointers[] = {IDC_ARROW,    IDC_ARROW,       IDC_CROSS,    IDC_IBEAM,
                                 IDC_ARROW,    IDC_SIZEALL,     IDC_SIZENESW, IDC_SIZENS,
                                 IDC_SIZENWSE, IDC_SIZEWE,      IDC_UPARROW,  IDC_WAIT,
                                 IDC_NO,       IDC_APPSTARTING, IDC_HELP,     IDC_SIZEALL};

// A pointer made of a picture, with its hot spot: the hand pointers' own, else the
// top-left corner.
HCURSOR PictureCursor(const vb::StdPicture& p) {
    gdi::Point hot{0, 0};
    for (int i = 0; i < 2; ++i)
        if (picture::XPPointer(i).get() == &p) hot = picture::XPPointerHotSpot(i);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p.PixelWidth();
    info.bmiHeader.biHeight = -p.PixelHeight();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP color = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!color) return nullptr;
    std::copy(p.Pixels().begin(), p.Pixels().end(), static_cast<std::uint32_t*>(bits));
    HBITMAP mask = ::CreateBitmap(p.PixelWidth(), p.PixelHeight(), 1, 1, nullptr);
    ICONINFO ii{FALSE, static_cast<DWORD>(hot.x), static_cast<DWORD>(hot.y), mask, color};
    HCURSOR cursor = ::CreateIconIndirect(&ii);
    ::DeleteObject(color);
    ::DeleteObject(mask);
    return cursor;
}

}  // namespace

ComSite::ComSite(ButtonControl& control)
    : SiteCore(gdi::MakeWin32Gdi(), 96, 24), control_(control) {}

ComSite::~ComSite() {
    if (icon_cursor_) ::DestroyCursor(icon_cursor_);
}

void ComSite::Attach(HWND window) {
    if (window_ && window_ != window) ::KillTimer(window_, kTimerId);
    window_ = window;
    ApplyTimer();
}

void ComSite::Resize(int width, int height) {
    Surface().Resize(std::max(width, 1), std::max(height, 1));
}

HCURSOR ComSite::Cursor() {
    if (mouse_pointer_ == 99 && mouse_icon_ && mouse_icon_->PixelWidth() > 0) {
        if (icon_cursor_of_ != mouse_icon_) {
            if (icon_cursor_) ::DestroyCursor(icon_cursor_);
            icon_cursor_ = PictureCursor(*mouse_icon_);
            icon_cursor_of_ = mouse_icon_;
        }
        if (icon_cursor_) return icon_cursor_;
    }
    const int index = mouse_pointer_ >= 0 && mouse_pointer_ <= 15 ? mouse_pointer_ : 0;
    return ::LoadCursorA(nullptr, kStockPointers[index]);
}

void ComSite::PropertyChanged(const std::string& name) { control_.PropertyChanged(name); }

// A container that says nothing about the mode runs its controls: user mode.
vb::Boolean ComSite::AmbientUserMode() {
    vb::Variant v;
    return Ambient(control_.Ambients(), DISPID_AMBIENT_USERMODE, v) ? vb::CBool(v) : vb::True;
}

vb::Boolean ComSite::AmbientDisplayAsDefault() {
    vb::Variant v;
    return Ambient(control_.Ambients(), DISPID_AMBIENT_DISPLAYASDEFAULT, v) ? vb::CBool(v)
                                                                            : vb::False;
}

std::string ComSite::ExtenderName() {
    if (const auto extender = control_.Extender())
        return vb::CStr(ExtenderProperty(extender, "Name"));
    vb::Variant v;
    if (Ambient(control_.Ambients(), DISPID_AMBIENT_DISPLAYNAME, v)) return vb::CStr(v);
    vb::Raise(438);
}

vb::Boolean ComSite::ExtenderDefault() {
    return vb::CBool(ExtenderProperty(control_.Extender(), "Default"));
}

vb::Object ComSite::Parent() {
    const long hwnd = ParentHwnd();
    if (hwnd == 0) vb::Raise(91);
    return vb::Object(
        std::make_shared<ContainerForm>(*this, reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd))));
}

host::FontRef ComSite::ParentFont() {
    vb::Variant v;
    if (!Ambient(control_.Ambients(), DISPID_AMBIENT_FONT, v)) vb::Raise(91);
    const auto font = vb::CObj(v).As<vb::StdFont>();
    if (!font) vb::Raise(91);
    return font;
}

std::uint32_t ComSite::ParentBackColor() {
    vb::Variant v;
    if (!Ambient(control_.Ambients(), DISPID_AMBIENT_BACKCOLOR, v)) return 0x8000000F;
    return static_cast<std::uint32_t>(vb::CLng(v));
}

// The container's top-level window: the form.
long ComSite::ParentHwnd() {
    HWND window = control_.ContainerWindow();
    if (window) window = ::GetAncestor(window, GA_ROOT);
    return static_cast<long>(reinterpret_cast<INT_PTR>(window));
}

vb::Boolean ComSite::ParentIsForm() { return vb::Boolean(ParentHwnd() != 0); }

long ComSite::SurfaceHwnd() { return static_cast<long>(reinterpret_cast<INT_PTR>(window_)); }

void ComSite::SurfaceEnabled(vb::Boolean value) {
    enabled_ = value;
    if (window_) ::EnableWindow(window_, value ? TRUE : FALSE);
}

void ComSite::SurfaceAccessKeys(const std::string& keys) {
    if (keys == access_keys_) return;
    access_keys_ = keys;
    control_.AccessKeysChanged();
}

void ComSite::tmrMouseInEnabled(vb::Boolean on) {
    timer_on_ = on;
    ApplyTimer();
}

void ComSite::tmrMouseInInterval(long milliseconds) {
    timer_interval_ = milliseconds;
    ApplyTimer();
}

// The timer runs on the window, at the interval the system allows (at least 10 ms).
void ComSite::ApplyTimer() {
    if (!window_) return;
    if (timer_on_ && timer_interval_ > 0)
        ::SetTimer(window_, kTimerId, static_cast<UINT>(timer_interval_), nullptr);
    else
        ::KillTimer(window_, kTimerId);
}

void ComSite::SetFocus() {
    if (!window_ || !::IsWindowVisible(window_) || !::IsWindowEnabled(window_)) vb::Raise(5);
    ::SetFocus(window_);
}

// The pending messages, the container's keys first through its frame, as its own loop
// would have them.
void ComSite::DoEvents() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        bool taken = false;
        control_.TranslateForContainer(msg, taken);
        if (taken) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

vb::Single ComSite::ScaleTwipsToPixelsX(vb::Single twips) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return twips * static_cast<vb::Single>(dpi) / 1440.0f;
}

vb::Single ComSite::ScaleTwipsToPixelsY(vb::Single twips) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return twips * static_cast<vb::Single>(dpi) / 1440.0f;
}

gdi::Rect ComSite::GetWindowRect(long hwnd) {
    ::RECT r;
    if (!::GetWindowRect(reinterpret_cast<HWND>(static_cast<INT_PTR>(hwnd)), &r)) vb::Raise(5);
    return {r.left, r.top, r.right, r.bottom};
}

gdi::Point ComSite::GetCursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

long ComSite::WindowFromPoint(gdi::Point screen) {
    return static_cast<long>(
        reinterpret_cast<INT_PTR>(::WindowFromPoint(POINT{screen.x, screen.y})));
}

std::int16_t ComSite::GetAsyncKeyState(int virtual_key) {
    return static_cast<std::int16_t>(::GetAsyncKeyState(virtual_key));
}

void ComSite::ShowAbout(const host::AboutInfo& info) {
    ShowAboutWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(ParentHwnd())), info);
}

}  // namespace sheenwork::win32
