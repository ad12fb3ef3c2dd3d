#include <sheenwork/runtime/script.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "util/ascii.h"
#include "util/read_file.h"
#include "util/shown.h"

namespace sheenwork::runtime {
namespace {

struct Token {
    std::string text;
    int column;
    bool quoted = false;
};

// Splits a line into words and quoted strings, stopping at a comment.
std::vector<Token> Tokenise(std::string_view line, const std::string& file, int number) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        const int column = static_cast<int>(i) + 1;
        if (c == '"') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\') {
                    if (i >= line.size()) break;
                    const char e = line[i++];
                    if (e == 'n')
                        text += '\n';
                    else if (e == 't')
                        text += '\t';
                    else if (e == '"' || e == '\\')
                        text += e;
                    else
                        throw ScriptError(file, number, static_cast<int>(i) - 1,
                                          std::string("unknown escape '\\") + e +
                                              "'; expected \\\", \\\\, \\n or \\t");
                    continue;
                }
                text += d;
            }
            if (!closed) throw ScriptError(file, number, column, "unterminated string");
            out.push_back({text, column, true});
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
               line[end] != '#')
            ++end;
        out.push_back({std::string(line.substr(i, end - i)), column});
        i = end;
    }
    return out;
}

class LineReader {
public:
    LineReader(std::vector<Token> tokens, const std::string& file, int line, int end_column)
        : tokens_(std::move(tokens)), file_(file), line_(line), end_column_(end_column) {}

    bool AtEnd() const { return next_ >= tokens_.size(); }
    const Token* Peek() const { return AtEnd() ? nullptr : &tokens_[next_]; }
    // The column where a missing word would stand.
    int Column() const { return AtEnd() ? end_column_ : tokens_[next_].column; }
    [[noreturn]] void Fail(const std::string& message) const { FailAt(Column(), message); }
    [[noreturn]] void FailAt(int column, const std::string& message) const {
        throw ScriptError(file_, line_, column, message);
    }
    Token Word(const std::string& expected) {
        if (AtEnd()) Fail("expected " + expected);
        return tokens_[next_++];
    }
    long long Number(const std::string& expected, long long min, long long max) {
        const Token t = Word(expected);
        long long v = 0;
        const auto [end, ec] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), v);
        if (t.quoted || ec != std::errc() || end != t.text.data() + t.text.size() || v < min ||
            v > max)
            FailAt(t.column, "expected " + expected + ", not '" + util::Shown(t.text) + "'");
        return v;
    }
    bool IsNumber() const {
        const Token* t = Peek();
        if (!t || t->quoted || t->text.empty()) return false;
        const std::size_t start = t->text[0] == '-' ? 1 : 0;
        return start < t->text.size() &&
               std::all_of(t->text.begin() + static_cast<long>(start), t->text.end(),
                           [](unsigned char c) { return std::isdigit(c) != 0; });
    }
    void End() {
        if (!AtEnd())
            Fail("unexpected '" + util::Shown(tokens_[next_].text) + "' at the end of the step");
    }

private:
    std::vector<Token> tokens_;
    const std::string& file_;
    int line_;
    int end_column_;
    std::size_t next_ = 0;
};

constexpr long long kCoordinate = 1000000;

std::optional<int> ButtonFromName(const std::string& word) {
    const std::string w = util::AsciiLower(word);
    if (w == "left") return 1;
    if (w == "right") return 2;
    if (w == "middle") return 4;
    return std::nullopt;
}

// [NAME] [X Y]: a control's name and/or a point.
void Place(LineReader& r, Step& s, bool point_required) {
    if (!r.AtEnd() && !r.IsNumber()) {
        s.target_column = r.Column();
        s.target = r.Word("a control's name").text;
    }
    if (r.IsNumber() || (point_required && s.target.empty())) {
        const int x = static_cast<int>(r.Number("an x coordinate", -kCoordinate, kCoordinate));
        const int y = static_cast<int>(r.Number("a y coordinate", -kCoordinate, kCoordinate));
        s.at = gdi::Point{x, y};
    }
}

int KeyWord(LineReader& r) {
    const Token t = r.Word("a key (Space, Enter, Escape, Tab, A, F1, a key code)");
    const auto vk = KeyFromName(t.text);
    if (!vk || t.quoted) r.FailAt(t.column, "unknown key '" + util::Shown(t.text) + "'");
    return *vk;
}

Step ParseLine(LineReader& r, int line) {
    Step s;
    s.line = line;
    s.column = r.Column();
    const std::string verb = util::AsciiLower(r.Word("a step").text);
    if (verb == "move") {
        s.kind = Step::Kind::Move;
        if (r.AtEnd()) r.Fail("expected a control's name or a point");
        Place(r, s, false);
    } else if (verb == "press" || verb == "release" || verb == "click") {
        s.kind = verb == "press"     ? Step::Kind::Press
                 : verb == "release" ? Step::Kind::Release
                                     : Step::Kind::Click;
        if (const Token* t = r.Peek(); t && !t->quoted) {
            if (const auto b = ButtonFromName(t->text)) {
                s.button = *b;
                r.Word("");
            }
        }
        if (s.kind == Step::Kind::Click && !r.AtEnd()) Place(r, s, false);
    } else if (verb == "key") {
        const int column = r.Column();
        const std::string how = util::AsciiLower(r.Word("down, up or press").text);
        if (how == "down")
            s.kind = Step::Kind::KeyDown;
        else if (how == "up")
            s.kind = Step::Kind::KeyUp;
        else if (how == "press")
            s.kind = Step::Kind::KeyPress;
        else
            r.FailAt(column,
                     "expected down, up or press after 'key', not '" + util::Shown(how) + "'");
        s.key = KeyWord(r);
    } else if (verb == "type") {
        s.kind = Step::Kind::Type;
        const Token t = r.Word("a quoted text");
        if (!t.quoted)
            r.FailAt(t.column, "expected a quoted text, not '" + util::Shown(t.text) + "'");
        for (char c : t.text)
            if (!KeyForChar(c))
                r.FailAt(t.column, std::string("no key types the character '") + c + "'");
        s.text = t.text;
    } else if (verb == "alt") {
        s.kind = Step::Kind::Alt;
        s.key = KeyWord(r);
    } else if (verb == "focus") {
        s.kind = Step::Kind::Focus;
        s.target_column = r.Column();
        s.target = r.Word("a control's name").text;
    } else if (verb == "wait") {
        s.kind = Step::Kind::Wait;
        s.millis = r.Number(
            "a whole number of milliseconds up to " + std::to_string(kMaxScriptWait.count()), 0,
            kMaxScriptWait.count());
    } else {
        r.FailAt(s.column, "unknown step '" + util::Shown(verb) +
                               "'; expected move, press, release, click, key, type, alt, focus "
                               "or wait");
    }
    r.End();
    return s;
}

}  // namespace

ScriptError::ScriptError(std::string file, int line, int column, const std::string& message)
    : std::runtime_error(util::Printable(line == 0 ? file + ": " + message
                                                   : file + ":" + std::to_string(line) + ":" +
                                                         std::to_string(column) + ": " + message)),
      file_(std::move(file)),
      line_(line),
      column_(column),
      message_(message) {}

Script ParseScript(std::string_view text, const std::string& file) {
    Script script;
    script.file = file;
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        throw ScriptError(file,
                          static_cast<int>(std::count(text.begin(), text.begin() + nul, '\n')) + 1,
                          static_cast<int>(nul - (text.rfind('\n', nul) + 1)) + 1,
                          "a NUL byte: this is not a script's text: expected text");
    long long waited = 0;
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        ++number;
        auto tokens = Tokenise(line, file, number);
        if (!tokens.empty()) {
            LineReader reader(std::move(tokens), file, number, static_cast<int>(line.size()) + 1);
            script.steps.push_back(ParseLine(reader, number));
            const Step& step = script.steps.back();
            waited += step.millis;
            if (waited > kMaxScriptWait.count())
                throw ScriptError(
                    file, number, step.column,
                    "the waits add up to " + std::to_string(waited) + " ms, more than the " +
                        std::to_string(kMaxScriptWait.count()) + " ms (an hour) a script may wait");
        }
        if (end == text.size()) break;
        start = end + 1;
    }
    return script;
}

Script LoadScript(const std::string& path) {
    std::string text;
    try {
        text = util::ReadWholeFile(path, kMaxScriptBytes);
    } catch (const util::ReadFileError& e) {
        throw ScriptError(path, 0, 0, std::string("cannot read the script: ") + e.what());
    }
    return ParseScript(text, path);
}

// ---- replay ----

gdi::Point Driver::ScreenPoint(const Step& step, const std::string& file) {
    const gdi::Rect form = form_.ScreenRect();
    if (step.target.empty()) {
        const gdi::Point p = step.at.value_or(gdi::Point{0, 0});
        return {form.left + p.x, form.top + p.y};
    }
    Window* w = form_.Find(step.target);
    if (!w)
        throw ScriptError(file, step.line, step.target_column,
                          "no control named '" + step.target + "' on form " + form_.Name());
    const gdi::Rect r = w->ScreenRect();
    if (step.at) return {r.left + step.at->x, r.top + step.at->y};
    return {r.left + r.Width() / 2, r.top + r.Height() / 2};
}

void Driver::Key(int vk, bool down) {
    if (down)
        runtime_.KeyDown(vk);
    else
        runtime_.KeyUp(vk);
}

void Driver::KeyWithCharacter(int vk) {
    Key(vk, true);
    // The character the key types, as the keyboard layout gives it on the key's way
    // down: with Ctrl a letter types its control character and other keys none.
    const bool shift = runtime_.Keys().IsDown(VK_SHIFT);
    const bool ctrl = runtime_.Keys().IsDown(VK_CONTROL);
    char c = 0;
    if (ctrl)
        c = vk >= 'A' && vk <= 'Z' ? static_cast<char>(vk - 'A' + 1) : 0;
    else if (vk >= 'A' && vk <= 'Z')
        c = static_cast<char>(shift ? vk : std::tolower(vk));
    else if (vk >= '0' && vk <= '9')
        c = static_cast<char>(vk);
    else if (vk == VK_SPACE)
        c = ' ';
    else if (vk == VK_RETURN)
        c = '\r';
    else if (vk == VK_ESCAPE)
        c = 27;
    else if (vk == VK_TAB)
        c = '\t';
    else if (vk == VK_BACK)
        c = 8;
    if (c != 0) runtime_.Char(c);
}

void Driver::Run(const Script& script) {
    for (const Step& step : script.steps) Run(step, script.file);
}

void Driver::Run(const Step& step, const std::string& file) {
    switch (step.kind) {
        case Step::Kind::Move: runtime_.MouseMove(ScreenPoint(step, file)); break;
        case Step::Kind::Press: runtime_.MouseDown(step.button); break;
        case Step::Kind::Release: runtime_.MouseUp(step.button); break;
        case Step::Kind::Click:
            if (!step.target.empty() || step.at) runtime_.MouseMove(ScreenPoint(step, file));
            runtime_.MouseDown(step.button);
            runtime_.MouseUp(step.button);
            break;
        case Step::Kind::KeyDown: KeyWithCharacter(step.key); break;
        case Step::Kind::KeyUp: Key(step.key, false); break;
        case Step::Kind::KeyPress:
            KeyWithCharacter(step.key);
            Key(step.key, false);
            break;
        case Step::Kind::Type:
            for (char c : step.text) {
                const TypedKey k = *KeyForChar(c);
                if (k.shift) Key(VK_LSHIFT, true);
                Key(k.vk, true);
                runtime_.Char(c == '\n' ? '\r' : c);
                Key(k.vk, false);
                if (k.shift) Key(VK_LSHIFT, false);
            }
            break;
        case Step::Kind::Alt:
            Key(VK_LMENU, true);
            Key(step.key, true);
            Key(step.key, false);
            Key(VK_LMENU, false);
            break;
        case Step::Kind::Focus: {
            Window* w = form_.Find(step.target);
            if (!w)
                throw ScriptError(file, step.line, step.target_column,
                                  "no control named '" + step.target + "' on form " + form_.Name());
            runtime_.SetFocus(w);
            break;
        }
        case Step::Kind::Wait: runtime_.Advance(Millis(step.millis)); break;
    }
    runtime_.DoEvents();
    if (after_step) after_step(step);
}

}  // namespace sheenwork::runtime
