#include "qt/platform.h"

#include <sheenwork/qt/button.h>
#include <sheenwork/runtime/timers.h>

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

#include "qt/host.h"
#include "qt/translate.h"

namespace sheenwork::qt {

QAccessibleInterface* AccessibleButton(const QString& class_name, QObject* object);

namespace {

Platform* g_platform = nullptr;

double RatioAt(QPoint global) {
    const QScreen* screen = QGuiApplication::screenAt(global);
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

gdi::Rect ToHostRect(const QRect& logical, double ratio) {
    const gdi::Point tl = ToHostPoint(logical.topLeft(), ratio);
    return {tl.x, tl.y, tl.x + ToControl(logical.width(), ratio),
            tl.y + ToControl(logical.height(), ratio)};
}

// A tooltip's window: its surface shown with exact pixels, above everything, taking no
// input and no focus.
class PopupWidget final : public QWidget {
public:
    explicit PopupWidget(host::Surface& surface)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus),
          surface_(surface) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("sheenwork-tooltip"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int w = static_cast<int>(surface_.ScaleWidth()),
                  h = static_cast<int>(surface_.ScaleHeight());
        const QImage image = ImageOf(surface_.Pixels(), w, h);
        const double ratio = devicePixelRatioF();
        painter.drawImage(QRectF(0, 0, ToLogical(w, ratio), ToLogical(h, ratio)), image);
    }

private:
    host::Surface& surface_;
};

}  // namespace

gdi::Point ToHostPoint(QPoint global, double ratio) {
    const int s = ScaleOf(ratio);
    return {static_cast<int>(std::floor(global.x() * ratio / s + 1e-9)),
            static_cast<int>(std::floor(global.y() * ratio / s + 1e-9))};
}

QPoint ToGlobalPoint(gdi::Point host, double ratio) {
    const int s = ScaleOf(ratio);
    return {static_cast<int>(std::floor((host.x + 0.5) * s / ratio)),
            static_cast<int>(std::floor((host.y + 0.5) * s / ratio))};
}

struct Platform::Popup {
    long owner = 0;
    std::unique_ptr<host::Surface> surface;
    std::unique_ptr<PopupWidget> widget;
    gdi::Rect rect;
};

// The library's message boxes as Qt's, and the key state the program's events keep.
class Platform::Services final : public system::ServicesOverlay {
public:
    explicit Services(Platform& platform) : platform_(platform) {}
    int MessageBox(const std::string& text, const std::string& title, int style) override {
        QMessageBox box(
            style & system::MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::Information,
            FromUtf8(title), FromUtf8(text), QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
        return system::IDOK;
    }
    std::int16_t AsyncKeyState(int vk) override { return platform_.Keys().Query(vk); }

private:
    Platform& platform_;
};

Platform::Hold::Hold() {
    if (!g_platform) g_platform = new Platform();
    platform_ = g_platform;
    ++platform_->holds_;
}

Platform::Hold::~Hold() {
    if (--platform_->holds_ == 0) {
        delete platform_;
        g_platform = nullptr;
    }
}

Platform* Platform::Current() { return g_platform; }

Platform::Platform() : gdi_(gdi::MakeRasterGdi()), services_(std::make_unique<Services>(*this)) {
    user::InstallWindowHost(this);
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &Platform::FocusChanged);
    // Screen readers find the buttons through this factory; it is installed once for the
    // life of the program (Qt keeps no way to remove one).
    static const bool accessible = [] {
        QAccessible::installFactory(&AccessibleButton);
        return true;
    }();
    (void)accessible;
}

Platform::~Platform() {
    user::WindowHostGone(this);
    popups_.clear();
}

long Platform::HwndOf(QWidget* widget) {
    if (!widget) return 0;
    if (const auto it = hwnds_.find(widget); it != hwnds_.end()) return it->second;
    const long hwnd = next_hwnd_++;
    hwnds_[widget] = hwnd;
    widgets_[hwnd] = widget;
    // The handle goes with the widget, and with it the popups it owns.
    connect(widget, &QObject::destroyed, this, [this, widget, hwnd] {
        hwnds_.erase(widget);
        widgets_.erase(hwnd);
        relays_.erase(hwnd);
        for (auto it = popups_.begin(); it != popups_.end();)
            it = it->second->owner == hwnd ? popups_.erase(it) : std::next(it);
    });
    return hwnd;
}

QWidget* Platform::WidgetOf(long hwnd) const {
    const auto it = widgets_.find(hwnd);
    return it == widgets_.end() ? nullptr : it->second.data();
}

gdi::Point Platform::CursorPos() const {
    const QPoint global = QCursor::pos();
    return ToHostPoint(global, RatioAt(global));
}

std::optional<gdi::Rect> Platform::WindowRect(long hwnd) const {
    const QWidget* w = WidgetOf(hwnd);
    if (!w) {
        const auto p = popups_.find(hwnd);
        if (p == popups_.end()) return std::nullopt;
        return p->second->rect;
    }
    return ToHostRect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()), w->devicePixelRatioF());
}

long Platform::WindowAt(gdi::Point screen) {
    const QPoint global = ToGlobalPoint(screen, RatioAt(QCursor::pos()));
    QWidget* w = QApplication::widgetAt(global);
    if (!w) return 0;
    // A button is a window of its own; anything else counts as its top-level window.
    if (qobject_cast<Button*>(w)) return HwndOf(w);
    return HwndOf(w->window());
}

void Platform::RelayMouse(long hwnd, unsigned message, gdi::Point client) {
    const auto it = relays_.find(hwnd);
    if (it == relays_.end()) return;
    const auto relays = it->second;  // a relay may change the subclasses
    for (const auto& relay : relays) relay.second(message, client);
}

user::Hwnd Platform::CreatePopup(user::Hwnd owner) {
    QWidget* form = WidgetOf(owner);
    if (!form || !form->isWindow()) return 0;
    auto popup = std::make_unique<Popup>();
    popup->owner = owner;
    popup->surface = std::make_unique<host::Surface>(*gdi_, 1, 1);
    popup->widget = std::make_unique<PopupWidget>(*popup->surface);
    const long hwnd = next_hwnd_++;
    popups_[hwnd] = std::move(popup);
    return hwnd;
}

void Platform::DestroyPopup(user::Hwnd popup) { popups_.erase(popup); }

bool Platform::PopupAlive(user::Hwnd popup) { return popups_.contains(popup); }

void Platform::PlacePopup(user::Hwnd hwnd, gdi::Rect screen) {
    const auto it = popups_.find(hwnd);
    if (it == popups_.end()) return;
    Popup& p = *it->second;
    p.rect = screen;
    p.surface->Resize(std::max(screen.Width(), 1), std::max(screen.Height(), 1));
    const double ratio = RatioAt(QCursor::pos());
    const QPoint at = ToGlobalPoint({screen.left, screen.top}, ratio);
    p.widget->setGeometry(at.x(), at.y(),
                          static_cast<int>(std::lround(ToLogical(screen.Width(), ratio))),
                          static_cast<int>(std::lround(ToLogical(screen.Height(), ratio))));
}

void Platform::ShowPopup(user::Hwnd hwnd, bool show) {
    const auto it = popups_.find(hwnd);
    if (it == popups_.end()) return;
    QWidget& w = *it->second->widget;
    w.setVisible(show);
    if (show) w.update();
}

host::Surface* Platform::PopupSurface(user::Hwnd hwnd) {
    const auto it = popups_.find(hwnd);
    return it == popups_.end() ? nullptr : it->second->surface.get();
}

int Platform::SetTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
    const auto ms = std::max(interval, runtime::kTimerMinimum);
    const int id = startTimer(ms, Qt::PreciseTimer);
    timers_[id] = std::move(tick);
    return id;
}

void Platform::KillTimer(int id) {
    if (timers_.erase(id) > 0) killTimer(id);
}

void Platform::timerEvent(QTimerEvent* event) {
    const auto it = timers_.find(event->timerId());
    if (it == timers_.end()) return;
    const auto tick = it->second;  // the tick may kill its own timer
    tick();
}

gdi::Rect Platform::WorkArea() {
    const QPoint cursor = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(cursor);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return {0, 0, 1024, 768};
    return ToHostRect(screen->availableGeometry(), screen->devicePixelRatio());
}

void Platform::SetMouseRelay(user::Hwnd window, const void* key, Relay relay) {
    auto& relays = relays_[window];
    std::erase_if(relays, [&](const auto& r) { return r.first == key; });
    if (relay) relays.emplace_back(key, std::move(relay));
    if (relays.empty()) relays_.erase(window);
}

std::vector<QWidget*> Platform::VisiblePopups() const {
    std::vector<QWidget*> out;
    for (const auto& [hwnd, p] : popups_)
        if (p->widget->isVisible()) out.push_back(p->widget.get());
    return out;
}

bool Platform::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            // A key event reaches the window first and then the widget with the focus:
            // the widget's is the one that counts.
            if (!watched->isWidgetType()) break;
            const auto* k = static_cast<QKeyEvent*>(event);
            const int vk = VirtualKeyOf(k->key(), k->nativeVirtualKey());
            if (vk == 0 || k->isAutoRepeat()) break;
            if (event->type() == QEvent::KeyPress) {
                keys_.Down(vk);
                // The focus chain takes Tab and Shift+Tab before any widget sees them.
                if (vk == runtime::VK_TAB &&
                    !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
                    Swallow(vk);
                break;
            }
            keys_.Up(vk);
            if (swallowed_.erase(vk) > 0 && qobject_cast<Button*>(watched)) return true;
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            if (!watched->isWidgetType()) break;
            const auto* m = static_cast<QMouseEvent*>(event);
            const int button = ButtonOf(m->button());
            const int vk = button == 1   ? runtime::VK_LBUTTON
                           : button == 2 ? runtime::VK_RBUTTON
                           : button == 4 ? runtime::VK_MBUTTON
                                         : 0;
            if (vk == 0) break;
            if (event->type() == QEvent::MouseButtonPress)
                keys_.Down(vk);
            else
                keys_.Up(vk);
            break;
        }
        case QEvent::ApplicationDeactivate:
            // Keys let go in another program's window are not seen here.
            keys_.Reset();
            swallowed_.clear();
            break;
        default: break;
    }
    return false;
}

void Platform::FocusChanged(QWidget* old, QWidget* now) {
    std::vector<FormState*> states;
    for (QWidget* w : {old, now}) {
        if (!w) continue;
        const auto it = forms.find(w->window());
        if (it != forms.end() &&
            std::find(states.begin(), states.end(), it->second) == states.end())
            states.push_back(it->second);
    }
    for (FormState* state : states) state->Update();
}

// ---- FormState ----

FormState::FormState(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
    if (Platform* p = Platform::Current()) p->forms[window] = this;
}

FormState::~FormState() {
    if (Platform* p = Platform::Current()) p->forms.erase(window_);
}

FormState& FormState::Of(QWidget* window) {
    if (Platform* p = Platform::Current())
        if (const auto it = p->forms.find(window); it != p->forms.end()) return *it->second;
    return *new FormState(window);
}

void FormState::Add(Button* button) {
    if (std::find(buttons_.begin(), buttons_.end(), button) == buttons_.end())
        buttons_.push_back(button);
}

void FormState::Remove(Button* button) {
    std::erase(buttons_, button);
    if (shown_ == button) shown_ = nullptr;
}

namespace {
template <class P>
Button* FirstButton(const std::vector<Button*>& buttons, const QWidget* window, P wanted) {
    for (Button* b : buttons)
        if (b->window() == window && wanted(*b)) return b;
    return nullptr;
}
}  // namespace

Button* FormState::DefaultButton() const {
    return FirstButton(buttons_, window_, [](const Button& b) { return b.Default(); });
}

Button* FormState::CancelButton() const {
    return FirstButton(buttons_, window_, [](const Button& b) { return b.Cancel(); });
}

void FormState::Update() {
    // A button shows as the default while it has the focus; otherwise the default button.
    const QWidget* focus = window_->focusWidget();
    Button* focused = nullptr;
    for (Button* b : buttons_)
        if (b == focus && b->window() == window_) focused = b;
    Button* shown = focused ? focused : DefaultButton();
    if (shown == shown_) return;
    Button* before = shown_;
    shown_ = shown;
    // The first one's handler may end the other: each is told while it is still here.
    for (Button* b : {before, shown}) {
        if (!b || std::find(buttons_.begin(), buttons_.end(), b) == buttons_.end()) continue;
        b->Site().AmbientChanged("DisplayAsDefault");
    }
}

bool FormState::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_ || event->type() != QEvent::KeyPress) return false;
    const auto* k = static_cast<QKeyEvent*>(event);
    if (k->modifiers() & Qt::AltModifier) return false;
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (!enter && k->key() != Qt::Key_Escape) return false;
    // The key came back unused from the focused widget: the window's default or cancel
    // button takes it, and its release too.
    Button* target = enter ? DefaultButton() : CancelButton();
    if (!target || !target->Site().Usable()) return false;
    if (Platform* p = Platform::Current())
        p->Swallow(enter ? runtime::VK_RETURN : runtime::VK_ESCAPE);
    target->Site().AccessKey(enter ? 13 : 27);
    return true;
}

}  // namespace sheenwork::qt
