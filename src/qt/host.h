// The control site of a Qt widget: what sheenwork::qt::Button offers the control it holds,
// and how the widget's Qt events reach the control as a container's notifications.
#pragma once

#include <sheenwork/control/events.h>
#include <sheenwork/qt/button.h>
#include <sheenwork/runtime/form.h>

#include <QBasicTimer>
#include <QPointer>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/tracking_gdi.h"
#include "qt/platform.h"
#include "runtime/site_core.h"

class QShortcut;
class QMimeData;

namespace sheenwork::qt {

class Button::Host final : public runtime::SiteCore, public sheenButtonEvents {
public:
    explicit Host(Button& button);
    ~Host() override;
    // Makes the control and initialises it as a new instance.
    void Start();

    Button& Widget() { return button_; }
    sheenButton& Native() { return *native_; }
    std::shared_ptr<sheenButton> NativeRef() const;
    std::shared_ptr<runtime::Object> Instance() const { return control_->Instance(); }
    runtime::ControlNotifications& Control() { return *control_; }
    // Runs `f`, a call into the control, and shows what it drew. `f` may end the widget.
    template <class F>
    void Call(F&& f);

    // ---- what the widget's events call ----
    void Paint(QWidget& widget);
    // The surface takes the widget's size in control pixels; the control is told.
    void SyncSize();
    // A mouse event (0 press, 1 move, 2 release) at `logical` pixels of the widget.
    void Mouse(int kind, int button, int buttons, QPointF logical);
    // Returns whether the widget used the key; false lets it go on to the window.
    bool KeyPressed(int qt_key, std::uint32_t native, const QString& text,
                    Qt::KeyboardModifiers modifiers);
    void KeyReleased(int qt_key, std::uint32_t native);
    void FocusIn();
    void FocusOut();
    void Leave();
    void Timer(int id);
    void EnabledChanged();
    // A drag entering (0), over (1) or leaving (2) the button, or dropped on it (3); the
    // effect the control's handler leaves (0 none, 1 copy, 2 move).
    void Drag(int kind, const QMimeData* mime, Qt::DropAction proposed, Qt::MouseButtons buttons,
              QPointF logical, vb::Long& effect);
    // The access key of a default or cancel button (13, 27), or of the caption with Alt.
    void AccessKey(int key_ascii);
    void AltAccessKey(int key_ascii);
    void AmbientChanged(const std::string& name);
    // The widget's object name changed: a caption nobody set follows it, as a new
    // instance's caption is its name.
    void NameChanged(const QString& name);
    // The button is on its window's list of buttons (after it moved, on the new one's),
    // or on none.
    void JoinWindow();
    void LeaveWindow();
    // Whether the button takes input: visible, enabled.
    bool Usable() const;
    // The access keys the control gave its surface.
    const std::string& AccessKeys() const { return access_keys_; }

    // ---- the properties the widget keeps ----
    bool default_ = false, cancel_ = false, design_mode_ = false;
    // Picture paths as the program gave them, with the picture each gave.
    std::map<std::string, std::pair<QString, host::PictureRef>> paths_;
    const QMimeData* dragged_ = nullptr;  // the data of the drag being reported

    // ---- ControlSite ----
    void PropertyChanged(const std::string& name) override;
    vb::Boolean AmbientUserMode() override { return vb::Boolean(!design_mode_); }
    vb::Boolean AmbientDisplayAsDefault() override;
    std::string ExtenderName() override;
    vb::Boolean ExtenderDefault() override;
    vb::Object Parent() override;
    host::FontRef ParentFont() override { return runtime::Runtime::FormFont(); }
    std::uint32_t ParentBackColor() override;
    long ParentHwnd() override;
    vb::Boolean ParentIsForm() override { return vb::True; }
    long SurfaceHwnd() override { return hwnd_; }
    vb::Boolean SurfaceEnabled() override;
    void SurfaceEnabled(vb::Boolean value) override;
    // The cursor and the widget's drops follow the core's pointer, icon and drop mode.
    void SurfaceMouseIcon(host::PictureRef picture) override;
    void SurfaceMousePointer(vb::Integer pointer) override;
    void SurfaceOLEDropMode(vb::Integer mode) override;
    void SurfaceAccessKeys(const std::string& keys) override;
    vb::Boolean tmrMouseInEnabled() override { return vb::Boolean(hover_.isActive()); }
    void tmrMouseInEnabled(vb::Boolean on) override;
    void tmrMouseInInterval(long milliseconds) override;
    void SetFocus() override;
    void DoEvents() override;
    gdi::Rect GetWindowRect(long hwnd) override;
    gdi::Point GetCursorPos() override { return platform_->CursorPos(); }
    long WindowFromPoint(gdi::Point screen) override { return platform_->WindowAt(screen); }
    std::int16_t GetAsyncKeyState(int virtual_key) override;
    void ShowAbout(const host::AboutInfo& info) override;

    // ---- sheenButtonEvents: the control's events as the widget's signals ----
    void Click() override;
    void MouseUp(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void MouseMove(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void MouseDown(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) override;
    void MouseLeave() override;
    void MouseEnter() override;
    void KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) override;
    void KeyPress(vb::Integer& KeyAscii) override;
    void KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) override;
    void OLECompleteDrag(vb::Long& Effect) override;
    void OLEDragDrop(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                     vb::Integer& Shift, vb::Single& X, vb::Single& Y) override;
    void OLEDragOver(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                     vb::Integer& Shift, vb::Single& X, vb::Single& Y, vb::Integer& State) override;
    void OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) override;
    void OLESetData(host::DataObjectRef& Data, vb::Integer& DataFormat) override;
    void OLEStartDrag(host::DataObjectRef& Data, vb::Long& AllowedEffects) override;
    void DropDown() override;

private:
    double Ratio() const;
    int Scale() const;
    void UpdateCursor();
    // What the control drew since the last look (the surfaces' GDI tracks it).
    bool TakeDrawn() { return static_cast<desktop::TrackingGdi&>(SurfaceGdi()).TakeDrawn(); }
    void StartHover();

    Button& button_;
    Platform::Hold platform_;
    long hwnd_;
    QBasicTimer hover_;
    long hover_interval_ = 1;
    std::string access_keys_;
    std::vector<QShortcut*> shortcuts_;
    float drag_x_ = 0, drag_y_ = 0;
    host::DataObjectRef drag_data_;
    bool left_pressed_ = false;  // a left press on the button, for the click on release
    bool caption_follows_name_ = false, renaming_ = false;
    QPointer<FormState> form_;  // the window's state the button is listed in
    std::shared_ptr<runtime::ControlNotifications> control_;
    std::shared_ptr<sheenButton> native_;
};

template <class F>
void Button::Host::Call(F&& f) {
    const QPointer<Button> alive(&button_);
    const auto keep = control_;  // the control outlives a handler that ends the widget
    f();
    if (alive && TakeDrawn()) button_.update();
}

}  // namespace sheenwork::qt
