// The tooltip comparison's messages, sent to the real "tooltips_class32" under Wine
// (reference/tooltip_probe.cpp) and to ours (tests/tooltip_test.cpp): the lines of
// tests/data/tooltip/calls.txt, each message sent as the line has it and written back with
// the answer and the record or rectangle the class hands back, for comparison with the line.
//
// And the tips shown for a few texts: where they appear and what they look like.
#pragma once

#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sheenwork::tooltip_check {

// A tool record. Sending: `has_text` with `text` lends the text, with `buffer` > 0 lends
// that many zero bytes instead; no text sends a null pointer. Answered: the fields the
// class wrote, `has_text` false when it took the pointer away.
struct Record {
    std::uint32_t flags = 0;
    long owner = 0, tool = 0;
    bool has_text = false;
    std::string text;
    std::size_t buffer = 0;
};

// A tooltip window to talk to, and the windows the lines name: "F" the form, "A", "B" and
// "C" controls on it.
class Channel {
public:
    virtual ~Channel() = default;
    virtual long Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual long SendRecord(unsigned message, std::uintptr_t wParam, Record& r) = 0;
    virtual long SendRect(unsigned message, int (&rect)[4]) = 0;
    virtual long Hwnd(const std::string& name) = 0;
};

inline constexpr std::pair<const char*, unsigned> kMessages[] = {
    {"SETDELAYTIME", 0x403},   {"ADDTOOLA", 0x404},        {"DELTOOLA", 0x405},
    {"UPDATETIPTEXTA", 0x40C}, {"GETTOOLCOUNT", 0x40D},    {"ENUMTOOLSA", 0x40E},
    {"SETTIPBKCOLOR", 0x413},  {"SETTIPTEXTCOLOR", 0x414}, {"GETDELAYTIME", 0x415},
    {"GETTIPBKCOLOR", 0x416},  {"GETTIPTEXTCOLOR", 0x417}, {"SETMAXTIPWIDTH", 0x418},
    {"GETMAXTIPWIDTH", 0x419}, {"SETMARGIN", 0x41A},       {"GETMARGIN", 0x41B}};
inline bool CarriesRecord(unsigned m) {
    return m == 0x404 || m == 0x405 || m == 0x40C || m == 0x40E;
}
inline bool CarriesRect(unsigned m) { return m == 0x41A || m == 0x41B; }
inline bool CarriesNumber(unsigned m) {
    return m == 0x403 || m == 0x413 || m == 0x414 || m == 0x418;
}

// A window's name ("F", "A", ...) or, for a window the lines do not name, its number.
inline std::string NameOf(Channel& c, long hwnd) {
    for (const char* n : {"F", "A", "B", "C"})
        if (hwnd != 0 && c.Hwnd(n) == hwnd) return n;
    return std::to_string(hwnd);
}

// A message's line: "SETMARGIN 0 (0 4 0 0) -> 0", "GETMARGIN 0 -> 0 (0 4 0 0)",
// "SETDELAYTIME 2 3000 -> 0", "ENUMTOOLSA 0 -> 1 {17 F A "Save"}" ("-" for no text).
inline std::string LineOf(Channel& c, unsigned m, std::uintptr_t w, std::intptr_t l, long answer,
                          const Record& r, const int (&rect)[4]) {
    std::ostringstream out, box;
    box << "(" << rect[0] << " " << rect[1] << " " << rect[2] << " " << rect[3] << ")";
    for (const auto& [name, number] : kMessages)
        if (m == number) out << name << " " << w;
    if (CarriesNumber(m)) out << " " << l;
    if (m == 0x41A) out << " " << box.str();
    out << " -> " << answer;
    if (m == 0x41B) out << " " << box.str();
    if (CarriesRecord(m)) {
        out << " {" << r.flags << " " << NameOf(c, r.owner) << " " << NameOf(c, r.tool) << " ";
        if (r.has_text)
            out << '"' << r.text << "\"}";
        else
            out << "-}";
    }
    return out.str();
}

// Sends the message of `line` ("ENUMTOOLSA 0 -> 1 {17 F A -}") and writes its line again
// with what came back: a record as the line gives it (to an enumeration a zeroed one,
// with a text buffer where the line shows a text), to GETMARGIN a rectangle of -1.
inline std::string Send(Channel& c, const std::string& line) {
    std::istringstream in(line);
    std::string name, word;
    std::uintptr_t w = 0;
    std::intptr_t l = 0;
    in >> name >> w;
    unsigned m = 0;
    for (const auto& [n, number] : kMessages)
        if (name == n) m = number;
    Record r;
    int rect[4] = {-1, -1, -1, -1};
    if (CarriesNumber(m)) in >> l;
    if (m == 0x41A) {
        in >> word >> rect[1] >> rect[2] >> rect[3];
        in.ignore(1);  // ")"
        rect[0] = std::stoi(word.substr(1));
    }
    std::string owner, tool, text;
    long answer = 0;
    in >> word >> answer >> std::ws;
    if (CarriesRecord(m)) {
        in.ignore(1) >> r.flags >> owner >> tool >> std::ws;
        std::getline(in, text);
        r.has_text = text != "-}";
        if (m == 0x40E) {
            r = Record{0, 0, 0, r.has_text, "", r.has_text ? 256u : 0u};
        } else {
            for (auto [name_of, hwnd] : {std::pair{&owner, &r.owner}, std::pair{&tool, &r.tool}})
                *hwnd = std::isdigit(static_cast<unsigned char>((*name_of)[0]))
                            ? std::stol(*name_of)
                            : c.Hwnd(*name_of);
            if (r.has_text) r.text = text.substr(1, text.size() - 3);
        }
        answer = c.SendRecord(m, w, r);
    } else {
        answer = CarriesRect(m) ? c.SendRect(m, rect) : c.Send(m, w, l);
    }
    return LineOf(c, m, w, l, answer, r, rect);
}

// The messages of tests/data/tooltip/calls.txt in order: the cells after a call's result.
inline std::vector<std::string> Messages(std::string path = "") {
    // By default the file beside this one, or, where the compiler named this one by a
    // relative path, the one under the folder the program runs in (the project's).
    std::ifstream in;
    for (std::string name : {path, std::string(__FILE__), std::string("tests/tooltip/x")}) {
        if (name.empty() || in.is_open()) continue;
        if (name != path)
            name.replace(name.rfind('/') + 1, std::string::npos, "../data/tooltip/calls.txt");
#ifdef _WIN32
        if (name[0] == '/') name.insert(0, "Z:");  // under Wine, the build machine's own path
#endif
        in.open(name);
    }
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        for (std::size_t at = line.find(" | "), n = 0; at != std::string::npos && line[0] != '#';
             at = line.find(" | ", at + 3))
            if (++n > 1) out.push_back(line.substr(at + 3, line.find(" | ", at + 3) - at - 3));
    return out;
}

// The tips of the pixel comparison: a form at kFormRect (client area, screen
// coordinates) with the tool window A at kToolRect inside it, the cursor resting at
// kCursor (screen), the maximum width 240.
struct Tip {
    const char* name;
    std::string text;
};
inline const std::vector<Tip>& Tips() {
    static const std::vector<Tip> tips = {
        {"short", "Save"},
        {"wrapped",
         "Saves the document under its current name, replacing the copy that was saved before"},
        {"access-key", "&Save && close"},
        {"lines", "First line\r\nSecond line"},
    };
    return tips;
}
inline constexpr int kFormRect[4] = {100, 100, 500, 300};
inline constexpr int kToolRect[4] = {20, 20, 120, 50};  // in the form
inline constexpr int kCursor[2] = {150, 135};

}  // namespace sheenwork::tooltip_check
