// The windowing calls on Windows: USER32 and the common controls themselves. Windows
// need no host here (the system shows them); the tool record of the tooltip messages is
// carried across in the system's own form.
#include <sheenwork/user/user.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/windows_api.h"

namespace sheenwork::user {
namespace {

WindowHost* g_host = nullptr;
MessageTap g_tap;

HWND H(Hwnd w) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(w)); }
Hwnd W(HWND h) { return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(h)); }

bool IsToolTip(HWND window) {
    char name[32] = {};
    return ::GetClassNameA(window, name, sizeof name) > 0 && _stricmp(name, TOOLTIPS_CLASSA) == 0;
}

bool CarriesRecord(unsigned message) {
    switch (message) {
        case TTM_ADDTOOLA:
        case TTM_DELTOOLA:
        case TTM_UPDATETIPTEXTA:
        case TTM_ENUMTOOLSA: return true;
        default: return false;
    }
}

// Our 40-byte record in the system's first ANSI form, which on a 64-bit system is 56
// bytes: the class takes no other size there for a record with text.
LResult SendRecord(HWND tip, unsigned message, WParam wParam, TOOLINFOA& r) {
    TTTOOLINFOA ti;
    std::memset(&ti, 0, sizeof ti);
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = r.uFlags;
    ti.hwnd = H(r.hwnd);
    ti.uId = static_cast<UINT_PTR>(r.uId);
    ti.rect = RECT{r.rect.left, r.rect.top, r.rect.right, r.rect.bottom};
    ti.hinst = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(r.hinst));
    const std::span<char> text = TextAt(r.lpszText);
    ti.lpszText = text.empty() ? nullptr : text.data();
    const LResult answer = ::SendMessageA(tip, message, wParam, reinterpret_cast<LPARAM>(&ti));
    r.uFlags = ti.uFlags;
    r.hwnd = W(ti.hwnd);
    r.uId = static_cast<std::uint32_t>(ti.uId);
    r.rect = gdi::Rect{ti.rect.left, ti.rect.top, ti.rect.right, ti.rect.bottom};
    r.hinst = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(ti.hinst));
    // A tool without text gives the pointer back empty.
    if (ti.lpszText == nullptr) r.lpszText = 0;
    return answer;
}

}  // namespace

WindowHost* InstallWindowHost(WindowHost* host) noexcept { return std::exchange(g_host, host); }

void WindowHostGone(WindowHost* host) noexcept {
    if (g_host == host) g_host = nullptr;
}

void InitCommonControls() noexcept { ::InitCommonControls(); }

Hwnd CreateWindowExA(std::uint32_t ex_style, const std::string& class_name,
                     const std::string& window_name, std::uint32_t style, int x, int y, int width,
                     int height, Hwnd parent, long menu, long instance, void* param) noexcept {
    return W(::CreateWindowExA(ex_style, class_name.c_str(), window_name.c_str(), style, x, y,
                               width, height, H(parent),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(menu)),
                               reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(instance)), param));
}

LResult SendMessageA(Hwnd window, unsigned message, WParam wParam, LParam lParam) noexcept {
    const HWND h = H(window);
    LResult answer = 0;
    if (lParam != 0 && CarriesRecord(message) && IsToolTip(h))
        answer = SendRecord(h, message, wParam, *reinterpret_cast<TOOLINFOA*>(lParam));
    else
        answer = ::SendMessageA(h, message, wParam, lParam);
    if (g_tap) g_tap(window, message, wParam, lParam, answer);
    return answer;
}

bool DestroyWindow(Hwnd window) noexcept { return ::DestroyWindow(H(window)) != FALSE; }

bool IsWindow(Hwnd window) noexcept { return window != 0 && ::IsWindow(H(window)) != FALSE; }

void SetMessageTap(MessageTap tap) { g_tap = std::move(tap); }

}  // namespace sheenwork::user
