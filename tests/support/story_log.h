// What a story's host writes to its log and looks at: a button's events as
// "<name> <event> <arguments>", its repaints as `<name> Redraw "<state>" "<highlight>"`
// (Redraw1 for a split paint's second pass) and the highlights its handlers put on
// directly as `<name> drawMLine "<highlight>"`, and the fields a story checks.
#pragma once

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/gdi/gdi.h>

#include <sstream>
#include <string>

#include "render/redraw.h"
#include "support/logging_control.h"

namespace sheenwork::testing {

// One line of the log, "<name> <event> <arguments>", as the runtime's hosts write them.
template <class... A>
std::string Line(const std::string& name, const char* event, const A&... arguments) {
    std::ostringstream out;
    out << name << " " << event;
    ((out << " " << arguments), ...);
    return out.str();
}

// The real painters, logging each repaint and direct highlight.
class PaintLog final : public Painters {
public:
    PaintLog(std::string name, NotificationLog& log) : name_(std::move(name)), log_(log) {}
    void XPBody(PaintContext& c) const override;
    void OfficeBody(PaintContext& c) const override;
    void drawMLine(PaintContext& c, const std::string& sColor) const override;

private:
    void Body(PaintContext& c) const;
    std::string name_;
    NotificationLog& log_;
    mutable std::string pending_;
};

// A field of a button as a story checks it ("sState", "bHasFocus", ..., "timer" for its
// hover timer): Booleans as True/False, strings as they are; "?" for an unknown one.
std::string FieldOf(sheenButton& button, const std::string& field);

}  // namespace sheenwork::testing
