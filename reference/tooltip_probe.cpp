// sheenwork-tooltip-probe: the real "tooltips_class32" under Wine (or Windows), for the
// comparison with our tooltip class. Needs a display (Xvfb under Wine).
//
//   sheenwork-tooltip-probe.exe <results>
//
// Writes, as text: one "message <line>" per line of the shared script
// (tests/tooltip/sequence.h), the tip's font as "font <face> <height>", then per tip of
// the script "tip <name> <left> <top> <right> <bottom>" (the window on the screen) and
// its pixels as "pixels" followed by one line per row of 0x00BBGGRR words.
//
// The program is 64-bit, so its records are the 64-bit first form (cbSize 56): with the
// 40-byte record of a 32-bit program the 64-bit class stores no text. The channel below
// turns the script's records into that form and back.
#include <windows.h>
// commctrl.h needs the types windows.h declares first.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tooltip/sequence.h"

namespace {

using namespace sheenwork::tooltip_check;

HWND g_form, g_tools[3];  // A, B, C

class RealChannel final : public Channel {
public:
    explicit RealChannel(HWND tip) : tip_(tip) {}
    long Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return static_cast<long>(SendMessageA(tip_, message, wParam, lParam));
    }
    long SendRecord(unsigned message, std::uintptr_t wParam, Record& r) override {
        TTTOOLINFOA ti;
        std::memset(&ti, 0, sizeof ti);
        ti.cbSize = TTTOOLINFOA_V1_SIZE;
        ti.uFlags = r.flags;
        ti.hwnd = reinterpret_cast<HWND>(r.owner);
        ti.uId = static_cast<UINT_PTR>(r.tool);
        std::vector<char> buffer;
        if (r.has_text) {
            buffer.assign(r.text.begin(), r.text.end());
            buffer.resize(std::max(r.buffer, r.text.size() + 1), '\0');
            if (r.buffer > 0) std::fill(buffer.begin(), buffer.end(), '\0');
            ti.lpszText = buffer.data();
        }
        const long answer =
            static_cast<long>(SendMessageA(tip_, message, wParam, reinterpret_cast<LPARAM>(&ti)));
        r.flags = ti.uFlags;
        r.owner = static_cast<long>(reinterpret_cast<INT_PTR>(ti.hwnd));
        r.tool = static_cast<long>(ti.uId);
        r.has_text = ti.lpszText != nullptr;
        if (r.has_text && !buffer.empty())
            r.text = std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
        return answer;
    }
    long SendRect(unsigned message, int (&rect)[4]) override {
        RECT r{rect[0], rect[1], rect[2], rect[3]};
        const long answer =
            static_cast<long>(SendMessageA(tip_, message, 0, reinterpret_cast<LPARAM>(&r)));
        rect[0] = r.left, rect[1] = r.top, rect[2] = r.right, rect[3] = r.bottom;
        return answer;
    }
    long Hwnd(const std::string& name) override {
        HWND h = name == "F"   ? g_form
                 : name == "A" ? g_tools[0]
                 : name == "B" ? g_tools[1]
                 : name == "C" ? g_tools[2]
                               : nullptr;
        return static_cast<long>(reinterpret_cast<INT_PTR>(h));
    }

private:
    HWND tip_;
};

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
}

// The pointer to a screen point, as the user would move it there.
void MoveCursor(int x, int y) {
    SetCursorPos(x, y);
    INPUT in;
    std::memset(&in, 0, sizeof in);
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}

HWND NewTip() {
    return CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, g_form, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

// The tip's window as the screen shows it.
bool Capture(HWND tip, std::FILE* out, const char* name) {
    RECT r;
    GetWindowRect(tip, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::fprintf(out, "tip %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi;
    std::memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    const bool ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    std::fprintf(out, "pixels\n");
    const auto* px = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = px[y * w + x];  // 0x??RRGGBB
            const std::uint32_t c =
                ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);  // 0x00BBGGRR
            std::fprintf(out, x ? " %06X" : "%06X", static_cast<unsigned>(c));
        }
        std::fprintf(out, "\n");
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheenwork-tooltip-probe.exe <results>\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "sheenwork-tooltip-probe: cannot write %s\n", argv[1]);
        return 1;
    }
    // The status font is Tahoma, which a new prefix has not registered: the same file our
    // side draws with, Wine's own.
    if (AddFontResourceExA("Z:\\usr\\share\\wine\\fonts\\tahoma.ttf", FR_PRIVATE, nullptr) == 0) {
        std::fprintf(stderr, "sheenwork-tooltip-probe: cannot add Tahoma\n");
        return 1;
    }
    // The classic tip colours, as our system-colour table has them.
    const INT indices[] = {COLOR_WINDOWFRAME, COLOR_INFOTEXT, COLOR_INFOBK};
    const COLORREF colors[] = {RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 225)};
    SetSysColors(3, indices, colors);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "SheenworkProbe";
    RegisterClassA(&wc);
    g_form = CreateWindowExA(0, "SheenworkProbe", "Form1", WS_POPUP | WS_VISIBLE, kFormRect[0],
                             kFormRect[1], kFormRect[2] - kFormRect[0], kFormRect[3] - kFormRect[1],
                             nullptr, nullptr, wc.hInstance, nullptr);
    const int tools[3][4] = {{kToolRect[0], kToolRect[1], kToolRect[2], kToolRect[3]},
                             {200, 20, 300, 50},
                             {200, 100, 300, 130}};
    for (int i = 0; i < 3; ++i)
        g_tools[i] =
            CreateWindowExA(0, "SheenworkProbe", "", WS_CHILD | WS_VISIBLE, tools[i][0],
                            tools[i][1], tools[i][2] - tools[i][0], tools[i][3] - tools[i][1],
                            g_form, nullptr, wc.hInstance, nullptr);
    MoveCursor(10, 10);
    Pump(100);

    HWND tip = NewTip();
    if (!g_form || !tip) {
        std::fprintf(stderr, "sheenwork-tooltip-probe: no window (is there a display?)\n");
        return 1;
    }
    RealChannel channel(tip);
    for (const std::string& line : Messages())
        std::fprintf(out, "message %s\n", Send(channel, line).c_str());
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tip, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    std::fprintf(out, "font %s %ld\n", lf.lfFaceName, lf.lfHeight);

    int failed = 0;
    for (const Tip& t : Tips()) {
        HWND shown = NewTip();
        SendMessageA(shown, TTM_SETMAXTIPWIDTH, 0, 240);
        TTTOOLINFOA ti;
        std::memset(&ti, 0, sizeof ti);
        ti.cbSize = TTTOOLINFOA_V1_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.uId = reinterpret_cast<UINT_PTR>(g_tools[0]);
        std::string text = t.text;
        ti.lpszText = text.data();
        SendMessageA(shown, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        MoveCursor(kCursor[0], kCursor[1]);
        const DWORD start = GetTickCount();
        while (!IsWindowVisible(shown) && GetTickCount() - start < 3000) Pump(10);
        Pump(100);  // painted
        if (!IsWindowVisible(shown) || !Capture(shown, out, t.name)) {
            std::fprintf(stderr, "sheenwork-tooltip-probe: tip %s never showed\n", t.name);
            ++failed;
        }
        MoveCursor(10, 10);
        const DWORD away = GetTickCount();
        while (IsWindowVisible(shown) && GetTickCount() - away < 3000) Pump(10);
        SendMessageA(shown, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    if (std::fclose(out) != 0) return 1;
    std::printf("sheenwork-tooltip-probe: results written to %s\n", argv[1]);
    // Top-level windows are left to the end of the process: destroying them without a
    // window manager waits for one.
    return failed == 0 ? 0 : 1;
}
