// Virtual keys and the key state the runtime keeps, as Windows keeps them: for every key
// whether it is down now and whether it was pressed since the last time it was asked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sheenwork::runtime {

// The virtual-key codes the runtime and its scripts name.
enum VirtualKey : int {
    VK_LBUTTON = 1,
    VK_RBUTTON = 2,
    VK_MBUTTON = 4,
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_DELETE = 46,
    VK_F1 = 112,
    VK_LSHIFT = 160,
    VK_RSHIFT = 161,
    VK_LCONTROL = 162,
    VK_RCONTROL = 163,
    VK_LMENU = 164,
    VK_RMENU = 165,
};

// The Shift argument of mouse and key events: a mask of the modifier keys held.
enum ShiftMask : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// A key by its script name ("Space", "Enter", "LAlt", "A", "F5", "65"), without regard to
// case; empty when there is none.
std::optional<int> KeyFromName(std::string_view name);
// The key a character is typed with on a US layout, and whether Shift is needed.
struct TypedKey {
    int vk;
    bool shift;
};
std::optional<TypedKey> KeyForChar(char c);

// The key a window is told of: a left or right modifier is reported as its common key
// (Shift 16, Control 17, Alt 18), as Windows does; every other key as itself.
int ReportedKey(int vk);

class KeyState {
public:
    // A key goes down or up. The left and right Alt, Shift and Control keys also move
    // their common key (18, 16, 17), which stays down while either side is.
    void Down(int vk);
    void Up(int vk);
    bool IsDown(int vk) const;
    // GetAsyncKeyState: bit 15 while the key is down, bit 0 when it was pressed since the
    // previous query of the same key (which this query clears).
    std::int16_t Query(int vk);
    // The Shift mask of the modifiers held now.
    int ShiftMask() const;
    // Every key up, nothing pending (a form losing the input, a new script).
    void Reset();

private:
    void Set(int vk, bool down);
    std::array<bool, 256> down_{};
    std::array<bool, 256> pressed_{};
};

}  // namespace sheenwork::runtime
