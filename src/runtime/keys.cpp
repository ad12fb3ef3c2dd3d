#include <sheenwork/runtime/keys.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

#include "util/ascii.h"

namespace sheenwork::runtime {
namespace {

struct Named {
    std::string_view name;
    int vk;
};

constexpr Named kNames[] = {
    {"lbutton", VK_LBUTTON}, {"rbutton", VK_RBUTTON}, {"mbutton", VK_MBUTTON},
    {"backspace", VK_BACK},  {"tab", VK_TAB},         {"enter", VK_RETURN},
    {"return", VK_RETURN},   {"shift", VK_SHIFT},     {"ctrl", VK_CONTROL},
    {"control", VK_CONTROL}, {"alt", VK_MENU},        {"menu", VK_MENU},
    {"escape", VK_ESCAPE},   {"esc", VK_ESCAPE},      {"space", VK_SPACE},
    {"end", VK_END},         {"home", VK_HOME},       {"left", VK_LEFT},
    {"up", VK_UP},           {"right", VK_RIGHT},     {"down", VK_DOWN},
    {"delete", VK_DELETE},   {"lshift", VK_LSHIFT},   {"rshift", VK_RSHIFT},
    {"lctrl", VK_LCONTROL},  {"rctrl", VK_RCONTROL},  {"lalt", VK_LMENU},
    {"ralt", VK_RMENU},      {"altgr", VK_RMENU},
};

// The side keys and the common key they move.
int CommonOf(int vk) {
    switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU: return VK_MENU;
        default: return 0;
    }
}

}  // namespace

std::optional<int> KeyFromName(std::string_view name) {
    if (name.empty()) return std::nullopt;
    const std::string lower = util::AsciiLower(name);
    for (const Named& n : kNames)
        if (n.name == lower) return n.vk;
    if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0])))
        return std::toupper(static_cast<unsigned char>(lower[0]));
    if (lower[0] == 'f' && lower.size() <= 3) {
        int n = 0;
        const auto [end, ec] = std::from_chars(lower.data() + 1, lower.data() + lower.size(), n);
        if (ec == std::errc() && end == lower.data() + lower.size() && n >= 1 && n <= 24)
            return VK_F1 + n - 1;
    }
    int code = 0;
    const auto [end, ec] = std::from_chars(lower.data(), lower.data() + lower.size(), code);
    if (ec == std::errc() && end == lower.data() + lower.size() && code > 0 && code < 256)
        return code;
    return std::nullopt;
}

std::optional<TypedKey> KeyForChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::islower(u)) return TypedKey{std::toupper(u), false};
    if (std::isupper(u)) return TypedKey{u, true};
    if (std::isdigit(u)) return TypedKey{u, false};
    switch (c) {
        case ' ': return TypedKey{VK_SPACE, false};
        case '\r':
        case '\n': return TypedKey{VK_RETURN, false};
        case '\t': return TypedKey{VK_TAB, false};
        case '\b': return TypedKey{VK_BACK, false};
        case 27: return TypedKey{VK_ESCAPE, false};
    }
    // The punctuation of a US keyboard: the unshifted and shifted character per key.
    struct Punct {
        char plain, shifted;
        int vk;
    };
    static constexpr Punct kPunct[] = {{';', ':', 186}, {'=', '+', 187}, {',', '<', 188},
                                       {'-', '_', 189}, {'.', '>', 190}, {'/', '?', 191},
                                       {'`', '~', 192}, {'[', '{', 219}, {'\\', '|', 220},
                                       {']', '}', 221}, {'\'', '"', 222}};
    for (const Punct& p : kPunct) {
        if (c == p.plain) return TypedKey{p.vk, false};
        if (c == p.shifted) return TypedKey{p.vk, true};
    }
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        if (c == kShiftedDigits[d]) return TypedKey{'0' + d, true};
    return std::nullopt;
}

int ReportedKey(int vk) {
    const int common = CommonOf(vk);
    return common != 0 ? common : vk;
}

void KeyState::Set(int vk, bool down) {
    if (vk <= 0 || vk > 255) return;
    if (down && !down_[vk]) pressed_[vk] = true;
    down_[vk] = down;
}

void KeyState::Down(int vk) {
    Set(vk, true);
    if (const int common = CommonOf(vk)) Set(common, true);
}

void KeyState::Up(int vk) {
    Set(vk, false);
    if (const int common = CommonOf(vk)) {
        // The common key stays down while the other side is.
        const bool other = common == VK_SHIFT     ? IsDown(VK_LSHIFT) || IsDown(VK_RSHIFT)
                           : common == VK_CONTROL ? IsDown(VK_LCONTROL) || IsDown(VK_RCONTROL)
                                                  : IsDown(VK_LMENU) || IsDown(VK_RMENU);
        if (!other) Set(common, false);
    }
}

bool KeyState::IsDown(int vk) const { return vk > 0 && vk < 256 && down_[vk]; }

std::int16_t KeyState::Query(int vk) {
    if (vk <= 0 || vk > 255) return 0;
    const bool pressed = pressed_[vk];
    pressed_[vk] = false;
    return static_cast<std::int16_t>((down_[vk] ? 0x8000 : 0) | (pressed ? 1 : 0));
}

int KeyState::ShiftMask() const {
    return (IsDown(VK_SHIFT) ? kShiftMask : 0) | (IsDown(VK_CONTROL) ? kCtrlMask : 0) |
           (IsDown(VK_MENU) ? kAltMask : 0);
}

void KeyState::Reset() {
    down_.fill(false);
    pressed_.fill(false);
}

}  // namespace sheenwork::runtime
