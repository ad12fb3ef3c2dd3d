#include "demo.h"

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/library.h>

#include <ostream>
#include <sstream>

namespace sheenwork::cli {

void TracedEvents::Write(const std::string& what) {
    if (trace_) *trace_ << name_ << " " << what << "\n";
}

void TracedEvents::Click() {
    Write("Click");
    if (on_click) on_click();
}

void TracedEvents::DropDown() {
    Write("DropDown");
    if (on_drop_down) on_drop_down();
}

namespace {
std::string Mouse(const char* what, int b, int s, float x, float y) {
    std::ostringstream out;
    out << what << " " << b << " " << s << " " << x << " " << y;
    return out.str();
}
}  // namespace

void TracedEvents::MouseDown(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    Write(Mouse("MouseDown", b, s, x, y));
}
void TracedEvents::MouseMove(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    Write(Mouse("MouseMove", b, s, x, y));
}
void TracedEvents::MouseUp(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    Write(Mouse("MouseUp", b, s, x, y));
}
void TracedEvents::KeyDown(vb::Integer& k, vb::Integer& s) {
    Write("KeyDown " + std::to_string(k) + " " + std::to_string(s));
}
void TracedEvents::KeyUp(vb::Integer& k, vb::Integer& s) {
    Write("KeyUp " + std::to_string(k) + " " + std::to_string(s));
}
void TracedEvents::KeyPress(vb::Integer& k) { Write("KeyPress " + std::to_string(k)); }

void TraceButtons(runtime::Form& form, std::ostream* trace,
                  std::vector<std::unique_ptr<TracedEvents>>& sinks) {
    for (runtime::Window* w : form.Windows())
        if (const auto button = w->Native<sheenButton>()) {
            sinks.push_back(std::make_unique<TracedEvents>(w->Name(), trace));
            button->EventSink(sinks.back().get());
        }
}

namespace {

struct Look {
    const char* name;
    const char* caption;
    vb::Long button_style, color_style;
};
constexpr Look kLooks[] = {
    {"cmdBlue", "XP &blue", cButtonWinXP, cXPBlue},
    {"cmdSilver", "XP &silver", cButtonWinXP, cXPSilver},
    {"cmdOlive", "XP o&live", cButtonWinXP, cXPOlive},
    {"cmdClassic", "&Classic", cButtonWinXP, cWinClassic},
    {"cmdCustom", "C&ustom", cButtonWinXP, cCustom},
    {"cmdOffice", "O&ffice", cButtonOffice, cXPBlue},
    {"cmdBrowser", "B&rowser", cButtonIExplorer, cXPBlue},
};

constexpr int kMargin = 12, kCellWidth = 116, kCellHeight = 40, kGap = 10;

runtime::Position Cell(int column, int row) {
    return {kMargin + column * (kCellWidth + kGap), kMargin + row * (kCellHeight + kGap)};
}
constexpr runtime::Size kCell{kCellWidth, kCellHeight};

std::shared_ptr<sheenButton> Add(runtime::Form& form, Demo& demo, const DemoHost& host,
                                 const std::string& name, runtime::Position at, runtime::Size size,
                                 const std::string& caption) {
    auto b = form.Add("Sheenwork.sheenButton", name, at, size).Native<sheenButton>();
    b->Caption(caption);
    demo.sinks.push_back(std::make_unique<TracedEvents>(name, host.trace));
    b->EventSink(demo.sinks.back().get());
    return b;
}

// A caption as a sentence names it: without its access key's mark.
std::string Plain(std::string caption) {
    std::erase(caption, '&');
    return caption;
}

}  // namespace

void SayInDemo(runtime::Form& form, const std::string& text) {
    if (runtime::Window* w = form.Find(kDemoStatus))
        if (const auto line = w->Native<sheenButton>()) line->Caption(text);
}

std::unique_ptr<Demo> BuildDemo(runtime::Form& form, DemoHost host) {
    auto demo = std::make_unique<Demo>();
    form.Caption("Sheenwork demo");
    runtime::Form* owner = &form;
    // The line that says what each button did: a disabled flat button whose caption is
    // black, so that it takes neither the pointer, the keyboard nor an access key.
    const int status_top = kDemoHeight - kMargin - 20;
    const auto status =
        Add(form, *demo, host, kDemoStatus, {kMargin, status_top}, {kDemoWidth - 2 * kMargin, 20},
            "Click a button, open the arrow's menu, or press Enter or Escape.");
    status->ButtonStyle(cButtonOffice);
    status->CaptionAlign(cLinks_Mitte);
    status->ForeColorDis(0x00000000);
    status->UseVeloToolTip(vb::False);
    status->Enabled(vb::False);
    form.Find(kDemoStatus)->TabStop(false);
    const auto* bitmap = SheenworkLibrary().FindBitmap(kToolboxBitmapId);
    const host::PictureRef picture = picture::LoadPictureFromMemory(bitmap->bmp, "toolbox.bmp");
    for (std::size_t i = 0; i < std::size(kLooks); ++i) {
        const Look& look = kLooks[i];
        const auto b =
            Add(form, *demo, host, look.name,
                Cell(static_cast<int>(i % 4), static_cast<int>(i / 4)), kCell, look.caption);
        b->ButtonStyle(look.button_style);
        b->ColorStyle(look.color_style);
        if (look.color_style == cCustom) {
            b->BackColor(0x00E0F0E0);
            b->BackColorOver(0x00D0F0D0);
            b->BackColorDown(0x00B0E0B0);
            b->BorderColor(0x00206020);
        }
        b->PictureAlign(cLinks_Mitte);
        b->Picture(picture);
        b->AllPicturesSame(vb::True);
        std::ostringstream tip;
        tip << "ButtonStyle = " << look.button_style << ", ColorStyle = " << look.color_style;
        b->VeloToolTip(tip.str());
        demo->sinks.back()->on_click = [owner, said = Plain(look.caption) + ": clicked."] {
            SayInDemo(*owner, said);
        };
    }

    // The drop-down button: its section opens a menu of three items below it.
    const runtime::Position menu_cell = Cell(3, 1);
    const auto open = Add(form, *demo, host, "cmdOpen", menu_cell, kCell, "&Open");
    open->DropDown(vb::True);
    open->DropDownSize(16);
    open->VeloToolTip("The arrow opens a menu");
    demo->sinks.back()->on_click = [owner] {
        SayInDemo(*owner, "Open: clicked (its arrow opens a menu).");
    };
    demo->sinks.back()->on_drop_down = [owner, host, demo = demo.get(), menu_cell] {
        if (!host.popup_form) return;
        const gdi::Rect at = owner->ScreenRect();
        const int items = 3, height = 22;
        runtime::Form& menu = host.popup_form(
            "Menu", {at.left + menu_cell.left, at.top + menu_cell.top + kCellHeight},
            {kCellWidth, items * height + 2});
        menu.BackColor(0x00FFFFFF);
        const char* captions[] = {"&New", "&Open...", "&Save as..."};
        for (int i = 0; i < items; ++i) {
            const std::string name = "mnu" + std::to_string(i);
            const auto item = Add(menu, *demo, host, name, {1, 1 + i * height},
                                  {kCellWidth - 2, height}, captions[i]);
            item->ButtonStyle(cButtonOffice);
            item->CaptionAlign(cLinks_Mitte);
            runtime::Runtime* rt = &menu.Owner();
            runtime::Form* self = &menu;
            demo->sinks.back()->on_click = [rt, self, owner,
                                            said = Plain(captions[i]) + ": chosen from the menu."] {
                SayInDemo(*owner, said);
                rt->DestroyForm(*self);
            };
        }
    };

    const int row = kMargin + 2 * (kCellHeight + kGap) + 8;
    constexpr runtime::Size kButton{90, 26};
    Add(form, *demo, host, "cmdAbout", {kMargin, row}, kButton, "&About...");
    // Looked up at the click: a handler that held the button would hold its form.
    demo->sinks.back()->on_click = [owner] {
        SayInDemo(*owner, "About: the About window.");
        if (runtime::Window* w = owner->Find("cmdAbout"))
            if (const auto b = w->Native<sheenButton>()) b->About();
    };
    const int right = kDemoWidth - kMargin;
    Add(form, *demo, host, "cmdOK", {right - 2 * 90 - kGap, row}, kButton, "OK");
    runtime::Runtime* rt = &form.Owner();
    demo->sinks.back()->on_click = [rt, owner] {
        SayInDemo(*owner, "OK (the default button, Enter): saved.");
        rt->MessageBox({"Saved.", "Sheenwork demo", 64});
    };
    // Cancel (Escape) has nothing to cancel: it says so, and the window stays.
    Add(form, *demo, host, "cmdCancel", {right - 90, row}, kButton, "Cancel");
    demo->sinks.back()->on_click = [owner] {
        SayInDemo(
            *owner,
            "Cancel (the cancel button, Escape): nothing to cancel. Close the window to end.");
    };
    form.DefaultButton(form.Find("cmdOK"));
    form.CancelButton(form.Find("cmdCancel"));
    return demo;
}

}  // namespace sheenwork::cli
