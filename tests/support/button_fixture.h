// A button on a recording site, in the state of a new instance on a form, with painters
// that log each call instead of painting.
#pragma once

#include <sheenwork/control/sheenButton.h>

#include <memory>
#include <string>

#include "render/redraw.h"
#include "support/recording_site.h"

namespace sheenwork::testing {

// Logs "Paint:<painter>" entries; the body logs the state this paint shows.
struct RecordingPainters : Painters {
    explicit RecordingPainters(CallLog& log) : log(log) {}
    CallLog& log;
    // Called after each body is logged, to look at the control in the middle of a paint.
    std::function<void()> on_body;
    void XPBody(PaintContext& c) const override { Body("XPBody", c); }
    void OfficeBody(PaintContext& c) const override { Body("OfficeBody", c); }
    void WriteCaption(PaintContext&) const override { log.Add("Paint:WriteCaption"); }
    void DrawImage(PaintContext&) const override { log.Add("Paint:DrawImage"); }
    void DropDownGlyph(PaintContext& c) const override;
    void drawMLine(PaintContext&, const std::string& sColor) const override {
        log.Add("Paint:drawMLine \"" + sColor + "\"");
    }
    void DropDownSeparator(PaintContext&) const override { log.Add("Paint:DropDownSeparator"); }

private:
    void Body(const std::string& painter, PaintContext& c) const;
};

// Records events in the site's log as "Event:<name>", or in any log of lines after a
// prefix of their own (a story's "<control> <name>").
struct RecordingEvents : sheenButtonEvents {
    explicit RecordingEvents(CallLog& log) : RecordingEvents(log.entries, "Event:") {}
    RecordingEvents(std::vector<std::string>& entries, std::string prefix)
        : entries(entries), prefix(std::move(prefix)) {}
    std::vector<std::string>& entries;
    std::string prefix;
    std::function<void()> on_click;
    // Called after any event is logged, with its name: a host handler that sets
    // properties, clicks or destroys the control.
    std::function<void(const std::string&)> on_event;
    void Click() override;
    void DropDown() override { Logged("DropDown"); }
    void OLECompleteDrag(vb::Long& Effect) override;
    // Logged with their arguments, e.g. "Event:MouseDown 1 0 88.5 4".
    void MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override {
        Logged("MouseDown", Button, Shift, X, Y);
    }
    void MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override {
        Logged("MouseMove", Button, Shift, X, Y);
    }
    void MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override {
        Logged("MouseUp", Button, Shift, X, Y);
    }
    void MouseEnter() override { Logged("MouseEnter"); }
    void MouseLeave() override { Logged("MouseLeave"); }
    void KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) override {
        Logged("KeyDown", KeyCode, Shift);
    }
    void KeyPress(vb::Integer& KeyAscii) override { Logged("KeyPress", KeyAscii); }
    void KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) override {
        Logged("KeyUp", KeyCode, Shift);
    }

private:
    // "<prefix><name>", each number after a blank without trailing zeros.
    template <typename... Numbers>
    void Logged(const std::string& name, Numbers... numbers) {
        entries.push_back(prefix + name);
        (entries.back().append(" ").append(Trimmed(numbers)), ...);
        if (on_event) on_event(name);
    }
};

// The record of a new instance initialised on a scratch recording site. For a paint
// that has to be the first on its surface (the scenes compared with real GDI, painters
// tested without a control): initialising on the surface itself would paint it once
// and leave its colours and font behind.
ButtonRecord NewInstanceRecord();

// A new instance: created, then initialised as the host does (through an empty property
// bag, which ends in one paint), with the site's log cleared so that a test starts clean.
struct ButtonFixture {
    explicit ButtonFixture(int width = 75, int height = 23);
    // A button just created in a container of its own (named Knopf7, back colour
    // 0x00336699, font Tahoma 8.25 bold), not yet initialised.
    struct Fresh {};
    explicit ButtonFixture(Fresh);
    RecordingSite site;
    std::shared_ptr<RecordingPainters> painters;
    RecordingEvents events{site.log};
    sheenButton button{site};
    ButtonRecord& rec() { return button.Record(); }
    // The log reduced to repaints ("Redraw" for pass 0) and notifications ("N <name>").
    std::vector<std::string> RepaintsAndNotifications() const;
};

}  // namespace sheenwork::testing
