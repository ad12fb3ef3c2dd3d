// What every Sheenwork widget of a Qt program shares: window handles for the widgets
// the control and its tooltip ask about, the key state Windows keeps and Qt does not
// (GetAsyncKeyState), the keys whose release belongs to whoever took their press, the
// host of the platform's windows (tooltips as Qt tool windows, their timers as Qt
// timers), and the services with the library's message boxes as Qt message boxes.
//
// One exists while any widget holds it; the first Hold makes it, the last one gone ends
// it. Everything runs on the GUI thread.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/system/services.h>
#include <sheenwork/user/user.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace sheenwork::qt {

class Button;
class FormState;

// Where a widget lies on the screen in control pixels: its screen point at the top-left
// and its ratio of device to logical pixels.
gdi::Point ToHostPoint(QPoint global, double device_pixel_ratio);
QPoint ToGlobalPoint(gdi::Point host, double device_pixel_ratio);

class Platform final : public QObject, public user::WindowHost {
    Q_OBJECT

public:
    // Keeps the platform alive for as long as it lives.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Platform* operator->() const { return platform_; }
        Platform& operator*() const { return *platform_; }

    private:
        Platform* platform_;
    };

    // The platform while one is held, else null.
    static Platform* Current();

    // Handles: a widget's window handle (one is given on first asking and kept until the
    // widget goes), and the widget of a handle.
    long HwndOf(QWidget* widget);
    QWidget* WidgetOf(long hwnd) const;

    // The key and button state, fed from every key and mouse event of the program.
    runtime::KeyState& Keys() { return keys_; }
    // A key whose press was taken (Tab by the focus chain, Enter and Escape by a default
    // or cancel button, an access key): its release reaches no button either.
    void Swallow(int vk) { swallowed_.insert(vk); }

    // The screen as the control sees it, in control pixels.
    gdi::Point CursorPos() const;
    std::optional<gdi::Rect> WindowRect(long hwnd) const;
    long WindowAt(gdi::Point screen);

    // The mouse messages of a window, handed to its relays (a tooltip) before the control
    // gets them.
    void RelayMouse(long hwnd, unsigned message, gdi::Point client);

    // user::WindowHost: popups are Qt tool windows owned by a form's window.
    user::Hwnd CreatePopup(user::Hwnd owner) override;
    void DestroyPopup(user::Hwnd popup) override;
    bool PopupAlive(user::Hwnd popup) override;
    void PlacePopup(user::Hwnd popup, gdi::Rect screen) override;
    void ShowPopup(user::Hwnd popup, bool show) override;
    host::Surface* PopupSurface(user::Hwnd popup) override;
    int SetTimer(std::chrono::milliseconds interval, std::function<void()> tick) override;
    void KillTimer(int id) override;
    gdi::Point GetCursorPos() override { return CursorPos(); }
    user::Hwnd WindowFromPoint(gdi::Point screen) override { return WindowAt(screen); }
    std::optional<gdi::Rect> GetWindowRect(user::Hwnd window) override {
        return WindowRect(window);
    }
    gdi::Rect WorkArea() override;
    void SetMouseRelay(user::Hwnd window, const void* key, Relay relay) override;

    // The popup widgets shown now, for tests that look at tooltips.
    std::vector<QWidget*> VisiblePopups() const;

    // The state of each window that has one.
    std::map<const QWidget*, FormState*> forms;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    Platform();
    ~Platform() override;
    void FocusChanged(QWidget* old, QWidget* now);

    struct Popup;
    class Services;

    std::unique_ptr<gdi::Gdi> gdi_;
    std::unique_ptr<Services> services_;
    runtime::KeyState keys_;
    std::set<int> swallowed_;
    long next_hwnd_ = 0x20000000;
    std::map<long, QPointer<QWidget>> widgets_;
    std::map<const QWidget*, long> hwnds_;
    std::map<long, std::unique_ptr<Popup>> popups_;
    std::map<int, std::function<void()>> timers_;
    std::map<long, std::vector<std::pair<const void*, Relay>>> relays_;
    int holds_ = 0;
};

// What a window with Sheenwork buttons keeps: its buttons (each registered while it is
// on the window), which of them shows as the default (the focused button, else the
// default button), and Enter and Escape that reach the window unused, for its default
// and cancel buttons. It never walks the window's children: it answers while widgets
// are being destroyed (a focus change in a dying dialog).
class FormState final : public QObject {
    Q_OBJECT

public:
    // The state of `window` (a top-level widget), made on first asking; null when there
    // is no platform.
    static FormState& Of(QWidget* window);
    ~FormState() override;

    // A button comes onto the window, or leaves it (it moved, or it is going).
    void Add(Button* button);
    void Remove(Button* button);
    const std::vector<Button*>& Buttons() const { return buttons_; }

    // The window's default or cancel button: the first of its buttons with the property
    // set.
    Button* DefaultButton() const;
    Button* CancelButton() const;
    // Whether `button` shows as the default now.
    bool ShowsAsDefault(const Button* button) const { return shown_ == button; }
    // Works out which button shows as the default and tells the two whose look changes.
    void Update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FormState(QWidget* window);
    QWidget* window_;
    std::vector<Button*> buttons_;
    Button* shown_ = nullptr;  // one of buttons_, or null
};

}  // namespace sheenwork::qt
