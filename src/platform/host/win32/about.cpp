// The About window on Windows: a small modal window of the system's own controls, the
// product's texts, a button per link that opens it through the shell, and OK. Its owner
// is disabled while it is open; Enter, Escape and the close box end it.
#include <string>
#include <vector>

#include "platform/host/win32/server.h"

namespace sheenwork::win32 {
namespace {

constexpr char kClass[] = "SheenworkAbout";
constexpr int kFirstLink = 100;

struct AboutState {
    const host::AboutInfo* info;
    bool done = false;
};

LRESULT CALLBACK AboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrA(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* state = reinterpret_cast<AboutState*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL) {
                ::DestroyWindow(window);
                return 0;
            }
            const auto index = static_cast<std::size_t>(id - kFirstLink);
            if (state && id >= kFirstLink && index < state->info->links.size())
                host::OpenAboutLink(state->info->links[index]);
            return 0;
        }
        case WM_CLOSE: ::DestroyWindow(window); return 0;
        case WM_DESTROY:
            if (state) state->done = true;
            return 0;
        default: return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void ShowAboutWindow(HWND owner, const host::AboutInfo& info) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AboutProcedure;
    wc.hInstance = Module();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    ::RegisterClassExA(&wc);

    const int links = static_cast<int>(info.links.size());
    const int width = 360, height = 150 + 32;
    ::RECT frame{0, 0, width, height};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    AboutState state{&info};
    HWND window = ::CreateWindowExA(WS_EX_DLGMODALFRAME, kClass, ("Info: " + info.product).c_str(),
                                    style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                    frame.bottom - frame.top, owner, nullptr, Module(), &state);
    if (!window) return;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const auto add = [&](const char* cls, const std::string& text, DWORD s, int x, int y, int w,
                         int h, int id) {
        HWND c =
            ::CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | s, x, y, w, h, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Module(), nullptr);
        ::SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    add("STATIC", info.product + " - " + info.control, SS_LEFT, 12, 12, width - 24, 18, -1);
    add("STATIC", info.author, SS_LEFT, 12, 34, width - 24, 18, -1);
    add("STATIC", "Version " + info.version, SS_LEFT, 12, 56, width - 24, 18, -1);
    add("STATIC", info.years, SS_LEFT, 12, 78, width - 24, 18, -1);
    const int button_width = (width - 24 - 8 * links) / (links + 1);
    for (int i = 0; i < links; ++i)
        add("BUTTON", info.links[static_cast<std::size_t>(i)].caption, WS_TABSTOP | BS_PUSHBUTTON,
            12 + i * (button_width + 8), height - 40, button_width, 26, kFirstLink + i);
    add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, width - 12 - button_width, height - 40,
        button_width, 26, IDOK);

    // Modal: the owner takes no input until the window is gone.
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(window, SW_SHOW);
    MSG msg;
    while (!state.done) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: its own loop sees the quit too.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (::IsDialogMessageA(window, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
}

}  // namespace sheenwork::win32
