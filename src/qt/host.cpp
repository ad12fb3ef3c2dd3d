// The control site of the Qt widget, and the widget's events as the container's
// notifications. The rules are the form runtime's (src/runtime/runtime.cpp), with Qt
// doing what a form does there: its focus chain moves the focus, its shortcuts find the
// access key's button, its dialogs' keys come back to the window for the default and
// cancel buttons.
#include "qt/host.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/host/form_object.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/user/user.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/error.h>

#include <QAccessible>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "qt/translate.h"

namespace sheenwork::qt {

void ShowAboutDialog(const host::AboutInfo& info, QWidget* owner);

namespace {

using runtime::VK_ESCAPE;
using runtime::VK_MENU;
using runtime::VK_RETURN;

// The window a button sits on, as the control sees its container ("Parent"): a form.
class WindowObject final : public vb::Dispatch, public host::FormObject {
public:
    WindowObject(QWidget* window, long hwnd) : window_(window), hwnd_(hwnd) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind kind,
                       std::vector<vb::Variant>& args) override {
        const bool get = kind == vb::InvokeKind::PropertyGet || kind == vb::InvokeKind::Method;
        const auto is = [&](const char* member) {
            return get && args.empty() && name.size() == std::strlen(member) &&
                   std::equal(name.begin(), name.end(), member, [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) ==
                              std::tolower(static_cast<unsigned char>(b));
                   });
        };
        if (!window_) vb::Raise(91);
        if (is("hWnd")) return vb::Variant(static_cast<vb::Long>(hwnd_));
        if (is("Font")) return vb::Variant(vb::Object(runtime::Runtime::FormFont()));
        if (is("BackColor")) {
            const QColor c = window_->palette().color(window_->backgroundRole());
            return vb::Variant(static_cast<vb::Long>(OleColorOf(c)));
        }
        if (is("Name")) return vb::Variant(Utf8(window_->objectName()));
        if (is("Caption")) return vb::Variant(Utf8(window_->windowTitle()));
        if (is("ScaleMode")) return vb::Variant(vb::Integer{3});  // pixels
        vb::Raise(438);
    }

private:
    QPointer<QWidget> window_;
    long hwnd_;
};

unsigned MouseMessage(int kind, int button) {
    if (kind == 1) return user::WM_MOUSEMOVE;
    const bool down = kind == 0;
    switch (button) {
        case 1: return down ? user::WM_LBUTTONDOWN : user::WM_LBUTTONUP;
        case 2: return down ? user::WM_RBUTTONDOWN : user::WM_RBUTTONUP;
        case 4: return down ? user::WM_MBUTTONDOWN : user::WM_MBUTTONUP;
        default: return 0;
    }
}

Qt::CursorShape ShapeOf(int pointer) {
    switch (static_cast<runtime::Cursor>(pointer)) {
        case runtime::Cursor::Cross: return Qt::CrossCursor;
        case runtime::Cursor::IBeam: return Qt::IBeamCursor;
        case runtime::Cursor::Size:
        case runtime::Cursor::SizeAll: return Qt::SizeAllCursor;
        case runtime::Cursor::SizeNESW: return Qt::SizeBDiagCursor;
        case runtime::Cursor::SizeNS: return Qt::SizeVerCursor;
        case runtime::Cursor::SizeNWSE: return Qt::SizeFDiagCursor;
        case runtime::Cursor::SizeWE: return Qt::SizeHorCursor;
        case runtime::Cursor::UpArrow: return Qt::UpArrowCursor;
        case runtime::Cursor::Hourglass: return Qt::WaitCursor;
        case runtime::Cursor::NoDrop: return Qt::ForbiddenCursor;
        case runtime::Cursor::ArrowHourglass: return Qt::BusyCursor;
        case runtime::Cursor::ArrowQuestion: return Qt::WhatsThisCursor;
        default: return Qt::ArrowCursor;  // Arrow, and Icon, which Qt has no shape for
    }
}

// The effects of the host's drag and drop (vbDropEffectCopy 1, vbDropEffectMove 2) and
// Qt's actions.
vb::Long EffectOf(Qt::DropAction action) {
    return action == Qt::MoveAction ? 2 : action == Qt::CopyAction ? 1 : 0;
}

host::DataObjectRef DataOf(const QMimeData* mime) {
    auto data = std::make_shared<host::DataObject>();
    if (!mime) return data;
    if (mime->hasText()) data->SetData(vb::ToAnsi(Utf8(mime->text())), host::vbCFText);
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) data->Files().push_back(Utf8(url.toLocalFile()));
    return data;
}

}  // namespace

Button::Host::Host(Button& button)
    : SiteCore(std::make_unique<desktop::TrackingGdi>(gdi::MakeRasterGdi()),
               std::max(ToControl(button.width(), button.devicePixelRatioF()), 1),
               std::max(ToControl(button.height(), button.devicePixelRatioF()), 1)),
      button_(button),
      hwnd_(platform_->HwndOf(&button)) {}

Button::Host::~Host() {
    if (native_) native_->EventSink(nullptr);
    hover_.stop();
    // The control goes first: it may still talk to its site while it ends (its tooltip
    // window goes back to the platform).
    native_.reset();
    control_.reset();
}

void Button::Host::Start() {
    const runtime::CreatedControl created =
        runtime::LinkedControls()("Sheenwork.sheenButton", *this);
    control_ = created.control;
    const auto object = control_ ? control_->Instance() : nullptr;
    native_ = object ? object->Native<sheenButton>() : nullptr;
    if (!native_) throw std::runtime_error("the library has no sheenButton to make");
    native_->EventSink(this);
    Call([&] { control_->InitProperties(); });
    caption_follows_name_ = true;
}

void Button::Host::JoinWindow() {
    FormState& state = FormState::Of(button_.window());
    if (&state == form_) return;
    LeaveWindow();
    state.Add(&button_);
    form_ = &state;
}

void Button::Host::LeaveWindow() {
    if (form_) form_->Remove(&button_);
    form_ = nullptr;
}

void Button::Host::NameChanged(const QString& name) {
    if (!caption_follows_name_) return;
    renaming_ = true;
    Call([&] { native_->Caption(Utf8(name)); });
    renaming_ = false;
}

std::shared_ptr<sheenButton> Button::Host::NativeRef() const { return native_; }

double Button::Host::Ratio() const { return button_.devicePixelRatioF(); }
int Button::Host::Scale() const { return ScaleOf(Ratio()); }

// ---- the widget's events ----

void Button::Host::Paint(QWidget& widget) {
    SyncSize();
    QPainter painter(&widget);
    const int w = static_cast<int>(Surface().ScaleWidth()),
              h = static_cast<int>(Surface().ScaleHeight());
    const QImage image = ImageOf(Surface().Pixels(), w, h);
    // Each control pixel a block of Scale() x Scale() device pixels, never smoothed.
    painter.drawImage(QRectF(0, 0, ToLogical(w, Ratio()), ToLogical(h, Ratio())), image);
}

void Button::Host::SyncSize() {
    const int w = std::max(ToControl(button_.width(), Ratio()), 1),
              h = std::max(ToControl(button_.height(), Ratio()), 1);
    if (w == static_cast<int>(Surface().ScaleWidth()) &&
        h == static_cast<int>(Surface().ScaleHeight()))
        return;
    Surface().Resize(w, h);
    Call([&] { control_->Resize(); });
}

void Button::Host::Mouse(int kind, int button, int buttons, QPointF logical) {
    const double scale = Ratio() / Scale();
    const auto x = static_cast<float>(logical.x() * scale),
               y = static_cast<float>(logical.y() * scale);
    const int shift = platform_->Keys().ShiftMask();
    const QPointer<Button> alive(&button_);
    // A subclass hears the message first (a tooltip that relays its tool's mouse).
    platform_->RelayMouse(hwnd_, MouseMessage(kind, button),
                          {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y))});
    if (!alive) return;
    if (kind == 0) {
        if (button == 1) left_pressed_ = true;
        Call([&] { control_->MouseDown(button, shift, x, y); });
    } else if (kind == 1) {
        Call([&] { control_->MouseMove(buttons, shift, x, y); });
    } else {
        Call([&] { control_->MouseUp(button, shift, x, y); });
        if (!alive) return;
        const bool over =
            x >= 0 && y >= 0 && x < Surface().ScaleWidth() && y < Surface().ScaleHeight();
        // A left press and release on the button, released over it, clicks.
        if (button == 1 && std::exchange(left_pressed_, false) && over && button_.isEnabled())
            Call([&] { control_->Click(); });
        // The last button up ends the grab, and the button under the pointer hears a move to
        // where the pointer is, as the end of a mouse capture makes Windows send.
        if (alive && buttons == 0 && over) Call([&] { control_->MouseMove(0, shift, x, y); });
    }
}

bool Button::Host::KeyPressed(int qt_key, std::uint32_t native, const QString& text,
                              Qt::KeyboardModifiers modifiers) {
    const int vk = VirtualKeyOf(qt_key, native);
    runtime::KeyState& keys = platform_->Keys();
    const bool alt = keys.IsDown(VK_MENU);
    if (vk == VK_RETURN && !alt) {
        // The focused button is the one Enter clicks.
        platform_->Swallow(VK_RETURN);
        AccessKey(13);
        return true;
    }
    if (vk == VK_ESCAPE && !alt) {
        Button* cancel = FormState::Of(button_.window()).CancelButton();
        if (cancel && cancel->Site().Usable()) {
            platform_->Swallow(VK_ESCAPE);
            cancel->Site().AccessKey(27);
            return true;
        }
    }
    if (vk == 0) return false;
    const QPointer<Button> alive(&button_);
    int code = runtime::ReportedKey(vk);
    Call([&] { control_->KeyDown(code, keys.ShiftMask()); });
    if (!alive) return true;
    // Alt with a key types nothing; the right Alt of a keyboard that types with it
    // (AltGr) comes without Qt's Alt modifier and types its character.
    const bool no_text = (modifiers & Qt::AltModifier) || keys.IsDown(runtime::VK_LMENU);
    const bool ctrl = (modifiers & Qt::ControlModifier) || keys.IsDown(runtime::VK_CONTROL);
    int ascii = KeyAsciiOf(text, vk, ctrl && !no_text, no_text);
    if (ascii != 0) Call([&] { control_->KeyPress(ascii); });
    // Escape that no cancel button took goes on to the window as well: a dialog closes.
    return vk != VK_ESCAPE;
}

void Button::Host::KeyReleased(int qt_key, std::uint32_t native) {
    const int vk = VirtualKeyOf(qt_key, native);
    if (vk == 0) return;
    int code = runtime::ReportedKey(vk);
    Call([&] { control_->KeyUp(code, platform_->Keys().ShiftMask()); });
}

void Button::Host::FocusIn() {
    Call([&] { control_->GotFocus(); });
}

void Button::Host::FocusOut() {
    Call([&] { control_->LostFocus(); });
}

void Button::Host::Leave() {
    // Qt says when the pointer leaves: the hover timer need not wait for its next tick
    // to find it gone.
    if (hover_.isActive()) Call([&] { control_->Timer("tmrMouseIn"); });
}

void Button::Host::Timer(int id) {
    if (id == hover_.timerId()) Call([&] { control_->Timer("tmrMouseIn"); });
}

void Button::Host::EnabledChanged() {
    const bool want = !button_.testAttribute(Qt::WA_ForceDisabled);
    if (static_cast<bool>(native_->Enabled()) != want)
        Call([&] { native_->Enabled(vb::Boolean(want)); });
}

void Button::Host::Drag(int kind, const QMimeData* mime, Qt::DropAction proposed,
                        Qt::MouseButtons buttons, QPointF logical, vb::Long& effect) {
    effect = 0;
    if (SiteCore::SurfaceOLEDropMode() != 1) return;  // only a manual drop target hears of drags
    if (kind != 2) {
        const double scale = Ratio() / Scale();
        drag_x_ = static_cast<float>(logical.x() * scale);
        drag_y_ = static_cast<float>(logical.y() * scale);
        drag_data_ = DataOf(mime);
        dragged_ = mime;
    }
    effect = EffectOf(proposed);
    vb::Integer button = static_cast<vb::Integer>(ButtonOf(buttons)),
                shift = static_cast<vb::Integer>(platform_->Keys().ShiftMask());
    vb::Single x = drag_x_, y = drag_y_;
    host::DataObjectRef data = drag_data_ ? drag_data_ : DataOf(nullptr);
    if (kind == 3) {
        Call([&] { native_->UserControl_OLEDragDrop(data, effect, button, shift, x, y); });
    } else {
        // The state: 0 entering, 1 leaving, 2 over.
        vb::Integer state = static_cast<vb::Integer>(kind == 0 ? 0 : kind == 2 ? 1 : 2);
        Call([&] { native_->UserControl_OLEDragOver(data, effect, button, shift, x, y, state); });
    }
    if (kind >= 2) {
        dragged_ = nullptr;
        drag_data_.reset();
    }
}

void Button::Host::AccessKey(int key_ascii) {
    Call([&] { control_->AccessKeyPress(key_ascii); });
}

void Button::Host::AltAccessKey(int key_ascii) {
    const QPointer<Button> alive(&button_);
    // The focus comes first, as to any control whose access key is pressed.
    if (button_.focusPolicy() & Qt::TabFocus) button_.setFocus(Qt::ShortcutFocusReason);
    if (alive) AccessKey(key_ascii);
}

void Button::Host::AmbientChanged(const std::string& name) {
    Call([&] { control_->AmbientChanged(name); });
}

bool Button::Host::Usable() const { return control_ && button_.isVisible() && button_.isEnabled(); }

// ---- ControlSite ----

void Button::Host::PropertyChanged(const std::string& name) {
    const QString property = FromUtf8(name);
    if (name == "Caption" && !renaming_) caption_follows_name_ = false;
    if (name == "Caption" && QAccessible::isActive()) {
        QAccessibleEvent event(&button_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    emit button_.propertyChanged(property);
}

vb::Boolean Button::Host::AmbientDisplayAsDefault() {
    return vb::Boolean(FormState::Of(button_.window()).ShowsAsDefault(&button_));
}

std::string Button::Host::ExtenderName() { return Utf8(button_.objectName()); }

vb::Boolean Button::Host::ExtenderDefault() {
    return vb::Boolean(FormState::Of(button_.window()).DefaultButton() == &button_);
}

vb::Object Button::Host::Parent() {
    QWidget* window = button_.window();
    return vb::Object(std::make_shared<WindowObject>(window, platform_->HwndOf(window)));
}

// The corners outside the rounded frame take the colour of what the button sits on.
std::uint32_t Button::Host::ParentBackColor() {
    const QWidget* under = button_.parentWidget() ? button_.parentWidget() : &button_;
    const QColor c = under->palette().color(under->backgroundRole());
    return OleColorOf(QColor(c.red(), c.green(), c.blue()));
}

long Button::Host::ParentHwnd() { return platform_->HwndOf(button_.window()); }

vb::Boolean Button::Host::SurfaceEnabled() {
    return vb::Boolean(!button_.testAttribute(Qt::WA_ForceDisabled));
}

void Button::Host::SurfaceEnabled(vb::Boolean value) {
    button_.setEnabled(static_cast<bool>(value));
}

void Button::Host::SurfaceMouseIcon(host::PictureRef picture) {
    mouse_icon_ = std::move(picture);
    UpdateCursor();
}

void Button::Host::SurfaceMousePointer(vb::Integer pointer) {
    mouse_pointer_ = pointer;
    UpdateCursor();
}

void Button::Host::UpdateCursor() {
    if (mouse_pointer_ == static_cast<int>(runtime::Cursor::Custom)) {
        if (!mouse_icon_ || mouse_icon_->PixelWidth() == 0) {
            button_.setCursor(Qt::ArrowCursor);
            return;
        }
        const vb::StdPicture& pic = *mouse_icon_;
        const int s = Scale();
        // Straight 0xAARRGGBB, as QImage's ARGB32 keeps it; each pixel a block.
        const QImage image(reinterpret_cast<const uchar*>(pic.Pixels().data()), pic.PixelWidth(),
                           pic.PixelHeight(), pic.PixelWidth() * 4, QImage::Format_ARGB32);
        QPixmap pixmap =
            QPixmap::fromImage(image.scaled(pic.PixelWidth() * s, pic.PixelHeight() * s));
        pixmap.setDevicePixelRatio(Ratio());
        // The hand pointers point where their cursor files say; another picture, as an
        // icon does, at its centre.
        gdi::Point hot{pic.PixelWidth() / 2, pic.PixelHeight() / 2};
        for (int i = 0; i < 2; ++i)
            if (mouse_icon_ == picture::XPPointer(i)) hot = picture::XPPointerHotSpot(i);
        button_.setCursor(QCursor(pixmap, static_cast<int>(hot.x * s / Ratio()),
                                  static_cast<int>(hot.y * s / Ratio())));
        return;
    }
    if (mouse_pointer_ >= 1 && mouse_pointer_ <= 15)
        button_.setCursor(ShapeOf(mouse_pointer_));
    else
        button_.unsetCursor();
}

void Button::Host::SurfaceOLEDropMode(vb::Integer mode) {
    SiteCore::SurfaceOLEDropMode(mode);
    button_.setAcceptDrops(mode != 0);
}

void Button::Host::SurfaceAccessKeys(const std::string& keys) {
    access_keys_ = keys;
    for (QShortcut* s : shortcuts_) delete s;
    shortcuts_.clear();
    const QString text = FromUtf8(keys);
    for (const QChar c : text) {
        if (!c.isPrint() || c.isSpace()) continue;
        const QChar upper = c.toUpper(), lower = c.toLower();
        const int vk = VirtualKeyOf(upper.unicode());
        // Alt with the key, and with Shift the capital letter: either reaches the button.
        for (const bool shift : {false, true}) {
            if (shift && upper == lower) continue;
            const QChar typed = shift ? upper : lower;
            const std::string ansi = vb::ToAnsi(Utf8(QString(typed)));
            const int ascii = ansi.size() == 1 ? static_cast<unsigned char>(ansi[0]) : 0;
            const QKeyCombination combination(
                shift ? Qt::AltModifier | Qt::ShiftModifier : Qt::AltModifier,
                static_cast<Qt::Key>(upper.unicode()));
            auto* shortcut = new QShortcut(QKeySequence(combination), &button_);
            shortcut->setContext(Qt::WindowShortcut);
            const auto activate = [this, typed, ascii, vk](bool ambiguous) {
                // Two buttons with one key: the first of the window takes it, as on a form.
                Button* target = &button_;
                if (ambiguous) {
                    for (Button* b : FormState::Of(button_.window()).Buttons()) {
                        if (b->window() != button_.window() || !b->Site().Usable()) continue;
                        if (FromUtf8(b->Site().access_keys_).contains(typed, Qt::CaseInsensitive)) {
                            target = b;
                            break;
                        }
                    }
                }
                if (!target->Site().Usable()) return;
                if (vk != 0) platform_->Swallow(vk);
                target->Site().AltAccessKey(ascii);
            };
            QObject::connect(shortcut, &QShortcut::activated, &button_,
                             [activate] { activate(false); });
            QObject::connect(shortcut, &QShortcut::activatedAmbiguously, &button_,
                             [activate] { activate(true); });
            shortcuts_.push_back(shortcut);
        }
    }
}

void Button::Host::tmrMouseInEnabled(vb::Boolean on) {
    if (!on) {
        hover_.stop();
        return;
    }
    // Enabling a running timer leaves its interval running.
    if (!hover_.isActive()) StartHover();
}

void Button::Host::tmrMouseInInterval(long milliseconds) {
    hover_interval_ = milliseconds;
    // A new interval starts now.
    if (hover_.isActive()) StartHover();
}

void Button::Host::StartHover() {
    // As often as the platform's timers allow: at least 10 ms.
    const auto interval = std::max(runtime::Millis(hover_interval_), runtime::kTimerMinimum);
    hover_.start(static_cast<int>(interval.count()), Qt::PreciseTimer, &button_);
}

void Button::Host::SetFocus() { button_.setFocus(Qt::MouseFocusReason); }

// The control lets pending work run while it holds a press: paints and timers, not the
// next input, which comes after the press as it was made.
void Button::Host::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

gdi::Rect Button::Host::GetWindowRect(long hwnd) {
    const auto rect = platform_->WindowRect(hwnd);
    if (!rect) vb::Raise(5);  // no such window: the call fails
    return *rect;
}

std::int16_t Button::Host::GetAsyncKeyState(int virtual_key) {
    return platform_->Keys().Query(virtual_key);
}

void Button::Host::ShowAbout(const host::AboutInfo& info) { ShowAboutDialog(info, &button_); }

// ---- the control's events ----

void Button::Host::Click() { emit button_.clicked(); }
void Button::Host::MouseUp(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    emit button_.mouseUp(b, s, x, y);
}
void Button::Host::MouseMove(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    emit button_.mouseMove(b, s, x, y);
}
void Button::Host::MouseDown(vb::Integer& b, vb::Integer& s, vb::Single& x, vb::Single& y) {
    emit button_.mouseDown(b, s, x, y);
}
void Button::Host::MouseLeave() { emit button_.mouseLeave(); }
void Button::Host::MouseEnter() { emit button_.mouseEnter(); }
void Button::Host::KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) {
    emit button_.keyDown(KeyCode, Shift);
}
void Button::Host::KeyPress(vb::Integer& KeyAscii) { emit button_.keyPress(KeyAscii); }
void Button::Host::KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) {
    emit button_.keyUp(KeyCode, Shift);
}
void Button::Host::OLECompleteDrag(vb::Long& Effect) {
    emit button_.oleCompleteDrag(static_cast<int>(Effect));
}
void Button::Host::OLEDragDrop(host::DataObjectRef&, vb::Long& Effect, vb::Integer& Button,
                               vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
    int effect = static_cast<int>(Effect);
    emit button_.oleDragDrop(dragged_, effect, Button, Shift, X, Y);
    Effect = effect;
}
void Button::Host::OLEDragOver(host::DataObjectRef&, vb::Long& Effect, vb::Integer& Button,
                               vb::Integer& Shift, vb::Single& X, vb::Single& Y,
                               vb::Integer& State) {
    int effect = static_cast<int>(Effect);
    emit button_.oleDragOver(dragged_, effect, Button, Shift, X, Y, State);
    Effect = effect;
}
void Button::Host::OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) {
    emit button_.oleGiveFeedback(static_cast<int>(Effect), static_cast<bool>(DefaultCursors));
}
void Button::Host::OLESetData(host::DataObjectRef&, vb::Integer& DataFormat) {
    emit button_.oleSetData(dragged_, DataFormat);
}
void Button::Host::OLEStartDrag(host::DataObjectRef&, vb::Long& AllowedEffects) {
    emit button_.oleStartDrag(dragged_, static_cast<int>(AllowedEffects));
}
void Button::Host::DropDown() { emit button_.dropDown(); }

}  // namespace sheenwork::qt
