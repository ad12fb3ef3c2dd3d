// The tooltip comparison's script, run against the real "tooltips_class32" under Wine
// (reference/tooltip_probe.cpp) and against ours (tests/tooltip_test.cpp): the messages
// sheenToolTip sends for a fixed run of wrapper calls, with every answer and every record
// the class hands back written as one line each. The tests also check that the wrapper
// itself sends exactly these lines, so the lookups below (enumerate until the tool's
// window comes up) are the wrapper's, written a second time.
//
// And the tips shown for a few texts: where they appear and what they look like.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace sheenwork::tooltip_check {

// A tool record as the script sees it. Sending: `has_text` with `text` lends the text,
// with `buffer` > 0 lends that many zero bytes instead; no text sends a null pointer.
// Answered: the fields the class wrote, `has_text` false when it took the pointer away.
struct Record {
    std::uint32_t flags = 0;
    long owner = 0, tool = 0;
    bool has_text = false;
    std::string text;
    std::size_t buffer = 0;
};

// A tooltip window to talk to, and the windows the script names: "F" the form, "A" and
// "B" two tools on it, "C" a window that never becomes a tool.
class Channel {
public:
    virtual ~Channel() = default;
    virtual long Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual long SendRecord(unsigned message, std::uintptr_t wParam, Record& r) = 0;
    virtual long SendRect(unsigned message, int (&rect)[4]) = 0;
    virtual long Hwnd(const std::string& name) = 0;
};

enum : unsigned {
    kSetDelayTime = 0x403,
    kAddToolA = 0x404,
    kDelToolA = 0x405,
    kUpdateTipTextA = 0x40C,
    kGetToolCount = 0x40D,
    kEnumToolsA = 0x40E,
    kSetTipBkColor = 0x413,
    kSetTipTextColor = 0x414,
    kGetDelayTime = 0x415,
    kGetTipBkColor = 0x416,
    kGetTipTextColor = 0x417,
    kSetMaxTipWidth = 0x418,
    kGetMaxTipWidth = 0x419,
    kSetMargin = 0x41A,
    kGetMargin = 0x41B,
};

inline const char* MessageName(unsigned m) {
    switch (m) {
        case kSetDelayTime: return "SETDELAYTIME";
        case kAddToolA: return "ADDTOOLA";
        case kDelToolA: return "DELTOOLA";
        case kUpdateTipTextA: return "UPDATETIPTEXTA";
        case kGetToolCount: return "GETTOOLCOUNT";
        case kEnumToolsA: return "ENUMTOOLSA";
        case kSetTipBkColor: return "SETTIPBKCOLOR";
        case kSetTipTextColor: return "SETTIPTEXTCOLOR";
        case kGetDelayTime: return "GETDELAYTIME";
        case kGetTipBkColor: return "GETTIPBKCOLOR";
        case kGetTipTextColor: return "GETTIPTEXTCOLOR";
        case kSetMaxTipWidth: return "SETMAXTIPWIDTH";
        case kGetMaxTipWidth: return "GETMAXTIPWIDTH";
        case kSetMargin: return "SETMARGIN";
        case kGetMargin: return "GETMARGIN";
        default: return "?";
    }
}

// One line: "ENUMTOOLSA 0 -> 1 {17 F A "Save"}", a record after the answer, "-" for a
// record without text; a rectangle as "(l t r b)"; lParam only where it is a number.
// (Streams rather than string additions: GCC 12 warns falsely inside operator+.)
inline std::string RecordText(const Record& r, const std::string& owner, const std::string& tool) {
    std::ostringstream out;
    out << "{" << r.flags << " " << owner << " " << tool << " ";
    if (r.has_text)
        out << '"' << r.text << '"';
    else
        out << "-";
    out << "}";
    return out.str();
}
inline std::string RectText(const int (&r)[4]) {
    std::ostringstream out;
    out << "(" << r[0] << " " << r[1] << " " << r[2] << " " << r[3] << ")";
    return out.str();
}
inline std::string Line(unsigned message, std::uintptr_t wParam, const std::string& lParam,
                        long answer, const std::string& after = "") {
    std::ostringstream out;
    out << MessageName(message) << " " << wParam;
    if (!lParam.empty()) out << " " << lParam;
    out << " -> " << answer;
    if (!after.empty()) out << " " << after;
    return out.str();
}

// The tool texts of the run: the second is longer than the 80 bytes a record's text
// buffer is taken to hold.
inline const std::string kTextA = "Save the file";
inline const std::string kTextB =
    "Opens the document that was used last, with every setting it was saved with, at once";
inline const std::string kTextA2 = "Saved";

class Script {
public:
    explicit Script(Channel& c) : c_(c) {}

    std::vector<std::string> Run() {
        Get(kGetMaxTipWidth);
        for (unsigned kind = 0; kind < 4; ++kind) Get(kGetDelayTime, kind);
        Get(kGetTipBkColor);
        Get(kGetTipTextColor);
        Margin();
        // QI.Create(form, A, kTextA, 3000, 240), and again with B.
        Create("A", kTextA);
        Create("B", kTextB);
        // AddTool(A, "Other") finds A and adds nothing.
        Lookup("A", 0);
        // ToolText(A), ToolText(B): read back through buffers of lMaxTextLen bytes.
        Lookup("A", kTextB.size() + 1);
        Lookup("B", kTextB.size() + 1);
        // ToolText(A) = kTextA2.
        if (Record r = Lookup("A", 0); found_) Update(r, kTextA2);
        // DelayTime(0) = 1000 sets the other three from it.
        Set(kSetDelayTime, 0, 1000);
        for (unsigned kind = 0; kind < 4; ++kind) Get(kGetDelayTime, kind);
        Set(kSetTipBkColor, 0x00FFCC99, 0);
        Set(kSetTipTextColor, 0x00000080, 0);
        Get(kGetTipBkColor);
        Get(kGetTipTextColor);
        // Margin(1) = 4, Margin(7) = 9 (no side), Margin(1).
        SetMargin(1, 4);
        SetMargin(7, 9);
        Margin();
        // MaxTipWidth = 0: no limit.
        Set(kSetMaxTipWidth, 0, -1);
        Get(kGetMaxTipWidth);
        // RemoveTool(A), RemoveTool(C): only a tool is deleted.
        if (Record r = Lookup("A", 0); found_) Delete(r);
        if (Record r = Lookup("C", 0); found_) Delete(r);
        Get(kGetToolCount);
        Lookup("A", kTextB.size() + 1);
        return lines_;
    }

private:
    std::string Name(long hwnd) {
        for (const char* n : {"F", "A", "B", "C"})
            if (hwnd != 0 && c_.Hwnd(n) == hwnd) return n;
        return std::to_string(hwnd);
    }
    long Get(unsigned message, std::uintptr_t wParam = 0) {
        const long answer = c_.Send(message, wParam, 0);
        lines_.push_back(Line(message, wParam, "", answer));
        return answer;
    }
    void Set(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        const long answer = c_.Send(message, wParam, lParam);
        lines_.push_back(Line(message, wParam, std::to_string(lParam), answer));
    }
    void SendRecord(unsigned message, std::uintptr_t wParam, Record& r) {
        const long answer = c_.SendRecord(message, wParam, r);
        last_ = answer;
        lines_.push_back(
            Line(message, wParam, "", answer, RecordText(r, Name(r.owner), Name(r.tool))));
    }
    void Margin() {
        int r[4] = {-1, -1, -1, -1};
        const long answer = c_.SendRect(kGetMargin, r);
        lines_.push_back(Line(kGetMargin, 0, "", answer, RectText(r)));
    }
    void SetMargin(int side, int pixels) {
        int r[4] = {-1, -1, -1, -1};
        long answer = c_.SendRect(kGetMargin, r);
        lines_.push_back(Line(kGetMargin, 0, "", answer, RectText(r)));
        if (side >= 0 && side < 4) r[side] = pixels;
        answer = c_.SendRect(kSetMargin, r);
        lines_.push_back(Line(kSetMargin, 0, RectText(r), answer));
    }
    // GetToolInfo: enumerate until the tool's window comes up.
    Record Lookup(const std::string& tool, std::size_t buffer) {
        Record r;
        r.has_text = buffer > 0;
        r.buffer = buffer;
        found_ = false;
        const long count = Get(kGetToolCount);
        for (long i = 0; i < count; ++i) {
            SendRecord(kEnumToolsA, static_cast<std::uintptr_t>(i), r);
            if (last_ != 0 && r.tool == c_.Hwnd(tool)) {
                found_ = true;
                break;
            }
            r.buffer = r.has_text ? buffer : 0;
        }
        return r;
    }
    void Update(Record r, const std::string& text) {
        r.has_text = true;
        r.text = text;
        r.buffer = 0;
        SendRecord(kUpdateTipTextA, 0, r);
    }
    void Delete(Record r) { SendRecord(kDelToolA, 0, r); }
    void Create(const std::string& tool, const std::string& text) {
        Set(kSetMaxTipWidth, 0, 240);
        Set(kSetDelayTime, 2, 3000);
        Record found = Lookup(tool, 0);
        if (!found_) {
            Record r;
            r.flags = 17;
            r.owner = c_.Hwnd("F");
            r.tool = c_.Hwnd(tool);
            r.has_text = true;
            r.text = text;
            SendRecord(kAddToolA, 0, r);
        }
        if (Record again = Lookup(tool, 0); found_) Update(again, text);
    }

    Channel& c_;
    std::vector<std::string> lines_;
    bool found_ = false;
    long last_ = 0;
};

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
