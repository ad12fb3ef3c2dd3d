// sheenToolTip: one tooltip window of the platform's "tooltips_class32" and its tools,
// behind properties and methods. Its only user is the tooltip manager QI.
//
// Tools are controls, known by the window handle their late-bound "hWnd" gives; the
// window of their "Container" goes into the record as the tool's owner. Every member but
// Create and hwnd does nothing, and answers 0, False or "", until Create made the window.
#pragma once

#include <sheenwork/user/user.h>
#include <sheenwork/vb/types.h>
#include <sheenwork/vb/variant.h>

#include <optional>
#include <string>
#include <string_view>

namespace sheenwork::tooltip {

// A late-bound object that can say, without raising, which properties it has. Where the
// tooltip ignores a failed lookup anyway, it asks such an object first and skips the
// lookup of a property that is not there: the outcome is the same, without an error
// raised and caught (the first one in a process costs the unwinder's start-up).
class PropertyHolder {
public:
    virtual bool HasProperty(std::string_view name) const noexcept = 0;

protected:
    ~PropertyHolder() = default;
};

class sheenToolTip {
public:
    sheenToolTip() = default;
    // Class_Terminate: the window goes with the object.
    ~sheenToolTip();
    sheenToolTip(const sheenToolTip&) = delete;
    sheenToolTip& operator=(const sheenToolTip&) = delete;

    // Only a form is accepted; the window is made once, owned by it. True while there is
    // a window.
    vb::Boolean Create(const vb::Variant& frm);
    // False when the control is a tool already (its text stays: ToolText changes it).
    vb::Boolean AddTool(const vb::Variant& ctrl, const std::optional<std::string>& sText = {});
    // False, sending nothing more, for a control that is no tool.
    vb::Boolean RemoveTool(const vb::Variant& ctrl);
    vb::Long BackColor();
    void BackColor(vb::Long clr);
    vb::Long ForeColor();
    void ForeColor(vb::Long clr);
    // dwType: 0 automatic, 1 reshow, 2 autopop (how long the tip stays), 3 initial.
    vb::Long DelayTime(vb::Long dwType);
    void DelayTime(vb::Long dwType, vb::Long dwMilliSecs);
    vb::Long hwnd();
    // dwType: 0 left, 1 top, 2 right, 3 bottom.
    vb::Long Margin(vb::Long dwType);
    void Margin(vb::Long dwType, vb::Long cPixels);
    vb::Integer MaxTipWidth();
    // Less than 1: no limit.
    void MaxTipWidth(vb::Integer cx);
    vb::Integer ToolCount();
    std::string ToolText(const vb::Variant& ctrl);
    void ToolText(const vb::Variant& ctrl, const std::string& sText);

private:
    void GetToolInfo(vb::Long hwnd, user::TOOLINFOA& ti, std::string& text, bool withText,
                     bool& found);
    vb::Long Max(vb::Long a, vb::Long b);
    vb::Integer LoWord2(vb::Long value);
    std::string GetStrFromBufferA(const std::string& buffer);
    vb::Long Send(unsigned message, user::WParam wParam, user::LParam lParam);

    vb::Long hwndTip = 0;
    vb::Long lMaxTextLen = 0;
};

}  // namespace sheenwork::tooltip
