// Reading a form file: one pass over the lines with a stack of open blocks. Each line is
// a comment, a blank, "Begin TYPE [NAME]", "End" or "KEY = VALUE"; every key is checked
// against its block (a control's keys are the ones its class persists) and every value
// against its key's type and range. Problems stop the read, or are collected line by
// line for a checker; either way no FormFile comes out of a file with a problem.
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

#include "runtime/form_file_detail.h"
#include "util/ascii.h"

namespace sheenwork::runtime {

std::string FormFileProblem::Text() const {
    if (line == 0) return file + ": " + message;
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

namespace {

std::string Join(const std::vector<FormFileProblem>& problems) {
    std::string out;
    for (const FormFileProblem& p : problems) out += (out.empty() ? "" : "\n") + p.Text();
    return out;
}

}  // namespace

FormFileError::FormFileError(std::vector<FormFileProblem> problems)
    : std::runtime_error(Join(problems)), problems_(std::move(problems)) {}

namespace formfile {

const ClassDescription* FindControlClass(const Libraries& libraries, std::string_view prog_id) {
    for (const LibraryDescription* library : libraries)
        for (const ClassDescription& cls : library->classes)
            if (cls.kind == ClassKind::Control && library->ProgId(cls) == prog_id) return &cls;
    return nullptr;
}

std::string ControlClassList(const Libraries& libraries) {
    std::string out;
    for (const LibraryDescription* library : libraries)
        for (const ClassDescription& cls : library->classes)
            if (cls.kind == ClassKind::Control)
                out += (out.empty() ? "" : ", ") + library->ProgId(cls);
    return out;
}

const PersistedProperty* FindKey(const ClassDescription& cls, std::string_view key) {
    for (const PersistedProperty& p : cls.persisted)
        if (key == p.key) return &p;
    return nullptr;
}

const EnumInfo* KeyEnumeration(const Libraries& libraries, const ClassDescription& cls,
                               std::string_view key) {
    const MemberInfo* member = nullptr;
    for (const MemberInfo& m : cls.members)
        if (key == m.name) member = &m;
    if (!member) return nullptr;
    for (const LibraryDescription* library : libraries)
        for (const EnumInfo& e : library->enumerations)
            if (std::string_view(e.name) == member->type) return &e;
    return nullptr;
}

const EnumMember* FindEnumMember(const EnumInfo& e, std::string_view name) {
    for (const EnumMember& m : e.members)
        if (name == m.name) return &m;
    return nullptr;
}

const EnumMember* FindEnumMember(const EnumInfo& e, long value) {
    for (const EnumMember& m : e.members)
        if (m.value == value) return &m;
    return nullptr;
}

std::string EnumMemberList(const EnumInfo& e) {
    std::string out;
    for (const EnumMember& m : e.members)
        out += (out.empty() ? "" : ", ") + std::string(m.name) + " = " + std::to_string(m.value);
    return out;
}

namespace {

// The typing slips between two words: letters replaced, left out, added or two
// neighbours swapped (the optimal string alignment distance).
std::size_t Slips(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string Nearest(const std::vector<std::string>& names, std::string_view word) {
    // Words of many letters are no one's typing slip, and would cost a large table.
    if (word.size() > 64) return {};
    const std::string folded = util::AsciiLower(word);
    std::string best;
    std::size_t best_slips = word.size() <= 4 ? 2 : 3;
    for (const std::string& name : names) {
        const std::size_t slips = Slips(folded, util::AsciiLower(name));
        if (slips < best_slips) best = name, best_slips = slips;
    }
    return best;
}

bool IsName(std::string_view s) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (s.empty() || !letter(s[0])) return false;
    for (char c : s)
        if (!letter(c) && !digit(c) && c != '_') return false;
    return true;
}

}  // namespace formfile

namespace {

using formfile::IsName;

// The kinds of value a key takes: the persisted types, and the form's own.
enum class Kind {
    String,
    Long,
    Color,
    Single,
    Integer,
    Boolean,
    Picture,
    Font,
    Position,  // an Integer
    Size,      // 0 to kMaxFormSide
    TabIndex,  // 0 to 32767
    FontSize,  // the font's points, as its Currency holds them
};

Kind KindOf(PersistedType t) {
    switch (t) {
        case PersistedType::String: return Kind::String;
        case PersistedType::Long: return Kind::Long;
        case PersistedType::Color: return Kind::Color;
        case PersistedType::Single: return Kind::Single;
        case PersistedType::Integer: return Kind::Integer;
        case PersistedType::Boolean: return Kind::Boolean;
        case PersistedType::Font: return Kind::Font;
        case PersistedType::Picture: return Kind::Picture;
    }
    return Kind::String;
}

std::string Expected(Kind k) {
    switch (k) {
        case Kind::String: return "a string in double quotes";
        case Kind::Long: return "a Long, a whole number from -2147483648 to 2147483647";
        case Kind::Color: return "a colour, &H with up to 8 hex digits and &, or a Long";
        case Kind::Single: return "a Single, a decimal number such as 12, -0.5 or 1.5e-07";
        case Kind::Integer:
        case Kind::Position: return "an Integer, a whole number from -32768 to 32767";
        case Kind::Boolean: return "True or False";
        case Kind::Picture: return "a picture file's path in double quotes";
        case Kind::Font: return "a Begin Font block";
        case Kind::Size:
            return "a size, a whole number of pixels from 0 to " + std::to_string(kMaxFormSide);
        case Kind::TabIndex: return "a tab index, a whole number from 0 to 32767";
        case Kind::FontSize: return "a point size above 0 and up to 2160, at most four decimals";
    }
    return {};
}

struct KeyInfo {
    const char* key;
    Kind kind;
};

// The keys of a form and of a font block, in the order they are written.
constexpr KeyInfo kFormKeys[] = {
    {"Caption", Kind::String},       {"Left", Kind::Position},       {"Top", Kind::Position},
    {"Width", Kind::Size},           {"Height", Kind::Size},         {"BackColor", Kind::Color},
    {"DefaultButton", Kind::String}, {"CancelButton", Kind::String},
};
constexpr KeyInfo kLayoutKeys[] = {
    {"Left", Kind::Position}, {"Top", Kind::Position},      {"Width", Kind::Size},
    {"Height", Kind::Size},   {"TabIndex", Kind::TabIndex},
};
constexpr KeyInfo kFontKeys[] = {
    {"Name", Kind::String},     {"Size", Kind::FontSize},     {"Weight", Kind::Integer},
    {"Italic", Kind::Boolean},  {"Underline", Kind::Boolean}, {"Strikethrough", Kind::Boolean},
    {"Charset", Kind::Integer},
};
template <std::size_t N>
const KeyInfo* Find(const KeyInfo (&keys)[N], std::string_view key) {
    for (const KeyInfo& k : keys)
        if (key == k.key) return &k;
    return nullptr;
}

template <std::size_t N>
std::vector<std::string> Names(const KeyInfo (&keys)[N]) {
    std::vector<std::string> out;
    for (const KeyInfo& k : keys) out.emplace_back(k.key);
    return out;
}

// ": did you mean NAME?" when a name near `word` is among `names`, else `otherwise`.
std::string Meant(const std::vector<std::string>& names, std::string_view word,
                  const std::string& otherwise) {
    const std::string near = formfile::Nearest(names, word);
    return near.empty() ? otherwise : ": did you mean " + near + "?";
}

template <std::size_t N>
std::string List(const KeyInfo (&keys)[N]) {
    std::string out;
    for (const KeyInfo& k : keys) out += (out.empty() ? "" : ", ") + std::string(k.key);
    return out;
}

// Thrown to end the read at the first problem.
struct Stop {};

// One line, as the reader walks along it.
struct Cursor {
    std::string_view s;
    std::size_t pos = 0;

    int Column() const { return static_cast<int>(pos) + 1; }
    void SkipSpace() {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    }
    // Nothing but a comment left.
    bool AtEnd() const { return pos >= s.size() || s[pos] == '#'; }
    // A run up to a blank, "=", "#" or a quote.
    std::string_view Word() {
        const std::size_t start = pos;
        while (pos < s.size() && s[pos] != ' ' && s[pos] != '\t' && s[pos] != '=' &&
               s[pos] != '#' && s[pos] != '"')
            ++pos;
        return s.substr(start, pos - start);
    }
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// -?digits
std::optional<long long> WholeNumber(std::string_view t, bool& out_of_range) {
    out_of_range = false;
    const std::string_view digits = !t.empty() && t[0] == '-' ? t.substr(1) : t;
    if (!AllDigits(digits)) return std::nullopt;
    long long v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        out_of_range = true;
        return std::nullopt;
    }
    return v;
}

// -?digits(.digits)?([eE][-+]?digits)?
bool IsDecimal(std::string_view t) {
    std::size_t i = !t.empty() && t[0] == '-' ? 1 : 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        return i > start;
    };
    if (!digits()) return false;
    if (i < t.size() && t[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (!digits()) return false;
    }
    return i == t.size();
}

// Points as ten-thousandths: digits, and up to four decimals.
std::optional<long long> FontPoints(std::string_view t) {
    const std::size_t dot = t.find('.');
    const std::string_view whole = t.substr(0, dot);
    const std::string_view frac = dot == std::string_view::npos ? "" : t.substr(dot + 1);
    if (!AllDigits(whole) || whole.size() > 6) return std::nullopt;
    if (dot != std::string_view::npos && (!AllDigits(frac) || frac.size() > 4)) return std::nullopt;
    long long v = 0;
    for (char c : whole) v = v * 10 + (c - '0');
    for (std::size_t i = 0; i < 4; ++i) v = v * 10 + (i < frac.size() ? frac[i] - '0' : 0);
    return v;
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

host::PictureRef LoadRegularPicture(const std::filesystem::path& path) {
    // A device or a pipe could block or never end; a form names picture files.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && status.type() != std::filesystem::file_type::not_found &&
        status.type() != std::filesystem::file_type::regular &&
        status.type() != std::filesystem::file_type::directory)
        vb::Raise(75, {}, "Path/File access error: " + path.string() + ": not a regular file");
    return picture::LoadPicture(path.string());
}

class Reader {
public:
    Reader(std::string_view text, const std::filesystem::path& path, const ReadOptions& options)
        : text_(text), file_(path.string()), options_(options) {
        std::error_code ec;
        folder_ = std::filesystem::absolute(path, ec).parent_path().lexically_normal();
    }

    FormFile Read() {
        try {
            ReadLines();
        } catch (const Stop&) {
        }
        if (!problems_.empty()) throw FormFileError(std::move(problems_));
        return std::move(form_);
    }

private:
    enum class Block { Form, Control, Font, Skipped };

    struct Open {
        Block block = Block::Skipped;
        int line = 0, column = 0;  // of its Begin
        std::string title;         // for messages: "cmdOK", "the form frmMain"
        const ClassDescription* cls = nullptr;
        ControlDescription control;
        std::string font_key;
        host::FontRef font;
        std::map<std::string, int, std::less<>> seen;                  // key -> line set
        std::map<std::string, std::pair<int, int>, std::less<>> refs;  // button -> where
    };

    void Problem(int line, int column, std::string message) {
        problems_.push_back({file_, line, column, std::move(message)});
        if (!options_.all_problems) throw Stop{};
    }
    void Problem(const Cursor& c, std::string message) {
        Problem(line_, c.Column(), std::move(message));
    }

    void ReadLines() {
        std::size_t start = 0;
        while (start < text_.size()) {
            std::size_t end = text_.find('\n', start);
            if (end == std::string_view::npos) end = text_.size();
            std::string_view line = text_.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++line_;
            Line(Cursor{line});
            start = end + 1;
        }
        // Innermost first, as a reader would close them.
        while (!open_.empty()) {
            const Open o = std::move(open_.back());
            open_.pop_back();
            Problem(o.line, o.column,
                    "Begin " + o.title + " is not closed: expected End before the end of the file");
        }
        if (!form_begun_)
            Problem(line_ + 1, 1, "expected Begin Form <name>: the file holds no form");
    }

    void Line(Cursor c) {
        c.SkipSpace();
        if (c.AtEnd()) return;
        const int column = c.Column();
        const std::string_view word = c.Word();
        if (word == "Begin") return Begin(c, column);
        if (word == "End") return End(c, column);
        if (word.empty()) return Problem(c, "expected Begin, End or a key");
        Assignment(c, word, column);
    }

    // ---- Blocks ----

    void Begin(Cursor& c, int column) {
        // A form was meant here, even when its header is wrong: no second complaint that
        // the file holds none.
        if (open_.empty()) form_begun_ = true;
        c.SkipSpace();
        if (c.AtEnd())
            return Problem(c, "expected a block type after Begin: Form, Font or a control class");
        const int type_column = c.Column();
        const std::string type(c.Word());
        c.SkipSpace();
        const int name_column = c.Column();
        const std::string name(c.AtEnd() ? std::string_view() : c.Word());
        c.SkipSpace();
        Open o;
        o.block = Block::Skipped;
        o.line = line_;
        o.column = column;
        o.title = type + (name.empty() ? "" : " " + name);
        // A bad header still opens a block, so that its End closes it.
        const auto open = [&](Block b) {
            o.block = b;
            open_.push_back(std::move(o));
        };
        if (!c.AtEnd()) {
            Problem(c, "expected the end of the line after Begin " + o.title);
            return open(Block::Skipped);
        }
        const Block parent = open_.empty() ? Block::Skipped : open_.back().block;
        if (open_.empty()) {
            if (form_done_) {
                Problem(line_, column, "expected nothing after the form's End");
            } else if (type != "Form") {
                Problem(line_, type_column, "expected Begin Form <name>");
            } else if (CheckName(name, name_column, "the form's name after Begin Form")) {
                form_.name = name;
                o.title = "Form " + name;
                return open(Block::Form);
            }
            return open(Block::Skipped);
        }
        if (parent == Block::Skipped) return open(Block::Skipped);
        if (parent == Block::Font) {
            Problem(line_, column, "a font holds no blocks: expected a font key or End");
            return open(Block::Skipped);
        }
        if (type == "Font")
            return BeginFont(o, name, name_column, parent) ? open(Block::Font)
                                                           : open(Block::Skipped);
        if (parent == Block::Control) {
            Problem(line_, column, "a control holds no other block: expected Begin Font or End");
            return open(Block::Skipped);
        }
        if (type == "Form") {
            Problem(line_, column,
                    "a form holds no other form: expected Begin Font, Begin <control class> "
                    "<name> or End");
            return open(Block::Skipped);
        }
        const ClassDescription* cls = formfile::FindControlClass(options_.libraries, type);
        if (!cls) {
            Problem(line_, type_column,
                    "unknown control class " + type + ": expected one of " +
                        formfile::ControlClassList(options_.libraries));
            return open(Block::Skipped);
        }
        if (!CheckName(name, name_column, "an instance name after Begin " + type))
            return open(Block::Skipped);
        const auto [it, fresh] = names_.try_emplace(util::AsciiLower(name), name, line_);
        if (!fresh)
            Problem(line_, name_column,
                    "a control named " + it->second.first + " is already on line " +
                        std::to_string(it->second.second) + ": expected a name of its own");
        o.cls = cls;
        o.title = type + " " + name;
        o.control.class_name = type;
        o.control.name = name;
        o.control.tab_index = static_cast<int>(form_.controls.size());
        open(Block::Control);
    }

    // The form's font ("Begin Font") or one of a control's font keys ("Begin Font KEY",
    // the key "Font" when none is named).
    bool BeginFont(Open& o, const std::string& name, int name_column, Block parent) {
        Open& owner = open_.back();
        const std::string key = name.empty() ? "Font" : name;
        if (parent == Block::Form && key != "Font") {
            Problem(line_, name_column, "a form has one font: expected Begin Font");
            return false;
        }
        if (parent == Block::Control) {
            const PersistedProperty* p = formfile::FindKey(*owner.cls, key);
            if (!p || p->type != PersistedType::Font) {
                Problem(line_, name_column,
                        key + " is not a font of " + owner.control.class_name +
                            ": expected one of " + FontKeys(*owner.cls));
                return false;
            }
        }
        if (!FirstTime(owner, key, name_column)) return false;
        o.font_key = key;
        o.title = "Font" + (name.empty() ? "" : " " + name);
        o.font = std::make_shared<vb::StdFont>();
        return true;
    }

    void End(Cursor& c, int column) {
        c.SkipSpace();
        // What follows is reported, and the block closed all the same: that is what the
        // line says, and the rest of the file reads on as meant.
        if (!c.AtEnd()) Problem(c, "expected the end of the line after End");
        if (open_.empty()) {
            return Problem(
                line_, column,
                form_done_ ? "expected nothing after the form's End" : "End without a Begin");
        }
        Open o = std::move(open_.back());
        open_.pop_back();
        switch (o.block) {
            case Block::Skipped: return;
            case Block::Font:
                if (open_.back().block == Block::Form)
                    form_.font = o.font;
                else
                    open_.back().control.properties.push_back({o.font_key, vb::Object(o.font)});
                return;
            case Block::Control: form_.controls.push_back(std::move(o.control)); return;
            case Block::Form:
                for (const auto& [key, where] : o.refs) {
                    const std::string& button =
                        key == "DefaultButton" ? form_.default_button : form_.cancel_button;
                    if (!HasControl(button))
                        Problem(where.first, where.second,
                                key + ": the form has no control named " + button +
                                    ": expected the name of one of its controls");
                }
                form_done_ = true;
                return;
        }
    }

    // ---- Keys ----

    void Assignment(Cursor& c, std::string_view key, int column) {
        c.SkipSpace();
        if (c.pos >= c.s.size() || c.s[c.pos] != '=')
            return Problem(c, "expected = after " + std::string(key));
        ++c.pos;
        c.SkipSpace();
        if (open_.empty()) {
            return Problem(line_, column,
                           form_done_ ? "expected nothing after the form's End"
                                      : "expected Begin Form <name>");
        }
        Open& o = open_.back();
        if (o.block == Block::Skipped) return;
        const std::optional<Kind> kind = KindFor(o, key, column);
        if (!kind || !FirstTime(o, key, column)) return;
        const std::string name(key);
        const int value_column = c.Column();
        const EnumInfo* names = o.block == Block::Control && *kind == Kind::Long
                                    ? formfile::KeyEnumeration(options_.libraries, *o.cls, key)
                                    : nullptr;
        const std::optional<vb::Variant> value = Value(c, name, *kind, names);
        if (!value) return;
        c.SkipSpace();
        if (!c.AtEnd())
            return Problem(c, "expected the end of the line after the value of " + name);
        Store(o, name, *value, value_column);
    }

    std::optional<Kind> KindFor(const Open& o, std::string_view key, int column) {
        const std::string k(key);
        switch (o.block) {
            case Block::Form:
                if (const KeyInfo* f = Find(kFormKeys, key)) return f->kind;
                Problem(line_, column,
                        "unknown form key " + k +
                            Meant(Names(kFormKeys), key,
                                  ": expected one of " + List(kFormKeys) +
                                      ", Begin Font or Begin "
                                      "<control class> <name>"));
                return std::nullopt;
            case Block::Font:
                if (const KeyInfo* f = Find(kFontKeys, key)) return f->kind;
                Problem(line_, column,
                        "unknown font key " + k +
                            Meant(Names(kFontKeys), key, ": expected one of " + List(kFontKeys)));
                return std::nullopt;
            case Block::Control: {
                if (const KeyInfo* f = Find(kLayoutKeys, key)) return f->kind;
                const PersistedProperty* p = formfile::FindKey(*o.cls, key);
                if (!p) {
                    std::vector<std::string> keys = Names(kLayoutKeys);
                    for (const PersistedProperty& q : o.cls->persisted) keys.push_back(q.key);
                    Problem(line_, column,
                            o.control.class_name + " has no property " + k +
                                Meant(keys, key,
                                      ": expected Left, Top, Width, Height, TabIndex or a key it "
                                      "saves, such as Caption"));
                    return std::nullopt;
                }
                if (p->type == PersistedType::Font) {
                    Problem(line_, column,
                            k + " is a font: expected Begin Font" + (k == "Font" ? "" : " " + k));
                    return std::nullopt;
                }
                return KindOf(p->type);
            }
            case Block::Skipped: break;
        }
        return std::nullopt;
    }

    // Whether `key` is new in the block; a second setting is a problem.
    bool FirstTime(Open& o, std::string_view key, int column) {
        const auto it = o.seen.find(key);
        if (it != o.seen.end()) {
            Problem(line_, column,
                    std::string(key) + " is set twice: first on line " +
                        std::to_string(it->second) + ", expected once");
            return false;
        }
        o.seen.emplace(std::string(key), line_);
        return true;
    }

    void Store(Open& o, const std::string& key, const vb::Variant& v, int column) {
        switch (o.block) {
            case Block::Form:
                if (key == "Caption") form_.caption = std::get<std::string>(v);
                if (key == "Left") form_.position.left = vb::CLng(v);
                if (key == "Top") form_.position.top = vb::CLng(v);
                if (key == "Width") form_.size.width = vb::CLng(v);
                if (key == "Height") form_.size.height = vb::CLng(v);
                if (key == "BackColor") form_.back_color = static_cast<std::uint32_t>(vb::CLng(v));
                if (key == "DefaultButton" || key == "CancelButton") {
                    (key == "DefaultButton" ? form_.default_button : form_.cancel_button) =
                        std::get<std::string>(v);
                    o.refs[key] = {line_, column};
                }
                return;
            case Block::Control: {
                ControlDescription& d = o.control;
                if (key == "Left")
                    d.position.left = vb::CLng(v);
                else if (key == "Top")
                    d.position.top = vb::CLng(v);
                else if (key == "Width")
                    d.size.width = vb::CLng(v);
                else if (key == "Height")
                    d.size.height = vb::CLng(v);
                else if (key == "TabIndex")
                    o.control.tab_index = vb::CLng(v);
                else
                    o.control.properties.push_back({key, v});
                return;
            }
            case Block::Font: {
                vb::StdFont& f = *o.font;
                if (key == "Name") f.Name(std::get<std::string>(v));
                if (key == "Size") f.Size(vb::CDbl(v) / 10000.0);
                if (key == "Weight") f.Weight(vb::CInt(v));
                if (key == "Italic") f.Italic(vb::CBool(v));
                if (key == "Underline") f.Underline(vb::CBool(v));
                if (key == "Strikethrough") f.Strikethrough(vb::CBool(v));
                if (key == "Charset") f.Charset(vb::CInt(v));
                return;
            }
            case Block::Skipped: return;
        }
    }

    // ---- Values ----

    // `names`: the enumeration whose member names the key takes besides numbers.
    std::optional<vb::Variant> Value(Cursor& c, const std::string& key, Kind kind,
                                     const EnumInfo* names = nullptr) {
        const int column = c.Column();
        const std::string expected = names ? "a member of " + std::string(names->name) + " (" +
                                                 formfile::EnumMemberList(*names) + ") or " +
                                                 Expected(kind)
                                           : Expected(kind);
        const auto wrong = [&]() -> std::optional<vb::Variant> {
            Problem(line_, column, key + ": expected " + expected);
            return std::nullopt;
        };
        if (kind == Kind::String || kind == Kind::Picture) {
            if (c.pos >= c.s.size() || c.s[c.pos] != '"') return wrong();
            const std::optional<std::string> s = String(c);
            if (!s) return std::nullopt;
            if (kind == Kind::String) return vb::Variant(*s);
            return Picture(key, *s, column);
        }
        std::size_t end = c.pos;
        while (end < c.s.size() && c.s[end] != ' ' && c.s[end] != '\t' && c.s[end] != '#') ++end;
        const std::string_view token = c.s.substr(c.pos, end - c.pos);
        c.pos = end;
        const auto out_of_range = [&]() -> std::optional<vb::Variant> {
            Problem(
                line_, column,
                key + ": " + std::string(token) + " is out of range: expected " + Expected(kind));
            return std::nullopt;
        };
        if (names && IsName(token)) {
            if (const EnumMember* m = formfile::FindEnumMember(*names, token))
                return vb::Variant(static_cast<vb::Long>(m->value));
            std::vector<std::string> members;
            for (const EnumMember& m : names->members) members.emplace_back(m.name);
            Problem(line_, column,
                    key + ": " + std::string(token) + " is no member of " + names->name +
                        Meant(members, token, ": expected " + expected));
            return std::nullopt;
        }
        switch (kind) {
            case Kind::Boolean:
                if (token == "True") return vb::Variant(vb::True);
                if (token == "False") return vb::Variant(vb::False);
                return wrong();
            case Kind::Single: {
                if (!IsDecimal(token)) return wrong();
                float f = 0;
                const auto r = std::from_chars(token.data(), token.data() + token.size(), f);
                if (r.ec != std::errc()) return out_of_range();
                return vb::Variant(vb::Single{f});
            }
            case Kind::FontSize: {
                const std::optional<long long> e4 = FontPoints(token);
                if (!e4) return wrong();
                if (*e4 <= 0 || *e4 > 21600000) return out_of_range();
                return vb::Variant(vb::Double(static_cast<double>(*e4)));
            }
            case Kind::Color:
                if (token.size() >= 2 && token.substr(0, 2) == "&H") return Hex(token, wrong);
                [[fallthrough]];
            default: {
                bool too_big = false;
                const std::optional<long long> v = WholeNumber(token, too_big);
                if (too_big) return out_of_range();
                if (!v) return wrong();
                long long lo = INT32_MIN, hi = INT32_MAX;
                if (kind == Kind::Integer || kind == Kind::Position) lo = -32768, hi = 32767;
                if (kind == Kind::Size) lo = 0, hi = kMaxFormSide;
                if (kind == Kind::TabIndex) lo = 0, hi = 32767;
                if (*v < lo || *v > hi) return out_of_range();
                if (kind == Kind::Integer) return vb::Variant(static_cast<vb::Integer>(*v));
                return vb::Variant(static_cast<vb::Long>(*v));
            }
        }
    }

    // &H, one to eight hex digits, &: the bits of a Long.
    template <class Wrong>
    std::optional<vb::Variant> Hex(std::string_view token, Wrong& wrong) {
        const std::string_view digits = token.substr(2, token.size() - 2 - (token.back() == '&'));
        if (token.size() < 4 || token.back() != '&' || digits.size() > 8) return wrong();
        std::uint32_t bits = 0;
        for (char d : digits) {
            if (HexDigit(d) < 0) return wrong();
            bits = bits << 4 | static_cast<std::uint32_t>(HexDigit(d));
        }
        return vb::Variant(static_cast<vb::Long>(bits));
    }

    // A string literal at the cursor, its escapes undone.
    std::optional<std::string> String(Cursor& c) {
        const int open_column = c.Column();
        std::string out;
        ++c.pos;
        while (true) {
            if (c.pos >= c.s.size()) {
                Problem(line_, open_column,
                        "unclosed string: expected \" before the end of the line");
                return std::nullopt;
            }
            const char ch = c.s[c.pos];
            const auto byte = static_cast<unsigned char>(ch);
            if (ch == '"') break;
            if (byte < 0x20 || byte == 0x7F) {
                Problem(c, "a control character in a string: expected it written as \\xHH");
                return std::nullopt;
            }
            if (ch != '\\') {
                out += ch;
                ++c.pos;
                continue;
            }
            const char e = c.pos + 1 < c.s.size() ? c.s[c.pos + 1] : '\0';
            if (e == '"' || e == '\\')
                out += e;
            else if (e == 'n')
                out += '\n';
            else if (e == 'r')
                out += '\r';
            else if (e == 't')
                out += '\t';
            else if (e == 'x' && c.pos + 3 < c.s.size() && HexDigit(c.s[c.pos + 2]) >= 0 &&
                     HexDigit(c.s[c.pos + 3]) >= 0) {
                out += static_cast<char>(HexDigit(c.s[c.pos + 2]) * 16 + HexDigit(c.s[c.pos + 3]));
                c.pos += 2;
            } else {
                Problem(c,
                        "unknown escape: expected \\\", \\\\, \\n, \\r, \\t or \\x and two hex "
                        "digits");
                return std::nullopt;
            }
            c.pos += 2;
        }
        ++c.pos;
        return out;
    }

    std::optional<vb::Variant> Picture(const std::string& key, const std::string& written,
                                       int column) {
        if (written.empty()) return vb::Variant(vb::Object(picture::LoadPicture("")));
        const std::filesystem::path resolved = (folder_ / written).lexically_normal();
        const auto cached = pictures_.find(resolved.string());
        if (cached != pictures_.end()) return vb::Variant(vb::Object(cached->second));
        try {
            host::PictureRef p = options_.load_picture ? options_.load_picture(resolved)
                                                       : LoadRegularPicture(resolved);
            if (!p) vb::Raise(481);
            pictures_.emplace(resolved.string(), p);
            return vb::Variant(vb::Object(std::move(p)));
        } catch (const vb::RuntimeError& e) {
            // The path as the file writes it says more to its reader than our folder.
            std::string why = e.Description();
            ReplaceAll(why, resolved.string(), written);
            Problem(line_, column, key + ": cannot load the picture: " + why);
        }
        return std::nullopt;
    }

    // ---- Names ----

    bool CheckName(const std::string& name, int column, const std::string& what) {
        if (name.empty()) {
            Problem(line_, column, "expected " + what);
            return false;
        }
        if (!IsName(name)) {
            Problem(line_, column,
                    name + " is not a name: expected a letter, then letters, digits or _");
            return false;
        }
        return true;
    }

    // Names compare without regard to case; a form of thousands of controls looks each one
    // up by its folded name.
    bool HasControl(const std::string& name) const {
        return names_.contains(util::AsciiLower(name));
    }

    static std::string FontKeys(const ClassDescription& cls) {
        std::string out;
        for (const PersistedProperty& p : cls.persisted)
            if (p.type == PersistedType::Font)
                out += (out.empty() ? "" : ", ") + std::string(p.key);
        return out;
    }

    std::string_view text_;
    std::string file_;
    const ReadOptions& options_;
    std::filesystem::path folder_;
    int line_ = 0;
    std::vector<Open> open_;
    FormFile form_;
    bool form_done_ = false;
    bool form_begun_ = false;
    // Every control's name as written and its line, by folded name.
    std::unordered_map<std::string, std::pair<std::string, int>> names_;
    std::map<std::string, host::PictureRef> pictures_;
    std::vector<FormFileProblem> problems_;
};

}  // namespace

FormFile ParseFormFile(std::string_view text, const std::filesystem::path& path,
                       const ReadOptions& options) {
    return Reader(text, path, options).Read();
}

FormFile ReadFormFile(const std::filesystem::path& path, const ReadOptions& options) {
    const auto cannot = [&](const std::string& why) {
        return FormFileError({{path.string(), 0, 0, "cannot read the file: " + why}});
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw cannot("it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw cannot(std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw cannot("read failed");
    return ParseFormFile(text.str(), path, options);
}

}  // namespace sheenwork::runtime
