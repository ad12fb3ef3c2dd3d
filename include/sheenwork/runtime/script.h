// Scripted input: a plain-text list of user actions, one a line, replayed against a form
// through the same entry points real input uses. Every step is deterministic: time moves
// only with `wait`, on the runtime's virtual clock.
//
//   # comments start with '#', anywhere on a line
//   move 40 12            the pointer to (40, 12) of the form's client area
//   move cmdOK            ... to the centre of the control cmdOK
//   move cmdOK 3 4        ... to (3, 4) inside cmdOK
//   press [left|right|middle]      a button goes down where the pointer is (left if none)
//   release [left|right|middle]
//   click [left|right|middle] [NAME [X Y]]   move there (if given), press and release
//   key down KEY / key up KEY / key press KEY
//                         KEY: Space, Enter, Escape, Tab, Shift, LAlt, RAlt, A, 5, F1, 65 ...
//                         a key going down types its character, as a keyboard does;
//                         "key press" is down and up
//   type "text"           each character as key down, character, key up ("\"" and "\\")
//   alt KEY               the left Alt held around KEY (an access key)
//   focus NAME            the focus moves to the control
//   wait MS               time goes on by MS milliseconds, timers tick as they are due
//
// A script may come from anyone, so it has bounds: at most kMaxScriptBytes of text, and
// waits that add up to at most kMaxScriptWait of virtual time (an hour). Each running
// timer ticks at most every 10 ms, so the waits of a script cost at most 360 000 ticks of
// each, whatever they say; past either bound the script is refused at its line.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/runtime/clock.h>
#include <sheenwork/runtime/form.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::runtime {

inline constexpr std::int64_t kMaxScriptBytes = std::int64_t{1} << 20;
inline constexpr Millis kMaxScriptWait{3600000};

// A script that cannot be read or run: "steps.txt:3:6: expected ...".
class ScriptError : public std::runtime_error {
public:
    ScriptError(std::string file, int line, int column, const std::string& message);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }
    int Column() const { return column_; }
    const std::string& Message() const { return message_; }

private:
    std::string file_;
    int line_, column_;
    std::string message_;
};

struct Step {
    enum class Kind {
        Move,
        Press,
        Release,
        Click,
        KeyDown,
        KeyUp,
        KeyPress,
        Type,
        Alt,
        Focus,
        Wait
    };
    Kind kind = Kind::Move;
    int line = 0, column = 1;      // where the step stands in its script
    std::string target;            // a control's name, or "" for the form
    int target_column = 0;         // where the name stands, for errors
    std::optional<gdi::Point> at;  // a point in the form or in the target
    int button = 1;                // 1 left, 2 right, 4 middle
    int key = 0;                   // a virtual key
    std::string text;              // Type
    long long millis = 0;          // Wait
};

struct Script {
    std::string file;
    std::vector<Step> steps;
};

// Reads a script; a malformed line throws ScriptError with its line and column.
Script ParseScript(std::string_view text, const std::string& file = "<script>");
// Reads a script file: a regular file only (a folder, a device or a pipe is refused, and
// opening it never waits). One that cannot be read throws ScriptError at line 0, whose
// text is "file: cannot read the script: " and the reason.
Script LoadScript(const std::string& path);

// Replays steps against a form of a runtime.
class Driver {
public:
    Driver(Runtime& runtime, Form& form) : runtime_(runtime), form_(form) {}
    // Runs every step in order; a step that names no control of the form throws
    // ScriptError with its place.
    void Run(const Script& script);
    void Run(const Step& step, const std::string& file = "<script>");
    // Called after each step, to look at the form between steps.
    std::function<void(const Step&)> after_step;

private:
    gdi::Point ScreenPoint(const Step& step, const std::string& file);
    void Key(int vk, bool down);
    void KeyWithCharacter(int vk);
    Runtime& runtime_;
    Form& form_;
};

}  // namespace sheenwork::runtime
