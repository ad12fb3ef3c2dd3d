#include "desktop/dialogs.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/vb/ansi.h>

#include <algorithm>
#include <functional>

namespace sheenwork::desktop {
namespace {

// The label control: it paints itself whenever its text, font or container changes; it
// takes no focus and ignores input.
class Label final : public runtime::ControlNotifications {
public:
    explicit Label(host::ControlSite& site) : site_(site) {}
    void Set(std::string text, vb::StdFont font, unsigned format) {
        text_ = std::move(text);
        font_ = std::move(font);
        format_ = format;
        Paint();
    }
    void InitProperties() override { Paint(); }
    void AmbientChanged(const std::string&) override { Paint(); }
    void Paint() override {
        host::Surface& s = site_.Surface();
        s.BackColor(site_.ParentBackColor());
        s.ForeColor(0x80000012);  // the button text colour, as dialog text has
        s.Font(font_);
        gdi::Rect r{0, 0, static_cast<int>(s.ScaleWidth()), static_cast<int>(s.ScaleHeight())};
        // Our strings are Unicode; DrawTextA takes the ANSI code page.
        const std::string ansi = vb::ToAnsi(text_);
        s.Gdi().DrawTextA(s.hDC(), ansi.c_str(), -1, &r, format_);
    }
    void Resize() override { Paint(); }
    void MouseDown(int, int, float, float) override {}
    void MouseMove(int, int, float, float) override {}
    void MouseUp(int, int, float, float) override {}
    void Click() override {}
    void KeyDown(int&, int) override {}
    void KeyPress(int&) override {}
    void KeyUp(int&, int) override {}
    void GotFocus() override {}
    void LostFocus() override {}
    void AccessKeyPress(int) override {}
    void Timer(const std::string&) override {}
    void ReadProperties(host::PropertyBag&) override { Paint(); }
    void WriteProperties(host::PropertyBag&) override {}
    std::shared_ptr<runtime::Object> Instance() override { return nullptr; }

private:
    host::ControlSite& site_;
    std::string text_;
    vb::StdFont font_{"Tahoma", 8.25};
    unsigned format_ = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;
};

// A dialog button's click: the action, or the answer it gives.
class ClickHandler final : public sheenButtonEvents {
public:
    explicit ClickHandler(std::function<void()> action) : action_(std::move(action)) {}
    void Click() override { action_(); }

private:
    std::function<void()> action_;
};

constexpr int kMargin = 11, kGap = 6, kButtonWidth = 75, kButtonHeight = 23;

// The extent of `text` in `font` wrapped at `max_width`.
gdi::Size Measure(gdi::Gdi& gdi, const vb::StdFont& font, const std::string& text, int max_width,
                  unsigned format) {
    host::Surface probe(gdi, 1, 1);
    probe.Font(font);
    gdi::Rect r{0, 0, max_width, 0};
    const std::string ansi = vb::ToAnsi(text);
    gdi.DrawTextA(probe.hDC(), ansi.c_str(), -1, &r, format | gdi::DT_CALCRECT);
    return {r.Width(), r.Height()};
}

std::shared_ptr<sheenButton> AddButton(Dialog& d, const std::string& name, runtime::Position at,
                                       const std::string& caption, std::function<void()> action) {
    runtime::Window& w =
        d.form->Add("Sheenwork.sheenButton", name, at, {kButtonWidth, kButtonHeight});
    auto button = w.Native<sheenButton>();
    button->Caption(caption);
    d.handlers.push_back(std::make_unique<ClickHandler>(std::move(action)));
    button->EventSink(d.handlers.back().get());
    return button;
}

}  // namespace

runtime::ControlFactory WithLabels(runtime::ControlFactory inner) {
    return [inner = std::move(inner)](const std::string& cls, host::ControlSite& site) {
        if (cls == kLabelClass) return runtime::CreatedControl{std::make_shared<Label>(site), 0};
        return inner ? inner(cls, site) : runtime::CreatedControl{};
    };
}

void SetLabel(runtime::Window& label, const std::string& text, const vb::StdFont& font,
              unsigned format) {
    if (auto* l = dynamic_cast<Label*>(label.Control())) l->Set(text, font, format);
}

std::vector<BoxButton> MessageBoxButtons(int style) {
    switch (style & 0xF) {
        case 1: return {{"OK", 1}, {"Cancel", 2}};
        case 2: return {{"&Abort", 3}, {"&Retry", 4}, {"&Ignore", 5}};
        case 3: return {{"&Yes", 6}, {"&No", 7}, {"Cancel", 2}};
        case 4: return {{"&Yes", 6}, {"&No", 7}};
        case 5: return {{"&Retry", 4}, {"Cancel", 2}};
        default: return {{"OK", 1}};
    }
}

int CancelAnswer(int style) {
    for (const BoxButton& b : MessageBoxButtons(style))
        if (b.answer == 2) return 2;
    return (style & 0xF) == 0 ? 1 : 0;
}

gdi::Rect CentredOn(gdi::Rect owner, int width, int height, gdi::Rect screen) {
    int left = owner.left + (owner.Width() - width) / 2;
    int top = owner.top + (owner.Height() - height) / 2;
    left = std::max(screen.left, std::min(left, screen.right - width));
    top = std::max(screen.top, std::min(top, screen.bottom - height));
    return {left, top, left + width, top + height};
}

std::unique_ptr<Dialog> MakeMessageBox(runtime::Runtime& runtime,
                                       const runtime::MessageBoxRequest& request, gdi::Rect owner) {
    auto d = std::make_unique<Dialog>();
    const vb::StdFont font("Tahoma", 8.25);
    const unsigned format = gdi::DT_WORDBREAK | gdi::DT_NOPREFIX;
    const gdi::Size text = Measure(runtime.Gdi(), font, request.text, 420, format);
    const auto buttons = MessageBoxButtons(request.style);
    const int row = static_cast<int>(buttons.size()) * (kButtonWidth + kGap) - kGap;
    const int width = std::max(text.cx, row) + 2 * kMargin;
    const int height = kMargin + text.cy + kMargin + kButtonHeight + kMargin;
    const gdi::Rect at = CentredOn(owner, width, height, runtime.Screen());
    d->form = &runtime.CreateForm("MessageBox", {at.left, at.top}, {width, height});
    d->form->Caption(request.title);
    d->cancel_answer = CancelAnswer(request.style);
    // An empty text measures 0 wide: its label keeps one pixel.
    runtime::Window& label = d->form->Add(kLabelClass, "lblText", {kMargin, kMargin},
                                          {std::max(text.cx, 1), std::max(text.cy, 1)});
    label.TabStop(false);
    SetLabel(label, request.text, font, format);
    int x = (width - row) / 2;
    const int y = height - kMargin - kButtonHeight;
    Dialog* self = d.get();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const int answer = buttons[i].answer;
        AddButton(*d, "cmd" + std::to_string(i), {x, y}, buttons[i].caption,
                  [self, answer] { self->answer = answer; });
        runtime::Window* w = d->form->Find("cmd" + std::to_string(i));
        if (i == 0) d->form->DefaultButton(w);
        if (answer == d->cancel_answer) d->form->CancelButton(w);
        x += kButtonWidth + kGap;
    }
    runtime.SetFocus(d->form->Find("cmd0"));
    return d;
}

std::unique_ptr<Dialog> MakeAbout(runtime::Runtime& runtime, const host::AboutInfo& info,
                                  gdi::Rect owner) {
    auto d = std::make_unique<Dialog>();
    vb::StdFont title("Tahoma", 12);
    title.Bold(vb::True);
    const vb::StdFont font("Tahoma", 8.25);
    const unsigned format = gdi::DT_NOPREFIX | gdi::DT_SINGLELINE;
    const std::string lines[] = {info.control + ", version " + info.version,
                                 "\xC2\xA9 " + info.years + " " + info.author};
    const int buttons = static_cast<int>(info.links.size()) + 1;
    const int row = buttons * (kButtonWidth + kGap) - kGap;
    const gdi::Size head = Measure(runtime.Gdi(), title, info.product, 1000, format);
    int text_width = head.cx;
    for (const auto& line : lines)
        text_width = std::max(text_width, Measure(runtime.Gdi(), font, line, 1000, format).cx);
    const int width = std::max(text_width, row) + 2 * kMargin;
    const int line_height = 16;
    const int height =
        kMargin + head.cy + kGap + 2 * line_height + kMargin + kButtonHeight + kMargin;
    const gdi::Rect at = CentredOn(owner, width, height, runtime.Screen());
    d->form = &runtime.CreateForm("About", {at.left, at.top}, {width, height});
    d->form->Caption("About " + info.control);
    d->cancel_answer = 1;
    int y = kMargin;
    runtime::Window& heading = d->form->Add(kLabelClass, "lblProduct", {kMargin, y},
                                            {width - 2 * kMargin, std::max(head.cy, 1)});
    SetLabel(heading, info.product, title, format);
    y += head.cy + kGap;
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        runtime::Window& l = d->form->Add(kLabelClass, "lblLine" + std::to_string(i), {kMargin, y},
                                          {width - 2 * kMargin, line_height});
        SetLabel(l, lines[i], font, format);
        y += line_height;
    }
    for (runtime::Window* w : d->form->Windows()) w->TabStop(false);
    int x = width - kMargin - row;
    const int by = height - kMargin - kButtonHeight;
    for (std::size_t i = 0; i < info.links.size(); ++i) {
        const host::AboutLink link = info.links[i];
        AddButton(*d, "cmdLink" + std::to_string(i), {x, by}, link.caption,
                  [link] { host::OpenAboutLink(link); });
        x += kButtonWidth + kGap;
    }
    Dialog* self = d.get();
    AddButton(*d, "cmdOK", {x, by}, "OK", [self] { self->answer = 1; });
    runtime::Window* ok = d->form->Find("cmdOK");
    d->form->DefaultButton(ok);
    d->form->CancelButton(ok);
    runtime.SetFocus(ok);
    return d;
}

}  // namespace sheenwork::desktop
