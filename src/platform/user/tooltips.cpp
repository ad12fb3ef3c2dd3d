// "tooltips_class32": the common controls' tooltip window, our own.
//
// Tools are control windows (TTF_IDISHWND: the tool is the whole window uId) or
// rectangles of a window. With TTF_SUBCLASS the tool window's mouse messages reach the
// tip first, through the host's relay. What the tip does with them and with its timers
// (the times are the delay kinds):
//
//   relayed move onto a tool from outside  start SHOW (initial)
//   relayed move from one tool to another  hide; stop LEAVE; start SHOW (reshow)
//   relayed move off every tool            hide; stop LEAVE
//   relayed move within the tool shown     restart POP (autopop)
//   relayed button down or up              hide (LEAVE keeps running)
//   SHOW ticks                             stop SHOW; if the cursor is still on the same
//                                          tool, show its text and start POP and LEAVE
//   POP ticks                              hide
//   LEAVE ticks (every reshow time)        the cursor is asked where it is, as for a move
//
// A tool's window only hears the pointer while the pointer is over it, so leaving is
// found by LEAVE. A tip is shown 20 pixels below the cursor, kept inside the work area,
// sized to its text (wrapped at the maximum width when one is set) plus 2 pixels and the
// margins on each side, inside a 1-pixel border of the window frame colour; it is filled
// with its back colour and its text drawn in the status font, "&" marking an access key.
#include <sheenwork/user/user.h>
#include <sheenwork/vb/syscolors.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/user/classes.h"

namespace sheenwork::user {
namespace {

using std::chrono::milliseconds;

constexpr int COLOR_WINDOWFRAME = 6, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24;
// The system's double-click time: the automatic delay the others derive from.
constexpr int kDoubleClickTime = 500;
// ANSI text read back from a tool: the buffer is taken to hold 80 bytes.
constexpr std::size_t kMaxTextA = 80;
// Offset of the text from the client edge.
constexpr int kTextMargin = 2;

struct Tool {
    std::uint32_t flags = 0;
    Hwnd window = 0;  // the record's hwnd
    std::uint32_t id = 0;
    gdi::Rect rect;
    std::int32_t hinst = 0;
    bool has_text = false;
    std::string text;  // ANSI
    // The window whose mouse messages locate the tool.
    Hwnd Owner() const { return (flags & TTF_IDISHWND) ? static_cast<Hwnd>(id) : window; }
};

// The text a record points to, up to its terminating 0 and within the buffer lent.
std::string TextOf(std::uint32_t address) {
    const std::span<char> buffer = TextAt(address);
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    return std::string(buffer.begin(), end);
}

class ToolTipWindow final : public WindowProcedure {
public:
    ToolTipWindow(WindowHost& host, Hwnd self, std::uint32_t style)
        : host_(host), self_(self), style_(style) {
        SetDelayTime(TTDT_AUTOMATIC, 0);
        // The status font of the non-client metrics: Tahoma, 8 points.
        std::strcpy(font_.lfFaceName, "Tahoma");
        font_.lfHeight = -11;
    }

    LResult Message(unsigned message, WParam wParam, LParam lParam) override {
        auto* record = reinterpret_cast<TOOLINFOA*>(lParam);
        switch (message) {
            case TTM_SETDELAYTIME:
                // Only the low word counts, taken without its sign.
                SetDelayTime(static_cast<int>(wParam), static_cast<int>(lParam & 0xFFFF));
                return 0;
            case TTM_GETDELAYTIME: return GetDelayTime(static_cast<int>(wParam));
            case TTM_ADDTOOLA: return record ? AddTool(*record) : 0;
            case TTM_DELTOOLA:
                if (record) DelTool(*record);
                return 0;
            case TTM_UPDATETIPTEXTA:
                if (record) UpdateTipText(*record);
                return 0;
            case TTM_GETTOOLCOUNT: return static_cast<LResult>(tools_.size());
            case TTM_ENUMTOOLSA: return record ? EnumTools(wParam, *record) : 0;
            case TTM_SETTIPBKCOLOR: back_ = static_cast<gdi::ColorRef>(wParam); return 0;
            case TTM_SETTIPTEXTCOLOR: fore_ = static_cast<gdi::ColorRef>(wParam); return 0;
            case TTM_GETTIPBKCOLOR: return back_;
            case TTM_GETTIPTEXTCOLOR: return fore_;
            case TTM_SETMAXTIPWIDTH: return std::exchange(max_width_, static_cast<int>(lParam));
            case TTM_GETMAXTIPWIDTH: return max_width_;
            case TTM_SETMARGIN:
                if (lParam) margin_ = *reinterpret_cast<const gdi::Rect*>(lParam);
                return 0;
            case TTM_GETMARGIN:
                if (lParam) *reinterpret_cast<gdi::Rect*>(lParam) = margin_;
                return 0;
            default: return 0;
        }
    }

    void Destroying() override {
        for (int* timer : {&show_, &pop_, &leave_}) Kill(*timer);
        for (const Tool& t : tools_)
            if (t.flags & TTF_SUBCLASS) host_.SetMouseRelay(t.Owner(), this, {});
    }

private:
    void SetDelayTime(int kind, int ms) {
        switch (kind) {
            case TTDT_AUTOMATIC:
                if (ms <= 0) ms = kDoubleClickTime;
                reshow_ = ms / 5;
                autopop_ = ms * 10;
                initial_ = ms;
                break;
            case TTDT_RESHOW: reshow_ = ms; break;
            case TTDT_AUTOPOP: autopop_ = ms; break;
            case TTDT_INITIAL: initial_ = ms; break;
            default: break;
        }
    }

    LResult GetDelayTime(int kind) const {
        switch (kind) {
            case TTDT_RESHOW: return reshow_;
            case TTDT_AUTOPOP: return autopop_;
            // The automatic delay answers as the initial one.
            case TTDT_AUTOMATIC:
            case TTDT_INITIAL: return initial_;
            default: return -1;
        }
    }

    // The tool a record names: a rectangle tool by window and id, else a window tool by
    // its window.
    int Find(const TOOLINFOA& r) const {
        for (std::size_t i = 0; i < tools_.size(); ++i)
            if (!(tools_[i].flags & TTF_IDISHWND) && tools_[i].window == r.hwnd &&
                tools_[i].id == r.uId)
                return static_cast<int>(i);
        for (std::size_t i = 0; i < tools_.size(); ++i)
            if ((tools_[i].flags & TTF_IDISHWND) && tools_[i].id == r.uId)
                return static_cast<int>(i);
        return -1;
    }

    int FromPoint(Hwnd window, gdi::Point p) const {
        for (std::size_t i = 0; i < tools_.size(); ++i) {
            const Tool& t = tools_[i];
            if (!(t.flags & TTF_IDISHWND) && t.window == window && p.x >= t.rect.left &&
                p.x < t.rect.right && p.y >= t.rect.top && p.y < t.rect.bottom)
                return static_cast<int>(i);
        }
        for (std::size_t i = 0; i < tools_.size(); ++i)
            if ((tools_[i].flags & TTF_IDISHWND) && static_cast<Hwnd>(tools_[i].id) == window)
                return static_cast<int>(i);
        return -1;
    }

    // Text from a record: none for no address or a resource number (we have no
    // resources), else the ANSI text lent.
    static void TakeText(Tool& t, const TOOLINFOA& r) {
        t.has_text = r.lpszText >= 0x10000 && r.lpszText != 0xFFFFFFFFu;
        t.text = t.has_text ? TextOf(r.lpszText) : std::string();
    }

    LResult AddTool(const TOOLINFOA& r) {
        // The record is added as it comes, also for a tool already there.
        Tool t{r.uFlags, r.hwnd, r.uId, r.rect, r.hinst, false, {}};
        if (r.cbSize >= sizeof(TOOLINFOA)) TakeText(t, r);
        tools_.push_back(t);
        if (t.flags & TTF_SUBCLASS) {
            const Hwnd window = t.Owner();
            host_.SetMouseRelay(window, this, [this, window](unsigned message, gdi::Point p) {
                Relay(window, message, p);
            });
        }
        return 1;
    }

    void DelTool(const TOOLINFOA& r) {
        const int n = Find(r);
        if (n < 0) return;
        Hide();
        const Tool gone = tools_[static_cast<std::size_t>(n)];
        tools_.erase(tools_.begin() + n);
        // The subclass is the window's, not the tool's: it goes for every tool on it.
        if (gone.flags & TTF_SUBCLASS) host_.SetMouseRelay(gone.Owner(), this, {});
        for (int* index : {&tool_, &current_}) {
            if (*index == n)
                *index = -1;
            else if (*index > n)
                --*index;
        }
    }

    LResult EnumTools(WParam index, TOOLINFOA& r) const {
        if (r.cbSize < sizeof(TOOLINFOA) || index >= tools_.size()) return 0;
        const Tool& t = tools_[index];
        r.uFlags = t.flags;
        r.hwnd = static_cast<std::int32_t>(t.window);
        r.uId = t.id;
        r.rect = t.rect;
        r.hinst = t.hinst;
        if (r.lpszText != 0) {
            if (!t.has_text) {
                r.lpszText = 0;
            } else {
                const std::span<char> buffer = TextAt(r.lpszText);
                std::string copy = t.text.substr(0, std::min(t.text.size(), kMaxTextA));
                if (copy.size() < kMaxTextA) copy += '\0';
                std::copy_n(copy.begin(), std::min(copy.size(), buffer.size()), buffer.begin());
            }
        }
        return 1;
    }

    void UpdateTipText(const TOOLINFOA& r) {
        if (r.cbSize < sizeof(TOOLINFOA)) return;
        const int n = Find(r);
        if (n < 0) return;
        Tool& t = tools_[static_cast<std::size_t>(n)];
        t.hinst = r.hinst;
        TakeText(t, r);
        // A tip on show takes its new text in place.
        if (current_ != -1) Show();
    }

    // ---- showing ----

    // The text shown: up to a tab, which ends it unless prefixes are off.
    std::string TipText(int n) const {
        std::string text = tools_[static_cast<std::size_t>(n)].text;
        if (!(style_ & TTS_NOPREFIX)) text = text.substr(0, text.find('\t'));
        return text;
    }

    unsigned TextFormat() const {
        unsigned format = gdi::DT_EXTERNALLEADING;
        if (max_width_ > -1) format |= gdi::DT_WORDBREAK;
        if (style_ & TTS_NOPREFIX) format |= gdi::DT_NOPREFIX;
        return format;
    }

    void Show() {
        if (tool_ == -1) return;
        const int before = current_;
        current_ = tool_;
        const std::string text = TipText(tool_);
        host::Surface* surface = host_.PopupSurface(self_);
        if (text.empty() || !surface) {
            current_ = before;
            return;
        }
        gdi::Gdi& gdi = surface->Gdi();
        const gdi::Hdc dc = surface->hDC();
        const gdi::Hgdiobj font = gdi.CreateFontIndirect(font_);
        const gdi::Hgdiobj old_font = gdi.SelectObject(dc, font);
        gdi::Rect extent{0, 0, max_width_ > -1 ? max_width_ : 0, 0};
        gdi.DrawTextA(dc, text.c_str(), -1, &extent, TextFormat() | gdi::DT_CALCRECT);
        const int cx = extent.Width() + 2 * kTextMargin + margin_.left + margin_.right;
        const int cy = extent.Height() + 2 * kTextMargin + margin_.top + margin_.bottom;

        // Below the cursor, kept inside the work area; above the tool when it would
        // leave the bottom.
        const gdi::Point cursor = host_.GetCursorPos();
        gdi::Rect r{cursor.x, cursor.y + 20, cursor.x + cx, cursor.y + 20 + cy};
        const gdi::Rect work = host_.WorkArea();
        if (r.right > work.right) {
            r.left -= r.right - work.right + 2;
            r.right = work.right - 2;
        }
        if (r.left < work.left) r.left = work.left;
        if (r.bottom > work.bottom) {
            const Tool& t = tools_[static_cast<std::size_t>(tool_)];
            gdi::Rect tool = t.rect;
            if (t.flags & TTF_IDISHWND) {
                tool = host_.GetWindowRect(t.Owner()).value_or(gdi::Rect{});
            } else if (const auto w = host_.GetWindowRect(t.window)) {
                tool = {w->left + tool.left, w->top + tool.top, w->left + tool.right,
                        w->top + tool.bottom};
            }
            r.bottom = tool.top - 2;
            r.top = r.bottom - cy;
        }
        // The border lies outside the client area.
        r = {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};

        gdi.SelectObject(dc, old_font);
        gdi.DeleteObject(font);
        host_.PlacePopup(self_, r);
        Paint(text);
        host_.ShowPopup(self_, true);
        Start(pop_, autopop_, [this] { Hide(); });
        Start(leave_, reshow_, [this] { Leave(); });
    }

    void Paint(const std::string& text) {
        host::Surface* surface = host_.PopupSurface(self_);
        if (!surface) return;
        gdi::Gdi& gdi = surface->Gdi();
        const gdi::Hdc dc = surface->hDC();
        const int w = static_cast<int>(surface->ScaleWidth()),
                  h = static_cast<int>(surface->ScaleHeight());
        const gdi::Rect window{0, 0, w, h}, client{1, 1, w - 1, h - 1};
        const auto fill = [&](const gdi::Rect& r, gdi::ColorRef color) {
            const gdi::Hgdiobj brush = gdi.CreateSolidBrush(color);
            gdi.FillRect(dc, &r, brush);
            gdi.DeleteObject(brush);
        };
        fill(window, vb::SysColor(COLOR_WINDOWFRAME));
        fill(client, back_);
        gdi::Rect text_rect{client.left + kTextMargin + margin_.left,
                            client.top + kTextMargin + margin_.top,
                            client.right - kTextMargin - margin_.right,
                            client.bottom - kTextMargin - margin_.bottom};
        const int old_mode = gdi.SetBkMode(dc, gdi::TRANSPARENT);
        const gdi::ColorRef old_color = gdi.SetTextColor(dc, fore_);
        const gdi::Hgdiobj font = gdi.CreateFontIndirect(font_);
        const gdi::Hgdiobj old_font = gdi.SelectObject(dc, font);
        gdi.DrawTextA(dc, text.c_str(), -1, &text_rect, TextFormat());
        gdi.SelectObject(dc, old_font);
        gdi.DeleteObject(font);
        gdi.SetTextColor(dc, old_color);
        gdi.SetBkMode(dc, old_mode);
    }

    void Hide() {
        if (current_ == -1) return;
        Kill(pop_);
        current_ = -1;
        host_.ShowPopup(self_, false);
    }

    // ---- the pointer ----

    void Relay(Hwnd window, unsigned message, gdi::Point p) {
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP: Hide(); return;
            case WM_MOUSEMOVE: break;
            default: return;
        }
        const int before = tool_;
        tool_ = FromPoint(window, p);
        if (tool_ != before) {
            Moved(before, initial_);
        } else if (current_ != -1) {
            Start(pop_, autopop_, [this] { Hide(); });
        } else if (tool_ != -1) {
            // An earlier attempt showed nothing: try again.
            Start(show_, initial_, [this] { ShowDue(); });
        }
    }

    // The cursor went from tool `before` to tool_ (either may be -1).
    void Moved(int before, int show_after) {
        if (tool_ == -1) {
            Hide();
            Kill(leave_);
        } else if (before == -1) {
            Start(show_, show_after, [this] { ShowDue(); });
        } else {
            Hide();
            Kill(leave_);
            Start(show_, reshow_, [this] { ShowDue(); });
        }
    }

    // The tool under the cursor, as the window under it says.
    int ToolAtCursor() {
        const gdi::Point cursor = host_.GetCursorPos();
        const Hwnd window = host_.WindowFromPoint(cursor);
        if (window == 0) return -1;
        const gdi::Rect r = host_.GetWindowRect(window).value_or(gdi::Rect{});
        return FromPoint(window, {cursor.x - r.left, cursor.y - r.top});
    }

    void ShowDue() {
        Kill(show_);
        const int before = tool_;
        tool_ = ToolAtCursor();
        if (tool_ == before) Show();
    }

    void Leave() {
        const int before = tool_;
        tool_ = ToolAtCursor();
        // Coming from outside cannot be seen here: LEAVE runs only after a tip showed.
        if (tool_ != before && before != -1) Moved(before, reshow_);
    }

    // ---- timers ----

    void Start(int& timer, int ms, std::function<void()> tick) {
        Kill(timer);
        timer = host_.SetTimer(milliseconds(ms), [tick = std::move(tick)] {
            try {
                tick();
            } catch (...) {
                // A timer's work that fails is dropped: nothing leaves a window procedure.
            }
        });
    }
    void Kill(int& timer) {
        if (timer != 0) host_.KillTimer(timer);
        timer = 0;
    }

    WindowHost& host_;
    Hwnd self_;
    std::uint32_t style_;
    std::vector<Tool> tools_;
    gdi::ColorRef back_ = vb::SysColor(COLOR_INFOBK);
    gdi::ColorRef fore_ = vb::SysColor(COLOR_INFOTEXT);
    gdi::LogFont font_;
    int max_width_ = -1;
    gdi::Rect margin_;
    int reshow_ = 0, autopop_ = 0, initial_ = 0;
    int tool_ = -1;     // the tool the cursor was on at the last relay or LEAVE tick
    int current_ = -1;  // the tool whose tip shows
    int show_ = 0, pop_ = 0, leave_ = 0;
};

}  // namespace

std::unique_ptr<WindowProcedure> MakeToolTipWindow(WindowHost& host, Hwnd self,
                                                   std::uint32_t style) {
    return std::make_unique<ToolTipWindow>(host, self, style);
}

}  // namespace sheenwork::user
