// Random scripts against a form of two buttons: after every step the press and hover
// state are ones the state machine can be in, MouseEnter and MouseLeave alternate, the
// hover timer is off after a tick that found the pointer outside, nothing escapes and
// nothing is reported. 10 000 scripts of 5 to 40 steps from fixed seeds;
// SHEENWORK_RANDOM_SCRIPTS sets another number (make stress runs many more).
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/runtime/script.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "support/story_play.h"

namespace sheenwork::runtime {
namespace {

// What one button raised, enough to check that Enter and Leave alternate.
class Watch final : public sheenButtonEvents {
public:
    std::string problem;
    bool entered = false;
    void MouseEnter() override {
        if (entered) problem = "MouseEnter twice without MouseLeave";
        entered = true;
    }
    void MouseLeave() override {
        if (!entered) problem = "MouseLeave without MouseEnter";
        entered = false;
    }
};

struct Outcome {
    std::string problem;  // empty when every step kept the rules
    std::string steps;    // the script, to replay a failure
};

// Whether the hover timer's inside test passes for `w` where the pointer is now.
bool PointerInside(Runtime& rt, Window& w) {
    const gdi::Rect r = w.ScreenRect();
    const gdi::Point p = rt.CursorPos();
    return rt.WindowFromPoint(p) == w.Hwnd() && r.left < p.x && p.x < r.right && r.top < p.y &&
           p.y < r.bottom;
}

Outcome RunOne(std::uint64_t seed) {
    testing::Headless h(
        {"random",
         {"form 50 50 200 80", "control a Sheenwork.sheenButton 10 10 90 26",
          "control b Sheenwork.sheenButton 110 10 80 23", "set a Caption=&Save",
          "set b DropDown=True DropDownAlign=" + std::to_string(seed % 9), "default a", "cancel b"},
         {}});
    Runtime& rt = *h.runtime;
    Form& form = *h.form;
    Window& a = *form.Find("a");
    Window& b = *form.Find("b");
    Watch wa, wb;
    a.Native<sheenButton>()->EventSink(&wa);
    b.Native<sheenButton>()->EventSink(&wb);

    // Moves mostly on and around the buttons, edges included; any of three buttons; keys
    // that click, move the focus or are access keys.
    // The engine's numbers are the same on every platform; no distribution (whose results
    // the standard leaves open) comes between them and the script.
    std::mt19937_64 engine(seed);
    const auto below = [&engine](int n) {
        return static_cast<int>(engine() % static_cast<std::uint64_t>(n));
    };
    std::ostringstream script;
    static constexpr const char* kButtons[] = {"left", "right", "middle"};
    static constexpr int kKeys[] = {VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB, VK_LSHIFT,
                                    VK_LMENU, VK_RMENU,  'S',       'X'};
    for (int i = 5 + below(36); i > 0; --i) {
        const int pick = below(8);
        if (pick <= 1)
            script << "move " << below(160) - 5 << " " << below(50) - 5 << "\n";
        else if (pick <= 3)
            script << (pick == 2 ? "press " : "release ") << kButtons[below(3)] << "\n";
        else if (pick <= 5)
            script << (pick == 4 ? "key down " : "key up ") << kKeys[below(9)] << "\n";
        else if (pick == 6)
            script << "focus " << (below(2) ? "a" : "b") << "\n";
        else
            script << "wait " << below(31) << "\n";
    }
    // After every step the rules hold; the first broken one is the outcome.
    std::string problem;
    Driver driver(rt, form);
    driver.after_step = [&](const Step& step) {
        for (Window* w : {&a, &b}) {
            const ButtonRecord& r = w->Native<sheenButton>()->Record();
            if (r.sState != "" && r.sState != "down") problem = w->Name() + ".sState = " + r.sState;
            if (r.sDropDownState != "" && r.sDropDownState != "down" && r.sDropDownState != "n")
                problem = w->Name() + ".sDropDownState = " + r.sDropDownState;
            // A wait of a whole interval or more saw at least one tick.
            if (step.kind == Step::Kind::Wait && step.millis >= 10 && !PointerInside(rt, *w) &&
                w->Site().tmrMouseInEnabled())
                problem = w->Name() + "'s timer runs after a tick outside";
        }
        for (const Watch* watch : {&wa, &wb})
            if (!watch->problem.empty()) problem = watch->problem;
        if (!rt.MessageBoxes().empty() || !h.services.boxes.empty())
            problem = "reported: " + rt.MessageBoxes().front().text;
        if (!problem.empty()) throw std::runtime_error(problem);
    };
    try {
        driver.Run(ParseScript(script.str()));
    } catch (const std::exception& e) {
        return {problem.empty() ? std::string("escaped: ") + e.what() : problem, script.str()};
    }
    return {};
}

TEST(RandomScripts, KeepTheStateMachinesRules) {
    long count = 10000;
    if (const char* env = std::getenv("SHEENWORK_RANDOM_SCRIPTS")) count = std::atol(env);
    for (long seed = 1; seed <= count; ++seed) {
        const Outcome outcome = RunOne(static_cast<std::uint64_t>(seed));
        ASSERT_TRUE(outcome.problem.empty())
            << "seed " << seed << ": " << outcome.problem << "\nafter\n"
            << outcome.steps;
    }
}

}  // namespace
}  // namespace sheenwork::runtime
