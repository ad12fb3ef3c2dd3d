#include "support/story_log.h"

#include <sstream>

namespace sheenwork::testing {

void PaintLog::XPBody(PaintContext& c) const {
    Body(c);
    Painters::XPBody(c);
}

void PaintLog::OfficeBody(PaintContext& c) const {
    Body(c);
    Painters::OfficeBody(c);
}

void PaintLog::drawMLine(PaintContext& c, const std::string& sColor) const {
    log_.entries.push_back(name_ + " " + (pending_.empty() ? "drawMLine" : pending_) + " \"" +
                           sColor + "\"");
    pending_.clear();
    Painters::drawMLine(c, sColor);
}

void PaintLog::Body(PaintContext& c) const {
    pending_ = (c.ps.iPass == 0 ? "Redraw \"" : "Redraw1 \"") + c.ps.sDrawState + "\"";
}

std::string FieldOf(sheenButton& button, const std::string& field) {
    if (field == "timer") return button.Site().tmrMouseInEnabled() ? "on" : "off";
    const ButtonRecord& r = button.Record();
    const auto B = [](vb::Boolean v) { return std::string(v ? "True" : "False"); };
    if (field == "sState") return r.sState;
    if (field == "sDropDownState") return r.sDropDownState;
    if (field == "bMouseOver") return B(r.bMouseOver);
    if (field == "bMouseEntered") return B(r.bMouseEntered);
    if (field == "bHasFocus") return B(r.bHasFocus);
    if (field == "bSpaceDown") return B(r.bSpaceDown);
    if (field == "Value") return B(r.Value);
    return "?";
}

}  // namespace sheenwork::testing
