#include "qt/qt_story.h"

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/runtime/script.h>
#include <sheenwork/vb/color.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QMetaProperty>
#include <QTest>
#include <QWindow>

#include <fstream>
#include <map>
#include <sstream>

#include "qt/platform.h"
#include "support/recording_services.h"
#include "support/story_log.h"

namespace sheenwork::testing {
namespace {

using runtime::Step;

// "Test.Logger": an ordinary control that takes the focus, as a line edit does; it logs
// its focus as a story's logging control does.
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

// The visible popups, by "l t r b", with their pictures.
using Popups = std::map<std::string, png::Image>;
std::string Place(int l, int t, int r, int b) {
    return std::to_string(l) + " " + std::to_string(t) + " " + std::to_string(r) + " " +
           std::to_string(b);
}

// Holds the timer events of the Sheenwork widgets (the hover timer, the tooltips' timers)
// back except while a script waits, so that time goes by for them only then, as on the
// headless runtime's virtual clock: anything else Qt does in between (a move's events
// being delivered) ticks no timer that happened to be due.
class TimerGate final : public QObject {
public:
    TimerGate() { qApp->installEventFilter(this); }
    ~TimerGate() override { qApp->removeEventFilter(this); }
    // Lets the timers run for `ms` milliseconds and a little more, so that a timer due at
    // the end has ticked when it returns.
    void Wait(long long ms) {
        open_ = true;
        QTest::qWait(static_cast<int>(ms) + 15);
        QCoreApplication::processEvents();
        open_ = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (open_ || event->type() != QEvent::Timer) return false;
        return qobject_cast<qt::Button*>(watched) || qobject_cast<qt::Platform*>(watched);
    }

private:
    bool open_ = false;
};

// A story's form in a Qt window. The window is shown and active before its controls are
// made, so that nothing takes the focus on its own.
class QtForm final : public StoryBuilder {
public:
    explicit QtForm(NotificationLog& log) : log_(log) {}
    QWidget& Window() { return *window_; }
    QWidget* Control(const std::string& name) const {
        const auto it = controls_.find(name);
        if (it == controls_.end()) throw std::runtime_error("no control named " + name);
        return it->second;
    }
    qt::Button* Button(const std::string& name) const {
        auto* b = qobject_cast<qt::Button*>(Control(name));
        if (!b) throw std::runtime_error(name + " is no button");
        return b;
    }

    void Form(gdi::Rect screen) override {
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

    void Control(const std::string& name, const std::string& cls, gdi::Rect rect,
                 const std::vector<std::string>& options) override {
        QWidget* w = nullptr;
        if (cls == "Sheenwork.sheenButton") {
            auto* b = new qt::Button(window_.get());
            // Each signal a log line "<name> <event> <arguments>", as the runtime's hosts
            // write them.
            const auto log = [&](auto signal, const char* event) {
                QObject::connect(b, signal, [this, name, event](auto... arguments) {
                    log_.entries.push_back(Line(name, event, arguments...));
                });
            };
            using B = qt::Button;
            log(&B::clicked, "Click"), log(&B::dropDown, "DropDown");
            log(&B::mouseEnter, "MouseEnter"), log(&B::mouseLeave, "MouseLeave");
            log(&B::mouseDown, "MouseDown"), log(&B::mouseMove, "MouseMove");
            log(&B::mouseUp, "MouseUp"), log(&B::keyDown, "KeyDown");
            log(&B::keyUp, "KeyUp"), log(&B::keyPress, "KeyPress");
            w = b;
        } else if (cls == "Test.Logger") {
            w = new LoggingEdit(window_.get(), name, log_);
        } else {
            throw std::runtime_error("no Qt widget for the class " + cls);
        }
        w->setObjectName(QString::fromStdString(name));  // a new button's caption
        w->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
        w->setVisible(std::find(options.begin(), options.end(), "hidden") == options.end());
        for (const std::string& option : options) {
            if (option == "disabled") w->setEnabled(false);
            if (option == "notab") w->setFocusPolicy(Qt::NoFocus);
            if (option.rfind("tab=", 0) == 0)
                tab_order_.emplace_back(std::stoi(option.substr(4)), w);
        }
        controls_[name] = w;
        // The tab order the options ask for, through Qt's focus chain.
        std::stable_sort(tab_order_.begin(), tab_order_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t i = 1; i < tab_order_.size(); ++i)
            QWidget::setTabOrder(tab_order_[i - 1].second, tab_order_[i].second);
    }
    void Set(const std::string& name, const std::string& key, const std::string& value,
             const std::string& line) override {
        SetLateBound(*Button(name)->Instance(), key, value, line);
    }
    void Default(const std::string& name) override { Button(name)->setDefault(true); }
    void Cancel(const std::string& name) override { Button(name)->setCancel(true); }
    bool Other(const std::string& verb, const std::string& name, const std::string&) override {
        if (verb != "paints") return false;
        Button(name)->Native()->SetPainters(std::make_shared<PaintLog>(name, log_));
        return true;
    }

    Popups Tooltips() const {
        Popups out;
        for (QWidget* w : qt::Platform::Current()->VisiblePopups()) {
            png::Image picture = Grabbed(*w);
            const QPoint at = w->geometry().topLeft();
            out[Place(at.x(), at.y(), at.x() + picture.width / TestScale(),
                      at.y() + picture.height / TestScale())] = std::move(picture);
        }
        return out;
    }

private:
    NotificationLog& log_;
    std::unique_ptr<QWidget> window_;
    std::map<std::string, QWidget*> controls_;
    std::vector<std::pair<int, QWidget*>> tab_order_;
};

// Replays script steps against a QtForm as a user's input.
class QtDriver {
public:
    QtDriver(QtForm& form, TimerGate& gate) : form_(form), gate_(gate) {}
    // Lets go of the buttons and keys a script left held, so that the next form starts
    // with none (Qt keeps them for the program).
    ~QtDriver() {
        for (const int button : {1, 2, 4})
            if (buttons_ & button) MouseButton(button, false);
        for (const auto& [vk, down] : std::map<int, bool>(held_))
            if (down) Key(vk, false, false);
    }

    void Run(const Step& s) {
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

private:
    QPoint Global(const Step& s) const {
        if (s.target.empty()) {
            const gdi::Point p = s.at.value_or(gdi::Point{0, 0});
            return form_.Window().mapToGlobal(QPoint(p.x, p.y));
        }
        const QWidget* w = form_.Control(s.target);
        return w->mapToGlobal(s.at ? QPoint(s.at->x, s.at->y)
                                   : QPoint(w->width() / 2, w->height() / 2));
    }

    // Qt's own cursor: the platform sends the moves, enters and leaves, and the buttons
    // ask it where the pointer is.
    void Move(QPoint global) {
        QCursor::setPos(global);
        QCoreApplication::processEvents();
    }

    void MouseButton(int button, bool down) {
        const Qt::MouseButton qt_button = button == 1   ? Qt::LeftButton
                                          : button == 2 ? Qt::RightButton
                                                        : Qt::MiddleButton;
        buttons_ = down ? buttons_ | button : buttons_ & ~button;
        QWindow* window = form_.Window().windowHandle();
        const QPoint global = QCursor::pos();
        timestamp_ += 1000;  // a second apart: no two presses make a double click
        qt_handleMouseEvent(window, window->mapFromGlobal(global), global,
                            Qt::MouseButtons(buttons_), qt_button,
                            down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                            Modifiers(), static_cast<int>(timestamp_));
        QCoreApplication::processEvents();
    }

    Qt::KeyboardModifiers Modifiers() const {
        Qt::KeyboardModifiers m;
        for (const auto& [vk, down] : held_) {
            const Qt::Key k = QtKeyOf(vk);
            if (down && k == Qt::Key_Shift) m |= Qt::ShiftModifier;
            if (down && k == Qt::Key_Control) m |= Qt::ControlModifier;
            if (down && (k == Qt::Key_Alt || k == Qt::Key_AltGr)) m |= Qt::AltModifier;
        }
        return m;
    }

    void Key(int vk, bool down, bool typed) {
        using namespace runtime;
        const Qt::Key key = QtKeyOf(vk);
        // The text a key types, as the keyboard gives it on the way down.
        static const std::map<int, char> controls = {
            {VK_SPACE, ' '}, {VK_RETURN, '\r'}, {VK_ESCAPE, 27}, {VK_TAB, '\t'}, {VK_BACK, 8}};
        QString text;
        const Qt::KeyboardModifiers mods = Modifiers();
        if (typed && !(mods & (Qt::AltModifier | Qt::ControlModifier))) {
            if (vk >= 'A' && vk <= 'Z')
                text = QChar(mods & Qt::ShiftModifier ? vk : vk - 'A' + 'a');
            else if (vk >= '0' && vk <= '9')
                text = QChar(vk);
            else if (controls.count(vk))
                text = QChar(controls.at(vk));
        }
        qt_handleKeyEvent(form_.Window().windowHandle(),
                          down ? QEvent::KeyPress : QEvent::KeyRelease, key, mods, text);
        if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
            key == Qt::Key_AltGr)
            held_[vk] = down;
        QCoreApplication::processEvents();
    }

    QtForm& form_;
    TimerGate& gate_;
    int buttons_ = 0;
    std::map<int, bool> held_;  // modifier keys down, by virtual key
    unsigned long timestamp_ = 1000;
};

}  // namespace

std::vector<Row> Rows(const std::string& file) {
    std::vector<Row> out;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/" + file);
    if (!in) throw std::runtime_error("cannot read " + file);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#') continue;
        Row row{n, {}};
        std::istringstream cells(line);
        const char split = line.find('|') == std::string::npos ? ' ' : '|';
        for (std::string cell; std::getline(cells, cell, split);) {
            const auto from = cell.find_first_not_of(' '), to = cell.find_last_not_of(' ');
            if (split == '|' || from != std::string::npos)
                row.cells.push_back(from == std::string::npos ? ""
                                                              : cell.substr(from, to - from + 1));
        }
        out.push_back(row);
    }
    return out;
}

void Steps(QWidget& root, const std::vector<std::string>& steps) {
    const QString before = QDir::currentPath();
    for (const std::string& step : steps) {
        const auto op = step.find_first_of("=?");
        std::string target = step.substr(0, std::min(op, step.size()));
        const QString value = QString::fromStdString(step.substr(std::min(op + 1, step.size())));
        const auto dot = target.find('.');
        QWidget* w = dot == std::string::npos
                         ? &root
                         : root.findChild<QWidget*>(QString::fromStdString(target.substr(0, dot)));
        target = target.substr(dot == std::string::npos ? 0 : dot + 1);
        const QMetaProperty p =
            w ? w->metaObject()->property(w->metaObject()->indexOfProperty(target.c_str()))
              : QMetaProperty();
        auto* button = qobject_cast<qt::Button*>(w);
        std::string got;
        if (target == "cd") {
            QDir::setCurrent(QString(SHEENWORK_TEST_DATA_DIR) + "/" + value);
        } else if (target == "tab" && w) {  // the focus chain, going round
            const QStringList names = value.split(',');
            for (int i = 0; i < names.size(); ++i) {
                const QWidget* next = root.findChild<QWidget*>(names[i]);
                do next = next->nextInFocusChain();
                while (!(next->focusPolicy() & Qt::TabFocus));
                got += (i ? "," : "") + next->objectName().toStdString();
            }
            EXPECT_EQ(got, (names.mid(1) + names.mid(0, 1)).join(',').toStdString()) << step;
        } else if (target == "picture-width" && button) {
            EXPECT_EQ(QString::number(button->Native()->Picture()->PixelWidth()), value) << step;
        } else if (!p.isValid() || op == std::string::npos) {
            ADD_FAILURE() << "no such step: " << step;
        } else if (step[op] == '=') {
            QVariant v = value;
            const QStringList font = value.split(',');
            if (p.userType() == QMetaType::QFont) {
                QFont f(font.value(0));
                f.setPointSizeF(font.value(1).toDouble());
                if (font.size() > 2) f.setWeight(static_cast<QFont::Weight>(font[2].toInt()));
                v = f;
            }
            if (p.userType() == QMetaType::QColor)
                v = qt::Button::FromOleColor(value.mid(2).toUInt(nullptr, 16));
            EXPECT_TRUE(p.write(w, v)) << step;
        } else {
            const QVariant v = p.read(w);
            const QFont f = p.userType() == QMetaType::QFont ? v.value<QFont>() : QFont();
            got = p.isEnumType()                     ? p.enumerator().valueToKey(v.toInt())
                  : p.userType() == QMetaType::QFont ? QString("%1,%2,%3")
                                                           .arg(f.family())
                                                           .arg(f.pointSizeF())
                                                           .arg(f.weight())
                                                           .toStdString()
                  : p.userType() == QMetaType::QColor
                      ? QString("&H%1")
                            .arg(qt::Button::ToOleColor(v.value<QColor>()), 8, 16, QChar('0'))
                            .toUpper()
                            .toStdString()
                  : p.userType() == QMetaType::Double
                      ? QString::number(v.toDouble(), 'g', 9).toStdString()
                      : v.toString().toStdString();
            EXPECT_EQ(got, value.toStdString()) << step;
        }
    }
    QDir::setCurrent(before);
}

png::Image Grabbed(QWidget& widget) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    png::Image out{image.width(), image.height(), {}};
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

// The widgets go before the headless runtime (the members' order): the platform they
// share hands the services back first.
struct SideBySide::Sides {
    explicit Sides(const Story& story)
        : name(story.name),
          headless_log(std::make_shared<NotificationLog>()),
          runtime(clock, *gdi,
                  [logging = LoggingFactory(headless_log, AccessKeys(story)),
                   linked = runtime::LinkedControls()](const std::string& cls,
                                                       host::ControlSite& site) {
                      return cls.rfind("Test.", 0) == 0 ? logging(cls, site) : linked(cls, site);
                  }),
          qt(log) {}
    std::string name;
    RecordingServices services;
    runtime::VirtualClock clock;
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    std::shared_ptr<NotificationLog> headless_log;
    runtime::Runtime runtime;
    runtime::Form* form = nullptr;
    std::unique_ptr<runtime::Driver> headless;
    NotificationLog log;  // what the Qt side's buttons raised, and the shell calls they made
    TimerGate gate;
    QtForm qt;
    std::unique_ptr<QtDriver> driver;
    std::map<std::string, std::string> handles;  // Qt button handle -> headless window's
};

SideBySide::SideBySide(const Story& story) : sides_(std::make_unique<Sides>(story)) {
    Sides& s = *sides_;
    s.form = &BuildStoryForm(s.runtime, story, {},
                             [&](runtime::Form& f, const std::string& verb, const std::string& name,
                                 const std::string&) {
                                 if (verb != "paints") return false;
                                 f.Find(name)->Native<sheenButton>()->SetPainters(
                                     std::make_shared<PaintLog>(name, *s.headless_log));
                                 return true;
                             });
    BuildStory(story, s.qt);
    // Tooltips keep to the same screen on both sides.
    s.runtime.Screen(qt::Platform::Current()->WorkArea());
    for (runtime::Window* w : s.form->Windows())
        if (auto* b = qobject_cast<qt::Button*>(s.qt.Control(w->Name())))
            s.handles[std::to_string(b->hwnd())] = std::to_string(w->Hwnd());
    s.headless = std::make_unique<runtime::Driver>(s.runtime, *s.form);
    s.driver = std::make_unique<QtDriver>(s.qt, s.gate);
}

SideBySide::~SideBySide() = default;

bool SideBySide::Quiet() const { return sides_->runtime.MessageBoxes().empty(); }

void SideBySide::Check(const Section& section, const std::string& where, bool events) {
    Sides& s = *sides_;
    const runtime::Script steps = runtime::ParseScript(section.script, s.name);
    for (const Step& step : steps.steps) s.headless->Run(step, s.name);
    s.log.entries.clear();
    // A window's handle is its host's own number: the Qt button's stands for the headless one.
    s.services.on_call = [&](const std::string& call) {
        std::string line = "shell " + call;
        for (const auto& [qt, headless] : s.handles)
            if (const auto at = line.find(" " + qt + " "); at != std::string::npos)
                line.replace(at + 1, qt.size(), headless);
        s.log.entries.push_back(line);
    };
    for (const Step& step : steps.steps) s.driver->Run(step);
    s.services.on_call = nullptr;

    const int scale = TestScale();
    ExpectSection(
        section, events ? s.log.entries : ExpectedEvents(section),
        [&](const std::string& name, int x, int y) {
            const png::Image shown = Grabbed(*s.qt.Button(name));
            return QString("%1")
                .arg(shown.pixels[static_cast<std::size_t>(y * scale) * shown.width + x * scale], 6,
                     16, QChar('0'))
                .toUpper()
                .toStdString();
        },
        [&](const std::string& name, const std::string& field) {
            return FieldOf(*s.qt.Button(name)->Native(), field);
        });
    // Each button, and the whole window where it holds buttons alone (a Qt line edit is
    // not the runtime's logging control).
    bool buttons_only = true;
    for (runtime::Window* w : s.form->Windows()) {
        const gdi::Rect r = w->Rect();
        if (auto* b = qobject_cast<qt::Button*>(s.qt.Control(w->Name())))
            EXPECT_TRUE(SamePicture(Grabbed(*b),
                                    Magnified(w->Surface().Pixels(), r.Width(), r.Height(), scale),
                                    where + " " + w->Name()));
        else
            buttons_only = false;
    }
    const gdi::Rect f = s.form->ScreenRect();
    if (buttons_only) {
        EXPECT_TRUE(SamePicture(Grabbed(s.qt.Window()),
                                Magnified(s.form->Compose(), f.Width(), f.Height(), scale), where));
    }
    Popups want;
    for (runtime::Popup* p : s.form->Popups()) {
        const gdi::Rect r = p->ScreenRect();
        if (p->Visible())
            want[Place(r.left, r.top, r.right, r.bottom)] =
                Magnified(p->Surface().Pixels(), r.Width(), r.Height(), scale);
    }
    const Popups got = s.qt.Tooltips();
    EXPECT_EQ(got.size(), want.size()) << where << ": tooltips shown";
    for (const auto& [place, picture] : want)
        EXPECT_TRUE(got.count(place) && SamePicture(got.at(place), picture, where + " tooltip"))
            << "the tooltip at " << place;
}

}  // namespace sheenwork::testing
