// The runtime's stories told to Qt widgets: a story's form built of sheenwork::qt::Button
// widgets in a Qt window, and its scripts replayed as the input a user makes (the pointer
// through Qt's own cursor, presses and keys through the platform's event path, where
// Qt's focus chain, shortcuts and dialogs see them).
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/qt/button.h>
#include <sheenwork/runtime/script.h>

#include <QImage>
#include <QObject>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "png_io.h"
#include "support/logging_control.h"
#include "support/pictures.h"
#include "support/story.h"

namespace sheenwork::testing {

// Holds the timer events of the Sheenwork widgets (the hover timer, the tooltips' timers)
// back except while a script waits, so that time goes by for them only then, as on the
// headless runtime's virtual clock: anything else Qt does in between (a move's events
// being delivered) ticks no timer that happened to be due.
class TimerGate final : public QObject {
public:
    TimerGate();
    ~TimerGate() override;
    // Lets the timers run for `ms` milliseconds of real time and a little more, so that a
    // timer due at the end has ticked when it returns.
    void Wait(long long ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool open_ = false;
};

// A story's form in a Qt window: sheenButtons as sheenwork::qt::Button, "Test.Logger" as
// a line edit that logs its focus. The window is shown and active before its controls
// are made, so that nothing takes the focus on its own.
class QtStoryForm final : public StoryBuilder {
public:
    explicit QtStoryForm(NotificationLog& log);
    ~QtStoryForm() override;

    QWidget& Window() { return *window_; }
    QWidget* Control(const std::string& name) const;
    qt::Button* Button(const std::string& name) const;
    // The form's client area and each control's place, in screen pixels of the form.
    gdi::Rect ScreenRect() const;

    void Form(gdi::Rect screen) override;
    void Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                 const std::vector<std::string>& options) override;
    void Set(const std::string& name, const std::string& key, const std::string& value,
             const std::string& line) override;
    void Default(const std::string& name) override;
    void Cancel(const std::string& name) override;
    bool Other(const std::string& verb, const std::string& name, const std::string& line) override;

private:
    NotificationLog& log_;
    std::unique_ptr<QWidget> window_;
    std::map<std::string, QWidget*> controls_;
    std::vector<std::pair<int, QWidget*>> tab_order_;
};

// Replays script steps against a QtStoryForm as a user's input.
class QtDriver {
public:
    QtDriver(QtStoryForm& form, TimerGate& gate) : form_(form), gate_(gate) {}
    // Lets go of the buttons and keys a script left held, so that the next form starts
    // with none (Qt keeps them for the program).
    ~QtDriver();
    void Run(const runtime::Step& step);

private:
    QPoint Global(const runtime::Step& step) const;
    void Move(QPoint global);
    void MouseButton(int button, bool down);
    void Key(int vk, bool down, bool typed);
    Qt::KeyboardModifiers Modifiers() const;

    QtStoryForm& form_;
    TimerGate& gate_;
    int buttons_ = 0;
    std::map<int, bool> held_;  // modifier keys down, by virtual key
    unsigned long timestamp_ = 1000;
};

// A widget as the screen shows it, in device pixels (0x00BBGGRR, rows from the top).
png::Image Grabbed(QWidget& widget);

// Device pixels per control pixel on the test screen.
int TestScale();

// A story told twice, to the headless runtime (its virtual clock, the runtime's own
// controls) and to Qt widgets, section by section: the headless form first, then the
// same steps as Qt input.
class SideBySide {
public:
    // Builds the form both ways; throws std::runtime_error for a set-up line either side
    // cannot use.
    explicit SideBySide(const Story& story);
    ~SideBySide();

    runtime::Form& Headless() { return *form_; }
    QtStoryForm& Qt() { return window_; }
    // What the Qt side's buttons raised (and the shell calls their clicks made) during
    // the last Run.
    const std::vector<std::string>& Events() const { return log_.entries; }
    void Run(const std::string& script);

    // The Qt side as it shows, against the headless side magnified to the test screen's
    // scale: one control, the whole window, and the visible tooltips with their places.
    ::testing::AssertionResult SameControl(const std::string& name, const std::string& what);
    ::testing::AssertionResult SameWindow(const std::string& what);
    ::testing::AssertionResult SameTooltips(const std::string& what);
    const std::vector<runtime::MessageBoxRequest>& MessageBoxes() const;

private:
    struct HeadlessSide;
    std::string name_;
    std::unique_ptr<HeadlessSide> headless_;
    runtime::Form* form_ = nullptr;
    NotificationLog log_;
    TimerGate gate_;
    QtStoryForm window_;
    std::unique_ptr<QtDriver> driver_;
    std::map<std::string, std::string> handles_;  // Qt button handle -> headless window's
};

}  // namespace sheenwork::testing
