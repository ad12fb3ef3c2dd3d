// Windows of our own classes: made on the installed host, found by handle, destroyed.
#include <sheenwork/user/user.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>
#include <vector>

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
    // Every host installed and not gone, the latest last: a window goes to the one that
    // knows its owner.
    std::vector<WindowHost*> hosts;
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
    auto& s = Current();
    if (host) {
        std::erase(s.hosts, host);
        s.hosts.push_back(host);
    }
    return std::exchange(s.host, host);
}

void WindowHostGone(WindowHost* host) noexcept {
    auto& s = Current();
    for (auto it = s.windows.begin(); it != s.windows.end();) {
        if (it->second.host == host)
            it = s.windows.erase(it);
        else
            ++it;
    }
    std::erase(s.hosts, host);
    if (s.host == host) s.host = s.hosts.empty() ? nullptr : s.hosts.back();
}

void InitCommonControls() noexcept { Current().classes.insert(kToolTipClass); }

Hwnd CreateWindowExA(std::uint32_t, const std::string& class_name, const std::string&,
                     std::uint32_t style, int, int, int, int, Hwnd parent, long, long,
                     void*) noexcept {
    auto& s = Current();
    const std::string name = util::AsciiLower(class_name);
    if (!s.host || !s.classes.contains(name) || name != kToolTipClass) return 0;
    // The installed host first, then the others, the latest first: two hosts may live
    // side by side (a headless runtime in a program with windows of its own).
    std::vector<WindowHost*> order{s.host};
    for (auto it = s.hosts.rbegin(); it != s.hosts.rend(); ++it)
        if (*it != s.host) order.push_back(*it);
    try {
        for (WindowHost* host : order) {
            const Hwnd self = host->CreatePopup(parent);
            if (self == 0) continue;
            s.windows[self] = WindowEntry{host, MakeToolTipWindow(*host, self, style)};
            return self;
        }
    } catch (...) {
    }
    return 0;
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
