#include "tooltip/QI.h"

#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

namespace sheenwork::tooltip {
namespace {
constexpr char kModule[] = "QI";

sheenToolTip& Existing(const std::unique_ptr<sheenToolTip>& window) {
    if (!window) vb::Raise(91);
    return *window;
}
}  // namespace

void QI::Create(vb::Variant fForm, vb::Variant cControl, std::string& sToolTip,
                vb::Integer& bShowTimeMilliSeconds, vb::Integer& lMaxWidthAsPixels) {
    Procedure p{"Create", ModuleKind::ClassModule, kModule};
    p([&] {
        if (!ttWindow) ttWindow = std::make_unique<sheenToolTip>();
    });
    // Not a form: no window, and every step below does nothing.
    p([&] { Existing(ttWindow).Create(fForm); });
    p([&] { Existing(ttWindow).MaxTipWidth(lMaxWidthAsPixels); });
    p([&] { Existing(ttWindow).DelayTime(user::TTDT_AUTOPOP, bShowTimeMilliSeconds); });
    p([&] { Existing(ttWindow).AddTool(cControl, sToolTip); });
    // A tool that was there already takes the text here.
    p([&] { Existing(ttWindow).ToolText(cControl, sToolTip); });
}

void QI::Remove(vb::Variant cControl) {
    Procedure p{"Remove", ModuleKind::ClassModule, kModule};
    p([&] {
        if (!ttWindow) ttWindow = std::make_unique<sheenToolTip>();
    });
    p([&] { Existing(ttWindow).RemoveTool(cControl); });
}

void QI::About() {
    Procedure p{"About", ModuleKind::ClassModule, kModule};
    p([&] {
        if (about_) about_();
    });
}

std::shared_ptr<sheenwork::QI> NewQI(std::function<void()> about) {
    return std::make_shared<QI>(std::move(about));
}

}  // namespace sheenwork::tooltip
