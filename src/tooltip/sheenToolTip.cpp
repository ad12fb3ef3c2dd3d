#include "tooltip/sheenToolTip.h"

#include <sheenwork/host/form_object.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/error.h>

#include <span>

namespace sheenwork::tooltip {
namespace {

constexpr char kModule[] = "sheenToolTip";
constexpr std::uint32_t kAddFlags = user::TTF_IDISHWND | user::TTF_SUBCLASS;  // 17

// A property of an object read late-bound, as VB reads it from a Variant.
vb::Variant Property(const vb::Variant& object, const char* name) {
    const vb::Object o = vb::CObj(object);
    if (o.IsNothing()) vb::Raise(91);
    const auto d = o.AsDispatch();
    if (!d) vb::Raise(438);
    std::vector<vb::Variant> none;
    return d->Invoke(name, vb::InvokeKind::PropertyGet, none);
}

vb::Long HwndOf(const vb::Variant& object) { return vb::CLng(Property(object, "hWnd")); }

// The late-bound object a Variant holds, if any (no conversion, nothing raised).
std::shared_ptr<vb::Dispatch> DispatchOf(const vb::Variant& object) {
    const auto* o = std::get_if<vb::Object>(&object);
    return o ? o->AsDispatch() : nullptr;
}

// False only for an object that says it has no such property; any other object is asked.
bool MayHave(const vb::Variant& object, std::string_view name) {
    const auto* holder = dynamic_cast<const PropertyHolder*>(DispatchOf(object).get());
    return !holder || holder->HasProperty(name);
}

bool IsForm(const vb::Variant& object) {
    return dynamic_cast<host::FormObject*>(DispatchOf(object).get()) != nullptr;
}

}  // namespace

sheenToolTip::~sheenToolTip() {
    Procedure p{"Class_Terminate", ModuleKind::ClassModule, kModule};
    p([&] {
        if (hwndTip != 0) user::DestroyWindow(hwndTip);
    });
}

vb::Long sheenToolTip::Send(unsigned message, user::WParam wParam, user::LParam lParam) {
    // The answer as the declaration takes it: a Long.
    return static_cast<vb::Long>(user::SendMessageA(hwndTip, message, wParam, lParam));
}

vb::Boolean sheenToolTip::Create(const vb::Variant& frm) {
    Procedure p{"Create", ModuleKind::ClassModule, kModule};
    vb::Boolean result;
    p([&] {
        if (!IsForm(frm)) p.Exit();
    });
    if (hwndTip == 0) {
        vb::Long owner = 0;
        p([&] { user::InitCommonControls(); });
        p([&] { owner = HwndOf(frm); });
        // No module handles here: the instance is 0.
        p([&] {
            hwndTip = static_cast<vb::Long>(user::CreateWindowExA(
                0, "tooltips_class32", "", user::TTS_ALWAYSTIP, 0, 0, 0, 0, owner, 0, 0, nullptr));
        });
    }
    p([&] { result = vb::Boolean(hwndTip != 0); });
    return result;
}

vb::Boolean sheenToolTip::AddTool(const vb::Variant& ctrl,
                                  const std::optional<std::string>& sText) {
    Procedure p{"AddTool", ModuleKind::ClassModule, kModule};
    vb::Boolean result;
    if (hwndTip == 0) return result;
    vb::Long hwnd = 0;
    user::TOOLINFOA ti;
    std::string unused, text;
    bool found = false;
    p([&] { hwnd = HwndOf(ctrl); });
    p([&] { GetToolInfo(hwnd, ti, unused, false, found); });
    p([&] {
        if (found) p.Exit();
    });
    // A record of its own: the search above left the last tool it saw in `ti`, whose
    // owner, rectangle and instance are not this tool's.
    p([&] { ti = user::TOOLINFOA{}; });
    p([&] { ti.uFlags = kAddFlags; });
    // A control outside any container leaves the owner 0.
    if (MayHave(ctrl, "Container"))
        IgnoreErrors([&] { ti.hwnd = HwndOf(Property(ctrl, "Container")); });
    p([&] { ti.uId = static_cast<std::uint32_t>(hwnd); });
    p([&] { text = vb::ToAnsi(sText.value_or("")); });
    p([&] { lMaxTextLen = Max(lMaxTextLen, static_cast<vb::Long>(text.size()) + 1); });
    p([&] {
        const user::LentText lent(std::span<char>(text.data(), text.size() + 1));
        ti.lpszText = lent.Address();
        result = vb::Boolean(Send(user::TTM_ADDTOOLA, 0, reinterpret_cast<user::LParam>(&ti)) != 0);
    });
    return result;
}

vb::Boolean sheenToolTip::RemoveTool(const vb::Variant& ctrl) {
    Procedure p{"RemoveTool", ModuleKind::ClassModule, kModule};
    vb::Boolean result;
    if (hwndTip == 0) return result;
    user::TOOLINFOA ti;
    std::string unused;
    bool found = false;
    p([&] { GetToolInfo(HwndOf(ctrl), ti, unused, false, found); });
    p([&] {
        if (!found) return;
        Send(user::TTM_DELTOOLA, 0, reinterpret_cast<user::LParam>(&ti));
        result = vb::True;
    });
    return result;
}

vb::Long sheenToolTip::BackColor() {
    Procedure p{"BackColor", ModuleKind::ClassModule, kModule};
    vb::Long result = 0;
    if (hwndTip != 0) p([&] { result = Send(user::TTM_GETTIPBKCOLOR, 0, 0); });
    return result;
}
void sheenToolTip::BackColor(vb::Long clr) {
    Procedure p{"BackColor", ModuleKind::ClassModule, kModule};
    if (hwndTip != 0) p([&] { Send(user::TTM_SETTIPBKCOLOR, static_cast<std::uint32_t>(clr), 0); });
}

vb::Long sheenToolTip::ForeColor() {
    Procedure p{"ForeColor", ModuleKind::ClassModule, kModule};
    vb::Long result = 0;
    if (hwndTip != 0) p([&] { result = Send(user::TTM_GETTIPTEXTCOLOR, 0, 0); });
    return result;
}
void sheenToolTip::ForeColor(vb::Long clr) {
    Procedure p{"ForeColor", ModuleKind::ClassModule, kModule};
    if (hwndTip != 0)
        p([&] { Send(user::TTM_SETTIPTEXTCOLOR, static_cast<std::uint32_t>(clr), 0); });
}

vb::Long sheenToolTip::DelayTime(vb::Long dwType) {
    Procedure p{"DelayTime", ModuleKind::ClassModule, kModule};
    vb::Long result = 0;
    if (hwndTip != 0)
        p([&] { result = Send(user::TTM_GETDELAYTIME, static_cast<user::WParam>(dwType & 3), 0); });
    return result;
}
void sheenToolTip::DelayTime(vb::Long dwType, vb::Long dwMilliSecs) {
    Procedure p{"DelayTime", ModuleKind::ClassModule, kModule};
    if (hwndTip != 0)
        p([&] {
            Send(user::TTM_SETDELAYTIME, static_cast<user::WParam>(dwType & 3), dwMilliSecs);
        });
}

vb::Long sheenToolTip::hwnd() { return hwndTip; }

namespace {
int* Side(gdi::Rect& r, vb::Long dwType) {
    switch (dwType) {
        case 0: return &r.left;
        case 1: return &r.top;
        case 2: return &r.right;
        case 3: return &r.bottom;
        default: return nullptr;
    }
}
}  // namespace

vb::Long sheenToolTip::Margin(vb::Long dwType) {
    Procedure p{"Margin", ModuleKind::ClassModule, kModule};
    vb::Long result = 0;
    if (hwndTip == 0) return result;
    gdi::Rect r;
    p([&] { Send(user::TTM_GETMARGIN, 0, reinterpret_cast<user::LParam>(&r)); });
    p([&] {
        if (const int* side = Side(r, dwType)) result = *side;
    });
    return result;
}
void sheenToolTip::Margin(vb::Long dwType, vb::Long cPixels) {
    Procedure p{"Margin", ModuleKind::ClassModule, kModule};
    if (hwndTip == 0) return;
    gdi::Rect r;
    p([&] { Send(user::TTM_GETMARGIN, 0, reinterpret_cast<user::LParam>(&r)); });
    p([&] {
        if (int* side = Side(r, dwType)) *side = cPixels;
    });
    p([&] { Send(user::TTM_SETMARGIN, 0, reinterpret_cast<user::LParam>(&r)); });
}

vb::Integer sheenToolTip::MaxTipWidth() {
    Procedure p{"MaxTipWidth", ModuleKind::ClassModule, kModule};
    vb::Integer result = 0;
    if (hwndTip != 0) p([&] { result = LoWord2(Send(user::TTM_GETMAXTIPWIDTH, 0, 0)); });
    return result;
}
void sheenToolTip::MaxTipWidth(vb::Integer cx) {
    Procedure p{"MaxTipWidth", ModuleKind::ClassModule, kModule};
    if (hwndTip != 0) p([&] { Send(user::TTM_SETMAXTIPWIDTH, 0, cx < 1 ? -1 : cx); });
}

vb::Integer sheenToolTip::ToolCount() {
    Procedure p{"ToolCount", ModuleKind::ClassModule, kModule};
    vb::Integer result = 0;
    if (hwndTip != 0) p([&] { result = vb::CInt(Send(user::TTM_GETTOOLCOUNT, 0, 0)); });
    return result;
}

std::string sheenToolTip::ToolText(const vb::Variant& ctrl) {
    Procedure p{"ToolText", ModuleKind::ClassModule, kModule};
    std::string result;
    if (hwndTip == 0) return result;
    user::TOOLINFOA ti;
    std::string buffer;
    bool found = false;
    p([&] { GetToolInfo(HwndOf(ctrl), ti, buffer, true, found); });
    p([&] {
        if (found) result = vb::FromAnsi(GetStrFromBufferA(buffer));
    });
    return result;
}

void sheenToolTip::ToolText(const vb::Variant& ctrl, const std::string& sText) {
    Procedure p{"ToolText", ModuleKind::ClassModule, kModule};
    if (hwndTip == 0) return;
    user::TOOLINFOA ti;
    std::string unused, text;
    bool found = false;
    p([&] { GetToolInfo(HwndOf(ctrl), ti, unused, false, found); });
    if (!found) return;
    p([&] { text = vb::ToAnsi(sText); });
    p([&] { lMaxTextLen = Max(lMaxTextLen, static_cast<vb::Long>(text.size()) + 1); });
    p([&] {
        const user::LentText lent(std::span<char>(text.data(), text.size() + 1));
        ti.lpszText = lent.Address();
        Send(user::TTM_UPDATETIPTEXTA, 0, reinterpret_cast<user::LParam>(&ti));
    });
}

// The tool whose uId is `hwnd`, by enumeration. With text, the record lends a buffer of
// lMaxTextLen zero bytes, which `text` keeps afterwards; a tool without text takes the
// record's pointer away, and so the text of every tool enumerated after it.
void sheenToolTip::GetToolInfo(vb::Long hwnd, user::TOOLINFOA& ti, std::string& text, bool withText,
                               bool& found) {
    Procedure p{"GetToolInfo", ModuleKind::ClassModule, kModule};
    vb::Integer count = 0;
    std::optional<user::LentText> lent;
    p([&] { ti.cbSize = sizeof(user::TOOLINFOA); });
    if (withText) {
        p([&] {
            text.assign(static_cast<std::size_t>(lMaxTextLen), '\0');
            lent.emplace(std::span<char>(text.data(), text.size()));
            ti.lpszText = lent->Address();
        });
    }
    p([&] { count = ToolCount(); });
    for (vb::Integer i = 0; i < count && !p.Ended(); ++i) {
        bool stop = false;
        p([&] {
            if (Send(user::TTM_ENUMTOOLSA, static_cast<user::WParam>(i),
                     reinterpret_cast<user::LParam>(&ti)) != 0 &&
                ti.uId == static_cast<std::uint32_t>(hwnd)) {
                found = true;
                stop = true;
            }
        });
        if (stop) break;
    }
    // The pointer taken away: the String came back empty.
    if (withText && ti.lpszText == 0) text.clear();
}

vb::Long sheenToolTip::Max(vb::Long a, vb::Long b) {
    Procedure p{"Max", ModuleKind::ClassModule, kModule};
    vb::Long result = 0;
    p([&] { result = a >= b ? a : b; });
    return result;
}

vb::Integer sheenToolTip::LoWord2(vb::Long value) {
    Procedure p{"LoWord2", ModuleKind::ClassModule, kModule};
    vb::Integer result = 0;
    p([&] { result = static_cast<vb::Integer>(static_cast<std::uint16_t>(value & 0xFFFF)); });
    return result;
}

std::string sheenToolTip::GetStrFromBufferA(const std::string& buffer) {
    Procedure p{"GetStrFromBufferA", ModuleKind::ClassModule, kModule};
    std::string result;
    p([&] { result = buffer.substr(0, buffer.find('\0')); });
    return result;
}

}  // namespace sheenwork::tooltip
