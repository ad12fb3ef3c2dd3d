#include "support/button_fixture.h"

#include <sheenwork/vb/stdfont.h>

namespace sheenwork::testing {

void RecordingPainters::Body(const std::string& painter, PaintContext& c) const {
    log.Add("Paint:" + painter + " \"" + c.ps.sDrawState + "\" pass " + std::to_string(c.ps.iPass));
    if (on_body) on_body();
}
void RecordingPainters::DropDownGlyph(PaintContext& c) const {
    log.Add("Paint:DropDownGlyph");
    Painters::DropDownGlyph(c);
}

void RecordingEvents::Click() {
    entries.push_back(prefix + "Click");
    if (on_click) on_click();
    if (on_event) on_event("Click");
}
void RecordingEvents::OLECompleteDrag(vb::Long& Effect) {
    entries.push_back(prefix + "OLECompleteDrag " + std::to_string(Effect));
    Effect = 7;
}

ButtonRecord NewInstanceRecord() {
    ButtonFixture f;
    ButtonRecord r = f.rec();
    r.cQuickInfo = nullptr;  // the scratch instance's own tooltip manager stays with it
    return r;
}

ButtonFixture::ButtonFixture(int width, int height)
    : site(width, height), painters(std::make_shared<RecordingPainters>(site.log)) {
    button.SetPainters(painters);
    button.EventSink(&events);
    button.UserControl_InitProperties();
    site.log.Clear();
}

ButtonFixture::ButtonFixture(Fresh) : painters(std::make_shared<RecordingPainters>(site.log)) {
    button.SetPainters(painters);
    button.EventSink(&events);
    site.extender_name = "Knopf7";
    site.parent_back_color = 0x00336699;
    site.parent_font = std::make_shared<vb::StdFont>("Tahoma", 8.25);
    site.parent_font->Bold(vb::True);
}

std::vector<std::string> ButtonFixture::RepaintsAndNotifications() const {
    std::vector<std::string> out;
    for (const auto& e : site.log.entries) {
        if (e.rfind("Paint:XPBody", 0) == 0 || e.rfind("Paint:OfficeBody", 0) == 0)
            out.push_back(e.substr(e.size() - 6) == "pass 0" ? "Redraw" : "Redraw(1)");
        else if (e.rfind("PropertyChanged ", 0) == 0)
            out.push_back("N " + e.substr(16));
    }
    return out;
}

}  // namespace sheenwork::testing
