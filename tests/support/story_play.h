// A story told to a host beside the headless runtime: each section's script runs on the
// headless form and then, as a user's input, on the host (the window host on an X
// display, the Windows container under Wine, Qt widgets). After each section the host's
// events must be the story's, its fields and pixels what the section expects, and what
// it shows (the form, its controls, the visible popups at their places) the headless
// render magnified to the host's scale.
#pragma once

#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/script.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "png_io.h"
#include "support/logging_control.h"
#include "support/recording_services.h"
#include "support/story.h"

namespace sheenwork::testing {

// The GDI a headless runtime draws with around the raster (the model of Wine's).
using GdiWrap = std::function<std::unique_ptr<gdi::Gdi>(gdi::Gdi&)>;

// A runtime of the linked controls (or those of `controls`) on a virtual clock, for the
// headless picture beside a host, drawing with the raster or `wrap` around it.
struct Linked {
    explicit Linked(runtime::ControlFactory controls = runtime::LinkedControls(),
                    const GdiWrap& wrap = {})
        : wrapped(wrap ? wrap(*gdi) : nullptr),
          rt(clock, wrapped ? *wrapped : *gdi, std::move(controls)) {}
    runtime::VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi(), wrapped;
    runtime::Runtime rt;
    // A form file's form, at `at` and of `size` where they are given.
    runtime::Form& Load(const std::string& path, std::optional<gdi::Rect> at = {},
                        std::optional<runtime::Size> size = {});
};

// A story's form on the headless runtime: a virtual clock, the linked controls and the
// logging ones ("Test.*"), shell calls recorded instead of made. "paints NAME" gives a
// button painters that log its repaints, "timer NAME" starts its hover timer. `wrap`,
// when given, is the GDI the runtime draws with around the raster.
struct Headless {
    explicit Headless(const Story& story, host::FontRef font = nullptr, const GdiWrap& wrap = {});
    RecordingServices services;
    runtime::VirtualClock clock;
    std::unique_ptr<gdi::Gdi> raster = gdi::MakeRasterGdi(), wrapped;
    std::shared_ptr<NotificationLog> log = std::make_shared<NotificationLog>();
    std::unique_ptr<runtime::Runtime> runtime;
    runtime::Form* form = nullptr;
};

// What a host does for a story: the input (points on the screen, in control pixels;
// buttons 1 left, 2 right, 4 middle; virtual keys) and what it shows.
class StoryScreen {
public:
    virtual ~StoryScreen() = default;
    virtual void Begin() {}  // a section's input is about to come
    virtual void Move(gdi::Point screen) = 0;
    virtual void Button(int button, bool down) = 0;
    virtual void Key(int vk, bool down) = 0;
    virtual void Focus(const std::string& control) = 0;
    virtual void Wait(long long millis) = 0;
    // The controls' events since Begin, "<name> <event> <arguments>".
    virtual std::vector<std::string> Events() = 0;
    // The whole form as shown, and a control alone, in device pixels (nothing where the
    // host cannot tell); `want` is the headless picture, for a host that shows late.
    virtual std::optional<png::Image> Form(gdi::Rect screen, const png::Image& want) = 0;
    virtual std::optional<png::Image> Control(const std::string&) { return std::nullopt; }
    // The visible popups by place ("l t r b", led by the handle where `by_handle`), each
    // with its picture; `want` the headless ones.
    virtual std::map<std::string, png::Image> Popups(
        const std::map<std::string, png::Image>& want) = 0;
    // A button's field as a story checks it, where the host can tell.
    Lookup field;
    std::string name = "story";  // leads the names of the pictures a difference leaves
    int scale = 1;
    bool by_handle = false;      // popups are the runtime's own windows
    bool popups_on_form = true;  // popups show over the form's picture (a screen's)
};

// How the hosts type a virtual key (tests/data/input/host_keys.txt; letters, digits and
// F1-F12 by their own names): the X key xdotool presses, the virtual key the window host
// reports for it, and Qt's key (Qt::Key_ without the prefix). Throws for a key of none.
struct HostKey {
    std::string x;
    int reported = 0;
    std::string qt;
};
HostKey HostKeyOf(int vk);

// A popup's key: its place, led by its handle when `hwnd` is not 0.
std::string PopupKey(long hwnd, gdi::Rect r);

// Plays every section on both sides; failures are reported with EXPECT. `events` false:
// the host's events are not compared (a story that expects none to look at).
void PlayStory(const Story& story, Headless& headless, StoryScreen& host, bool events = true);

}  // namespace sheenwork::testing
