#include "qt/qt_story.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/vb/color.h>

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QTest>
#include <QTimerEvent>
#include <QWindow>

#include <filesystem>

#include "qt/platform.h"
#include "support/recording_services.h"
#include "support/story_log.h"

namespace sheenwork::testing {
namespace {

using runtime::Step;

// "Test.Logger": an ordinary control that takes the focus, as a line edit does; it logs
// what a story asks of it.
class LoggingEdit final : public QLineEdit {
public:
    LoggingEdit(QWidget* parent, std::string name, NotificationLog& log)
        : QLineEdit(parent), name_(std::move(name)), log_(log) {}

protected:
    void focusInEvent(QFocusEvent* e) override {
        log_.entries.push_back(name_ + " GotFocus");
        QLineEdit::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override {
        log_.entries.push_back(name_ + " LostFocus");
        QLineEdit::focusOutEvent(e);
    }

private:
    std::string name_;
    NotificationLog& log_;
};

// The Qt key a script's virtual key is typed with; Qt's events carry no side, so the
// right Alt is told by the key AltGr gives.
Qt::Key QtKeyOf(int vk) {
    using namespace runtime;
    static const std::map<int, Qt::Key> named = {
        {VK_SPACE, Qt::Key_Space},      {VK_RETURN, Qt::Key_Return},
        {VK_ESCAPE, Qt::Key_Escape},    {VK_TAB, Qt::Key_Tab},
        {VK_BACK, Qt::Key_Backspace},   {VK_SHIFT, Qt::Key_Shift},
        {VK_LSHIFT, Qt::Key_Shift},     {VK_RSHIFT, Qt::Key_Shift},
        {VK_CONTROL, Qt::Key_Control},  {VK_LCONTROL, Qt::Key_Control},
        {VK_RCONTROL, Qt::Key_Control}, {VK_MENU, Qt::Key_Alt},
        {VK_LMENU, Qt::Key_Alt},        {VK_RMENU, Qt::Key_AltGr}};
    if (const auto it = named.find(vk); it != named.end()) return it->second;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return static_cast<Qt::Key>(vk);
    throw std::runtime_error("no Qt key for virtual key " + std::to_string(vk));
}

bool IsModifier(int vk) {
    const Qt::Key k = QtKeyOf(vk);
    return k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_AltGr;
}

// A window's handle is its host's own number: the Qt button's stands for the headless one.
std::string WithHandles(std::string line, const std::map<std::string, std::string>& handles) {
    for (const auto& [qt, headless] : handles)
        if (const auto at = line.find(" " + qt + " "); at != std::string::npos)
            line.replace(at + 1, qt.size(), headless);
    return line;
}

// The visible popups as "l t r b" with their pictures.
std::map<std::string, png::Image> HeadlessPopups(runtime::Form& form, int scale) {
    std::map<std::string, png::Image> out;
    for (runtime::Popup* p : form.Popups()) {
        if (!p->Visible()) continue;
        const gdi::Rect r = p->ScreenRect();
        out[std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
            " " + std::to_string(r.bottom)] =
            Magnified(p->Surface().Pixels(), r.Width(), r.Height(), scale);
    }
    return out;
}

std::map<std::string, png::Image> QtPopups(int scale) {
    std::map<std::string, png::Image> out;
    for (QWidget* w : qt::Platform::Current()->VisiblePopups()) {
        const QRect g = w->geometry();
        const int l = g.left(), t = g.top();
        png::Image picture = Grabbed(*w);
        out[std::to_string(l) + " " + std::to_string(t) + " " +
            std::to_string(l + picture.width / scale) + " " +
            std::to_string(t + picture.height / scale)] = std::move(picture);
    }
    return out;
}

}  // namespace

// ---- the timer gate ----

TimerGate::TimerGate() { qApp->installEventFilter(this); }
TimerGate::~TimerGate() { qApp->removeEventFilter(this); }

bool TimerGate::eventFilter(QObject* watched, QEvent* event) {
    if (open_ || event->type() != QEvent::Timer) return false;
    return qobject_cast<qt::Button*>(watched) || qobject_cast<qt::Platform*>(watched);
}

void TimerGate::Wait(long long ms) {
    open_ = true;
    QTest::qWait(static_cast<int>(ms) + 15);
    QCoreApplication::processEvents();
    open_ = false;
}

// ---- the form ----

QtStoryForm::QtStoryForm(NotificationLog& log) : log_(log) {}

QtStoryForm::~QtStoryForm() = default;

QWidget* QtStoryForm::Control(const std::string& name) const {
    const auto it = controls_.find(name);
    if (it == controls_.end()) throw std::runtime_error("no control named " + name);
    return it->second;
}

qt::Button* QtStoryForm::Button(const std::string& name) const {
    auto* b = qobject_cast<qt::Button*>(Control(name));
    if (!b) throw std::runtime_error(name + " is no button");
    return b;
}

gdi::Rect QtStoryForm::ScreenRect() const {
    const QPoint at = window_->mapToGlobal(QPoint(0, 0));
    return {at.x(), at.y(), at.x() + window_->width(), at.y() + window_->height()};
}

void QtStoryForm::Form(gdi::Rect screen) {
    // The pointer starts outside the form, as the headless runtime's does.
    QCursor::setPos(0, 0);
    QCoreApplication::processEvents();
    window_ = std::make_unique<QWidget>();
    window_->setObjectName(QStringLiteral("Form1"));
    // The form's back colour, the button face, as the headless form composes it.
    const std::uint32_t face = vb::TranslateColor(vb::vbButtonFace);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window,
                     QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);
    window_->setGeometry(screen.left, screen.top, screen.Width(), screen.Height());
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get()))
        throw std::runtime_error("the story's window did not become active");
}

void QtStoryForm::Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                          const std::vector<std::string>& options) {
    QWidget* w = nullptr;
    if (cls == "Sheenwork.sheenButton") {
        auto* b = new qt::Button(window_.get());
        const auto add = [this, name](const std::string& line) { log_.entries.push_back(line); };
        const auto mouse = [add, name](const char* event) {
            return [add, name, event](int button, int shift, float x, float y) {
                add(MouseLine(name, event, button, shift, x, y));
            };
        };
        const auto key = [add, name](const char* event) {
            return
                [add, name, event](int code, int shift) { add(KeyLine(name, event, code, shift)); };
        };
        using B = qt::Button;
        QObject::connect(b, &B::clicked, [add, name] { add(name + " Click"); });
        QObject::connect(b, &B::dropDown, [add, name] { add(name + " DropDown"); });
        QObject::connect(b, &B::mouseEnter, [add, name] { add(name + " MouseEnter"); });
        QObject::connect(b, &B::mouseLeave, [add, name] { add(name + " MouseLeave"); });
        QObject::connect(b, &B::mouseDown, mouse("MouseDown"));
        QObject::connect(b, &B::mouseMove, mouse("MouseMove"));
        QObject::connect(b, &B::mouseUp, mouse("MouseUp"));
        QObject::connect(b, &B::keyDown, key("KeyDown"));
        QObject::connect(b, &B::keyUp, key("KeyUp"));
        QObject::connect(b, &B::keyPress, [add, name](int ascii) {
            add(name + " KeyPress " + std::to_string(ascii));
        });
        w = b;
    } else if (cls == "Test.Logger") {
        w = new LoggingEdit(window_.get(), name, log_);
    } else {
        throw std::runtime_error("no Qt widget for the class " + cls);
    }
    w->setObjectName(QString::fromStdString(name));
    w->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    for (const std::string& option : options) {
        if (option == "hidden") w->hide();
        if (option == "disabled") w->setEnabled(false);
        if (option == "notab") w->setFocusPolicy(Qt::NoFocus);
        if (option.rfind("tab=", 0) == 0) tab_order_.emplace_back(std::stoi(option.substr(4)), w);
    }
    if (std::find(options.begin(), options.end(), "hidden") == options.end()) w->show();
    controls_[name] = w;
    // The tab order the options ask for, through Qt's focus chain.
    std::stable_sort(tab_order_.begin(), tab_order_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tab_order_.size(); ++i)
        QWidget::setTabOrder(tab_order_[i - 1].second, tab_order_[i].second);
}

void QtStoryForm::Set(const std::string& name, const std::string& key, const std::string& value,
                      const std::string& line) {
    SetLateBound(*Button(name)->Instance(), key, value, line);
}

void QtStoryForm::Default(const std::string& name) { Button(name)->setDefault(true); }
void QtStoryForm::Cancel(const std::string& name) { Button(name)->setCancel(true); }

bool QtStoryForm::Other(const std::string& verb, const std::string& name, const std::string&) {
    if (verb != "paints") return false;
    Button(name)->Native()->SetPainters(std::make_shared<PaintLog>(name, log_));
    return true;
}

// ---- the driver ----

QtDriver::~QtDriver() {
    for (const int button : {1, 2, 4})
        if (buttons_ & button) MouseButton(button, false);
    for (const auto& [vk, down] : std::map<int, bool>(held_))
        if (down) Key(vk, false, false);
}

QPoint QtDriver::Global(const Step& s) const {
    if (s.target.empty()) {
        const gdi::Point p = s.at.value_or(gdi::Point{0, 0});
        return form_.Window().mapToGlobal(QPoint(p.x, p.y));
    }
    const QWidget* w = form_.Control(s.target);
    if (s.at) return w->mapToGlobal(QPoint(s.at->x, s.at->y));
    return w->mapToGlobal(QPoint(w->width() / 2, w->height() / 2));
}

void QtDriver::Move(QPoint global) {
    // Qt's own cursor: the platform sends the moves, enters and leaves, and the buttons
    // ask it where the pointer is.
    QCursor::setPos(global);
    QCoreApplication::processEvents();
}

void QtDriver::MouseButton(int button, bool down) {
    const Qt::MouseButton qt_button = button == 1   ? Qt::LeftButton
                                      : button == 2 ? Qt::RightButton
                                                    : Qt::MiddleButton;
    buttons_ = down ? buttons_ | button : buttons_ & ~button;
    QWindow* window = form_.Window().windowHandle();
    const QPoint global = QCursor::pos();
    // A second apart: no two presses make a double click.
    timestamp_ += 1000;
    qt_handleMouseEvent(window, window->mapFromGlobal(global), global, Qt::MouseButtons(buttons_),
                        qt_button, down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                        Modifiers(), static_cast<int>(timestamp_));
    QCoreApplication::processEvents();
}

Qt::KeyboardModifiers QtDriver::Modifiers() const {
    using namespace runtime;
    Qt::KeyboardModifiers m;
    const auto down = [&](int vk) {
        const auto it = held_.find(vk);
        return it != held_.end() && it->second;
    };
    if (down(VK_SHIFT) || down(VK_LSHIFT) || down(VK_RSHIFT)) m |= Qt::ShiftModifier;
    if (down(VK_CONTROL) || down(VK_LCONTROL) || down(VK_RCONTROL)) m |= Qt::ControlModifier;
    if (down(VK_MENU) || down(VK_LMENU) || down(VK_RMENU)) m |= Qt::AltModifier;
    return m;
}

void QtDriver::Key(int vk, bool down, bool typed) {
    const Qt::Key key = QtKeyOf(vk);
    // The text a key types, as the keyboard gives it on the way down.
    QString text;
    const Qt::KeyboardModifiers mods = Modifiers();
    if (typed && !(mods & (Qt::AltModifier | Qt::ControlModifier))) {
        if (vk >= 'A' && vk <= 'Z')
            text = QChar(mods & Qt::ShiftModifier ? vk : vk - 'A' + 'a');
        else if ((vk >= '0' && vk <= '9') || vk == runtime::VK_SPACE)
            text = QChar(vk);
        else if (vk == runtime::VK_RETURN)
            text = QStringLiteral("\r");
        else if (vk == runtime::VK_ESCAPE)
            text = QChar(27);
        else if (vk == runtime::VK_TAB)
            text = QStringLiteral("\t");
        else if (vk == runtime::VK_BACK)
            text = QChar(8);
    }
    qt_handleKeyEvent(form_.Window().windowHandle(), down ? QEvent::KeyPress : QEvent::KeyRelease,
                      key, mods, text);
    if (IsModifier(vk)) held_[vk] = down;
    QCoreApplication::processEvents();
}

void QtDriver::Run(const Step& s) {
    switch (s.kind) {
        case Step::Kind::Move: Move(Global(s)); break;
        case Step::Kind::Press: MouseButton(s.button, true); break;
        case Step::Kind::Release: MouseButton(s.button, false); break;
        case Step::Kind::Click:
            if (!s.target.empty() || s.at) Move(Global(s));
            MouseButton(s.button, true);
            MouseButton(s.button, false);
            break;
        case Step::Kind::KeyDown: Key(s.key, true, true); break;
        case Step::Kind::KeyUp: Key(s.key, false, false); break;
        case Step::Kind::KeyPress:
            Key(s.key, true, true);
            Key(s.key, false, false);
            break;
        case Step::Kind::Type:
            for (const char c : s.text) {
                const auto k = *runtime::KeyForChar(c);
                if (k.shift) Key(runtime::VK_LSHIFT, true, false);
                Key(k.vk, true, true);
                Key(k.vk, false, false);
                if (k.shift) Key(runtime::VK_LSHIFT, false, false);
            }
            break;
        case Step::Kind::Alt:
            Key(runtime::VK_LMENU, true, false);
            Key(s.key, true, true);
            Key(s.key, false, false);
            Key(runtime::VK_LMENU, false, false);
            break;
        case Step::Kind::Focus: form_.Control(s.target)->setFocus(Qt::OtherFocusReason); break;
        case Step::Kind::Wait: gate_.Wait(s.millis); break;
    }
}

// ---- pictures ----

png::Image Grabbed(QWidget& widget) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    png::Image out{image.width(), image.height(), {}};
    out.pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            out.pixels.push_back(
                static_cast<gdi::ColorRef>(qBlue(p) << 16 | qGreen(p) << 8 | qRed(p)));
        }
    return out;
}

int TestScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return std::max(1, static_cast<int>(screen ? screen->devicePixelRatio() : 1.0));
}

// ---- both sides ----

struct SideBySide::HeadlessSide {
    explicit HeadlessSide(const Story& story)
        : log(std::make_shared<NotificationLog>()),
          runtime(clock, *gdi,
                  [logging = LoggingFactory(log, AccessKeys(story)),
                   linked = runtime::LinkedControls()](const std::string& cls,
                                                       host::ControlSite& site) {
                      return cls.rfind("Test.", 0) == 0 ? logging(cls, site) : linked(cls, site);
                  }) {}
    RecordingServices services;
    runtime::VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    std::shared_ptr<NotificationLog> log;
    runtime::Runtime runtime;
    std::unique_ptr<runtime::Driver> driver;
};

SideBySide::SideBySide(const Story& story)
    : name_(story.name), headless_(std::make_unique<HeadlessSide>(story)), window_(log_) {
    form_ = &BuildStoryForm(headless_->runtime, story, {},
                            [&](runtime::Form& f, const std::string& verb, const std::string& name,
                                const std::string&) {
                                if (verb != "paints") return false;
                                f.Find(name)->Native<sheenButton>()->SetPainters(
                                    std::make_shared<PaintLog>(name, *headless_->log));
                                return true;
                            });
    BuildStory(story, window_);
    // Tooltips keep to the same screen on both sides.
    headless_->runtime.Screen(qt::Platform::Current()->WorkArea());
    for (runtime::Window* w : form_->Windows())
        if (auto* b = qobject_cast<qt::Button*>(window_.Control(w->Name())))
            handles_[std::to_string(b->hwnd())] = std::to_string(w->Hwnd());
    headless_->driver = std::make_unique<runtime::Driver>(headless_->runtime, *form_);
    driver_ = std::make_unique<QtDriver>(window_, gate_);
}

// The widgets go before the headless runtime (the members' order): the platform they
// share hands the services back first.
SideBySide::~SideBySide() = default;

void SideBySide::Run(const std::string& script) {
    const runtime::Script steps = runtime::ParseScript(script, name_);
    headless_->services.on_call = nullptr;
    for (const runtime::Step& step : steps.steps) headless_->driver->Run(step, name_);
    log_.entries.clear();
    headless_->services.on_call = [&](const std::string& call) {
        log_.entries.push_back(WithHandles("shell " + call, handles_));
    };
    for (const runtime::Step& step : steps.steps) driver_->Run(step);
    headless_->services.on_call = nullptr;
}

::testing::AssertionResult SideBySide::SameControl(const std::string& name,
                                                   const std::string& what) {
    runtime::Window* w = form_->Find(name);
    if (!w) return ::testing::AssertionFailure() << "no control " << name;
    return SamePicture(
        Grabbed(*window_.Control(name)),
        Magnified(w->Surface().Pixels(), w->Rect().Width(), w->Rect().Height(), TestScale()),
        what + " " + name);
}

::testing::AssertionResult SideBySide::SameWindow(const std::string& what) {
    const gdi::Rect r = form_->ScreenRect();
    return SamePicture(Grabbed(window_.Window()),
                       Magnified(form_->Compose(), r.Width(), r.Height(), TestScale()), what);
}

::testing::AssertionResult SideBySide::SameTooltips(const std::string& what) {
    const int scale = TestScale();
    const auto want = HeadlessPopups(*form_, scale);
    const auto got = QtPopups(scale);
    if (got.size() != want.size())
        return ::testing::AssertionFailure()
               << what << ": " << got.size() << " tooltips shown, the headless form shows "
               << want.size();
    for (const auto& [place, picture] : want) {
        if (!got.count(place)) return ::testing::AssertionFailure() << "no tooltip at " << place;
        if (auto same = SamePicture(got.at(place), picture, what + " tooltip"); !same) return same;
    }
    return ::testing::AssertionSuccess();
}

const std::vector<runtime::MessageBoxRequest>& SideBySide::MessageBoxes() const {
    return headless_->runtime.MessageBoxes();
}

}  // namespace sheenwork::testing
