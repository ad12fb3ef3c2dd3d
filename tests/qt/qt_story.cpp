// The Qt widget against the headless runtime, told the same stories: every runtime story
// whose controls the widgets can be (sheenButtons, and a plain control that takes the
// focus), and a table of looks, schemes, states and sizes (tests/data/qt/looks.txt), each
// row a little story of one button brought into its state. Beside them, what the other Qt
// tests share (qt/qt_story.h).
#include "qt/qt_story.h"

#include <sheenwork/runtime/keys.h>
#include <sheenwork/vb/color.h>

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QTest>
#include <QWindow>

#include <map>
#include <sstream>

#include "qt/platform.h"
#include "support/story_log.h"
#include "support/story_play.h"

namespace sheenwork::testing {
namespace {

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

Qt::Key QtKeyOf(int vk) { return static_cast<Qt::Key>(QtKey(HostKeyOf(vk).qt)); }

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

// A story's form in a Qt window, and that window as the story's screen. The window is
// shown and active before its controls are made, so that nothing takes the focus on its
// own. The pointer goes through Qt's own cursor, presses and keys through the platform's
// event path, where Qt's focus chain, shortcuts and dialogs see them; the timers run only
// while a script waits.
class QtHost final : public StoryBuilder, public StoryScreen {
public:
    explicit QtHost(Headless& headless) : headless_(headless) {
        scale = TestScale();
        popups_on_form = false;  // popups are windows of their own
        name = "qt";
        field = [this](const std::string& control, const std::string& what) {
            return FieldOf(*Button(control)->Native(), what);
        };
    }
    // Lets go of the buttons and keys a script left held, so that the next form starts
    // with none (Qt keeps them for the program).
    ~QtHost() override {
        for (const int button : {1, 2, 4})
            if (buttons_ & button) Button(button, false);
        for (const auto& [vk, down] : std::map<int, bool>(held_))
            if (down) Key(vk, false);
    }

    void Form(gdi::Rect screen) override {
        window_ = std::make_unique<QWidget>();
        window_->setObjectName(QStringLiteral("Form1"));
        // The form's back colour, the button face, as the headless form composes it.
        const std::uint32_t face = vb::TranslateColor(vb::vbButtonFace);
        QPalette palette = window_->palette();
        palette.setColor(QPalette::Window,
                         QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
        window_->setPalette(palette);
        window_->setAutoFillBackground(true);
        if (!Show(*window_, {screen.left, screen.top, screen.Width(), screen.Height()}))
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
            // A window's handle is its host's own number: the Qt button's stands for the
            // headless one in the shell calls.
            handles_[std::to_string(b->hwnd())] =
                std::to_string(headless_.form->Find(name)->Hwnd());
            w = b;
        } else if (cls == "Test.Logger") {
            w = new LoggingEdit(window_.get(), name, log_);
            buttons_only_ = false;
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
        widgets_[name] = w;
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

    void Begin() override {
        log_.entries.clear();
        headless_.services.on_call = [this](const std::string& call) {
            std::string line = "shell " + call;
            for (const auto& [qt, headless] : handles_)
                if (const auto at = line.find(" " + qt + " "); at != std::string::npos)
                    line.replace(at + 1, qt.size(), headless);
            log_.entries.push_back(line);
        };
    }
    std::vector<std::string> Events() override {
        headless_.services.on_call = nullptr;
        return log_.entries;
    }
    // Qt's own cursor: the platform sends the moves, enters and leaves, and the buttons
    // ask it where the pointer is.
    void Move(gdi::Point p) override {
        QCursor::setPos(p.x, p.y);
        QCoreApplication::processEvents();
    }
    void Button(int button, bool down) override {
        const Qt::MouseButton qt_button = button == 1   ? Qt::LeftButton
                                          : button == 2 ? Qt::RightButton
                                                        : Qt::MiddleButton;
        buttons_ = down ? buttons_ | button : buttons_ & ~button;
        QWindow* window = window_->windowHandle();
        const QPoint global = QCursor::pos();
        timestamp_ += 1000;  // a second apart: no two presses make a double click
        qt_handleMouseEvent(window, window->mapFromGlobal(global), global,
                            Qt::MouseButtons(buttons_), qt_button,
                            down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                            Modifiers(), static_cast<int>(timestamp_));
        QCoreApplication::processEvents();
    }
    void Key(int vk, bool down) override {
        using namespace runtime;
        const Qt::Key key = QtKeyOf(vk);
        // The text a key types, as the keyboard gives it on the way down.
        static const std::map<int, char> controls = {
            {VK_SPACE, ' '}, {VK_RETURN, '\r'}, {VK_ESCAPE, 27}, {VK_TAB, '\t'}, {VK_BACK, 8}};
        QString text;
        const Qt::KeyboardModifiers mods = Modifiers();
        if (down && !(mods & (Qt::AltModifier | Qt::ControlModifier))) {
            if (vk >= 'A' && vk <= 'Z')
                text = QChar(mods & Qt::ShiftModifier ? vk : vk - 'A' + 'a');
            else if (vk >= '0' && vk <= '9')
                text = QChar(vk);
            else if (controls.count(vk))
                text = QChar(controls.at(vk));
        }
        qt_handleKeyEvent(window_->windowHandle(), down ? QEvent::KeyPress : QEvent::KeyRelease,
                          key, mods, text);
        if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
            key == Qt::Key_AltGr)
            held_[vk] = down;
        QCoreApplication::processEvents();
    }
    void Focus(const std::string& control) override {
        Widget(control)->setFocus(Qt::OtherFocusReason);
    }
    void Wait(long long millis) override { gate_.Wait(millis); }

    // The whole window where it holds buttons alone (a Qt line edit is not the runtime's
    // logging control), and each button.
    std::optional<png::Image> Form(gdi::Rect, const png::Image&) override {
        if (!buttons_only_) return std::nullopt;
        return Grabbed(*window_);
    }
    std::optional<png::Image> Control(const std::string& control) override {
        auto* b = qobject_cast<qt::Button*>(Widget(control));
        if (!b) return std::nullopt;
        return Grabbed(*b);
    }
    std::map<std::string, png::Image> Popups(const std::map<std::string, png::Image>&) override {
        std::map<std::string, png::Image> out;
        for (QWidget* w : qt::Platform::Current()->VisiblePopups()) {
            png::Image picture = Grabbed(*w);
            const QPoint at = w->geometry().topLeft();
            out[PopupKey(0, {at.x(), at.y(), at.x() + picture.width / scale,
                             at.y() + picture.height / scale})] = std::move(picture);
        }
        return out;
    }

private:
    QWidget* Widget(const std::string& name) const {
        const auto it = widgets_.find(name);
        if (it == widgets_.end()) throw std::runtime_error("no control named " + name);
        return it->second;
    }
    qt::Button* Button(const std::string& name) const {
        auto* b = qobject_cast<qt::Button*>(Widget(name));
        if (!b) throw std::runtime_error(name + " is no button");
        return b;
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

    Headless& headless_;
    NotificationLog log_;  // what the buttons raised, and the shell calls they made
    TimerGate gate_;
    std::unique_ptr<QWidget> window_;
    std::map<std::string, QWidget*> widgets_;
    std::vector<std::pair<int, QWidget*>> tab_order_;
    bool buttons_only_ = true;
    std::map<std::string, std::string> handles_;  // Qt button handle -> headless window's
    int buttons_ = 0;
    std::map<int, bool> held_;  // modifier keys down, by virtual key
    unsigned long timestamp_ = 1000;
};

}  // namespace

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
        } else if (target == "cursor" && button) {  // the shape, or none of its own
            got = button->testAttribute(Qt::WA_SetCursor)
                      ? QMetaEnum::fromType<Qt::CursorShape>().valueToKey(button->cursor().shape())
                      : "unsetCursor";
            EXPECT_EQ(got, value.toStdString() + "Cursor") << step;
        } else if ((target == "accessible" || target == "access-key") && w) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
            ASSERT_TRUE(face && face->actionInterface()) << step;
            const QString key =
                face->actionInterface()
                    ->keyBindingsForAction(QAccessibleActionInterface::pressAction())
                    .value(0);
            if (target == "access-key") {
                EXPECT_EQ(face->text(QAccessible::Accelerator), key) << step;
            }
            EXPECT_EQ(target == "accessible" ? face->text(QAccessible::Name) : key, value) << step;
        } else if (!p.isValid() || op == std::string::npos) {
            ADD_FAILURE() << "no such step: " << step;
        } else if (step[op] == '=') {
            QVariant v = value;
            const QStringList font = value.split(',');
            if (p.userType() == QMetaType::QFont) {
                QFont f(font.value(0));
                f.setPointSizeF(font.value(1).toDouble());
                if (font.size() > 2) f.setWeight(static_cast<QFont::Weight>(font[2].toInt()));
                f.setItalic(font.value(3) == "italic");
                v = f;
            }
            if (p.userType() == QMetaType::QColor)
                v = qt::Button::FromOleColor(value.mid(2).toUInt(nullptr, 16));
            EXPECT_TRUE(p.write(w, v)) << step;
        } else {
            const QVariant v = p.read(w);
            const QFont f = p.userType() == QMetaType::QFont ? v.value<QFont>() : QFont();
            got = p.isEnumType()                     ? p.enumerator().valueToKey(v.toInt())
                  : p.userType() == QMetaType::QFont ? QString("%1,%2,%3%4")
                                                           .arg(f.family())
                                                           .arg(f.pointSizeF())
                                                           .arg(f.weight())
                                                           .arg(f.italic() ? ",italic" : "")
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

bool Show(QWidget& window, QRect geometry) {
    QCursor::setPos(0, 0);
    QCoreApplication::processEvents();
    window.setGeometry(geometry);
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
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

int QtKey(const std::string& name) {
    bool ok = false;
    const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(("Key_" + name).c_str(), &ok);
    if (!ok) throw std::runtime_error("no Qt key named " + name);
    return key;
}

namespace {

// The widgets go before the headless runtime (the order they are made in): the platform
// they share hands the services back first.
void PlayOnQt(const Story& story, bool events = true) {
    Headless headless(story);
    QtHost host(headless);
    BuildStory(story, host);
    // Tooltips keep to the same screen on both sides.
    headless.runtime->Screen(qt::Platform::Current()->WorkArea());
    PlayStory(story, headless, host, events);
}

class QtStory : public ::testing::TestWithParam<std::filesystem::path> {};
TEST_P(QtStory, EventsFieldsAndPicturesAsHeadless) { PlayOnQt(ReadStory(GetParam())); }
INSTANTIATE_TEST_SUITE_P(Stories, QtStory,
                         ::testing::ValuesIn(HostStories({"Sheenwork.sheenButton", "Test.Logger"},
                                                         {"paints"})),
                         [](const auto& info) { return StoryTestName(info.param); });

// A row as a story (tests/data/qt/looks.txt): a form with the button, its properties, and
// the set-up and script that bring it into the state.
class QtLooks : public ::testing::TestWithParam<Row> {};
TEST_P(QtLooks, GrabEqualsTheHeadlessRender) {
    const Row& row = GetParam();
    const int w = std::stoi(row[1]), h = std::stoi(row[1].substr(row[1].find('x') + 1));
    Story s{"looks " + row.where, {}, {}};
    s.setup = {
        "form 100 100 " + std::to_string(w + 40) + " " + std::to_string(h + 40),
        "control b Sheenwork.sheenButton 20 20 " + std::to_string(w) + " " + std::to_string(h),
        WithData("set b Caption=\"&Save\" " + row[2])};
    std::string script = row[4] + ";";
    std::istringstream setup(row[3]);
    for (std::string line; std::getline(setup, line, ';');) s.setup.push_back(line);
    for (std::size_t at; (at = script.find(';')) != std::string::npos;)
        script.replace(at, script[at + 1] == ' ' ? 2 : 1, "\n");
    s.sections.push_back({script, {}});
    PlayOnQt(s, false);
}
INSTANTIATE_TEST_SUITE_P(Table, QtLooks, ::testing::ValuesIn(ReadTable("qt/looks.txt")), RowName);

// The screen is the one the run asks for (SHEENWORK_QT_SCALE, 1 unless set): a run meant
// for two device pixels a pixel cannot pass on one.
TEST(QtScreen, ScaleIsTheOneAskedFor) {
    const QByteArray asked = qgetenv("SHEENWORK_QT_SCALE");
    EXPECT_EQ(TestScale(), asked.isEmpty() ? 1 : asked.toInt());
}

}  // namespace
}  // namespace sheenwork::testing
