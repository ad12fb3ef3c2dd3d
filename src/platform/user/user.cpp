// Windows of our own classes: made on the installed host, found by handle, destroyed.
#include <sheenwork/user/user.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>

#include "platform/user/classes.h"
#include "util/ascii.h"

namespace sheenwork::user {
namespace {

struct WindowEntry {
    WindowHost* host = nullptr;
    std::unique_ptr<WindowProcedure> procedure;
};

struct State {
    WindowHost* host = nullptr;
    std::set<std::string> classes;  // registered, lower case
    std::map<Hwnd, WindowEntry> windows;
    MessageTap tap;
};

State& Current() {
    static State state;
    return state;
}

constexpr char kToolTipClass[] = "tooltips_class32";

// The entry of a live window; a popup its host destroyed with its owner is dropped here.
WindowEntry* Find(Hwnd window) {
    auto& windows = Current().windows;
    const auto it = windows.find(window);
    if (it == windows.end()) return nullptr;
    if (!it->second.host->PopupAlive(window)) {
        auto gone = std::move(it->second);
        windows.erase(it);
        gone.procedure->Destroying();
        return nullptr;
    }
    return &it->second;
}

}  // namespace

WindowHost* InstallWindowHost(WindowHost* host) noexcept {
    return std::exchange(Current().host, host);
}

void WindowHostGone(WindowHost* host) noexcept {
    auto& s = Current();
    for (auto it = s.windows.begin(); it != s.windows.end();) {
        if (it->second.host == host)
            it = s.windows.erase(it);
        else
            ++it;
    }
    if (s.host == host) s.host = nullptr;
}

void InitCommonControls() noexcept { Current().classes.insert(kToolTipClass); }

Hwnd CreateWindowExA(std::uint32_t, const std::string& class_name, const std::string&,
                     std::uint32_t style, int, int, int, int, Hwnd parent, long, long,
                     void*) noexcept {
    auto& s = Current();
    const std::string name = util::AsciiLower(class_name);
    if (!s.host || !s.classes.contains(name) || name != kToolTipClass) return 0;
    try {
        const Hwnd self = s.host->CreatePopup(parent);
        if (self == 0) return 0;
        s.windows[self] = WindowEntry{s.host, MakeToolTipWindow(*s.host, self, style)};
        return self;
    } catch (...) {
        return 0;
    }
}

LResult SendMessageA(Hwnd window, unsigned message, WParam wParam, LParam lParam) noexcept {
    LResult answer = 0;
    if (WindowEntry* entry = Find(window)) {
        try {
            answer = entry->procedure->Message(message, wParam, lParam);
        } catch (...) {
            answer = 0;
        }
    }
    if (const auto& tap = Current().tap) tap(window, message, wParam, lParam, answer);
    return answer;
}

bool DestroyWindow(Hwnd window) noexcept {
    WindowEntry* entry = Find(window);
    if (!entry) return false;
    auto gone = std::move(*entry);
    Current().windows.erase(window);
    gone.procedure->Destroying();
    gone.host->DestroyPopup(window);
    return true;
}

bool IsWindow(Hwnd window) noexcept { return Find(window) != nullptr; }

void SetMessageTap(MessageTap tap) { Current().tap = std::move(tap); }

}  // namespace sheenwork::user
