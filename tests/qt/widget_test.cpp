// What the widget does as a Qt widget beyond the stories, each rule a table under
// tests/data/qt where it has cases: its properties' values (steps.txt, colours.txt), the
// pointer shapes, the designer's mode, About, drag and drop, the error report as a Qt
// message box, what screen readers see, a QDialog's Enter and Escape and the access keys
// through Qt's shortcuts (dialog_keys.txt), the keys it leaves to its window
// (keys_onward.txt), its container as the control reads it (parent_members.txt), and
// Qt's keys as virtual keys.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/error.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "qt/qt_story.h"
#include "qt/translate.h"
#include "support/recording_services.h"

namespace sheenwork::testing {
namespace {

// Runs `answer` on the modal window once it is up (polling, as it comes up inside the
// call that opens it); a window that never comes leaves `answer` unrun.
void WhenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, tries = 0, answer]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++tries <= 500) return;
        poll->deleteLater();
        poll->stop();
        if (modal) answer(modal);
    });
    poll->start(10);
}

class QtSteps : public ::testing::TestWithParam<Row> {};
TEST_P(QtSteps, ReadBackWhatTheControlHolds) {
    qt::Button b;
    Steps(b, GetParam().cells);
}
INSTANTIATE_TEST_SUITE_P(Table, QtSteps, ::testing::ValuesIn(ReadTable("qt/steps.txt")), RowName);

class QtColours : public ::testing::TestWithParam<Row> {};
TEST_P(QtColours, KeepEveryOleValue) {
    const quint32 ole = QString::fromStdString(GetParam()[0]).mid(2).toUInt(nullptr, 16);
    const QColor c = qt::Button::FromOleColor(ole);
    EXPECT_EQ(c.name(QColor::HexArgb).toStdString(), GetParam()[1]);
    EXPECT_EQ(qt::Button::ToOleColor(c), ole);
    const QColor shown = qt::Button::Displayed(c);
    if (!GetParam()[2].empty()) {
        EXPECT_EQ(shown.isValid() ? shown.name(QColor::HexArgb).toStdString() : "-", GetParam()[2]);
    }
    if ((ole >> 24) == 0x80) {
        EXPECT_EQ(qt::Button::SystemColor(ole & 0xFF), c);
    }
}
INSTANTIATE_TEST_SUITE_P(Table, QtColours, ::testing::ValuesIn(ReadTable("qt/colours.txt")),
                         RowName);

class QtPointers : public ::testing::TestWithParam<Row> {};
TEST_P(QtPointers, AreQtCursorShapes) {
    qt::Button b;
    b.setMousePointer(std::stoi(GetParam()[0]));
    const std::string shape = GetParam()[1];
    EXPECT_EQ(b.testAttribute(Qt::WA_SetCursor), shape != "unset");
    if (shape != "unset") {
        EXPECT_STREQ(QMetaEnum::fromType<Qt::CursorShape>().valueToKey(b.cursor().shape()),
                     (shape + "Cursor").c_str());
    }
}
INSTANTIATE_TEST_SUITE_P(Table, QtPointers, ::testing::ValuesIn(ReadTable("qt/pointers.txt")),
                         RowName);

// With AutoXPMouseIcons the hand shows while the pointer hovers: the library's own
// picture, each pixel a block as the button's, pointing where its cursor file says. In a
// designer the hover timer stops at its first tick; at run time it goes on while the
// pointer is on the button.
TEST(QtWidget, TheHandPointerAndTheHoverTimerInADesigner) {
    for (const bool design : {false, true}) {
        QWidget window;
        auto* b = new qt::Button(&window);
        b->setGeometry(10, 10, 90, 26);
        b->setAutoXPMouseIcons(true);
        b->setDesignMode(design);
        EXPECT_EQ(b->designMode(), design);
        ASSERT_TRUE(Show(window));
        QCursor::setPos(window.mapToGlobal(QPoint(20, 20)));
        QTest::qWait(40);
        EXPECT_EQ(static_cast<bool>(b->Native()->Site().tmrMouseInEnabled()), !design) << design;
        if (design) continue;
        ASSERT_EQ(b->cursor().shape(), Qt::BitmapCursor);
        const auto hand = picture::XPPointer(0);
        const QImage shown = b->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        const int s = TestScale();
        ASSERT_EQ(shown.size(), QSize(hand->PixelWidth() * s, hand->PixelHeight() * s));
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                ASSERT_EQ(shown.pixel(x, y), hand->Pixel(x / s, y / s)) << x << "," << y;
        const gdi::Point hot = picture::XPPointerHotSpot(0);
        EXPECT_EQ(b->cursor().hotSpot(), QPoint(hot.x, hot.y));
    }
    QCursor::setPos(0, 0);
}

// About opens a modal window with what the control says of itself; its OK closes it. A
// run-time error of the control is reported in a Qt message box, modal.
TEST(QtWidget, AboutAndTheErrorReportAreModalQtWindows) {
    RecordingServices services;
    qt::Button b;
    QStringList texts;
    int links = 0;
    WhenModal([&](QWidget* modal) {
        for (const QLabel* l : modal->findChildren<QLabel*>()) texts << l->text();
        // Its buttons a dialog's size; a link's click opens its address through the shell.
        for (qt::Button* link : modal->findChildren<qt::Button*>()) {
            texts << QString("%1x%2").arg(link->width()).arg(link->height());
            if (link->objectName().startsWith("cmdLink")) ++links, link->setValue(true);
        }
        if (auto* ok = modal->findChild<qt::Button*>("cmdOK")) ok->setValue(true);
        texts << (modal->isVisible() ? "open" : "closed");
        modal->close();
    });
    b.About();
    EXPECT_TRUE(texts.contains("Sheenwork") && texts.contains("sheenButton, version 2.8.0") &&
                texts.count("75x23") == links + 1 && texts.last() == "closed")
        << texts.join("|").toStdString();
    EXPECT_EQ(links, 3);  // help, website, licence
    EXPECT_EQ(services.calls.size(), 3u);
    for (const std::string& call : services.calls)
        EXPECT_EQ(call.rfind("ShellExecute", 0), 0u) << call;
    QString shown;
    WhenModal([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
        modal->close();
    });
    // A palette index is no colour the custom scheme can paint with.
    b.setColorStyle(qt::Button::CustomColors);
    b.setBackColor(qt::Button::FromOleColor(0x01000005u));
    EXPECT_TRUE(shown.contains("Redraw")) << "[" << shown.toStdString() << "]";
    EXPECT_TRUE(services.boxes.empty());
}

// With OLEDropMode 1 what is dragged over the button and dropped on it reaches its
// signals, and the effect a handler leaves is what the drag gets.
TEST(QtWidget, DragsAndDropsReachTheSignals) {
    qt::Button b;
    EXPECT_FALSE(b.acceptDrops());
    b.setOLEDropMode(1);
    EXPECT_TRUE(b.acceptDrops());
    QStringList heard;
    QObject::connect(
        &b, &qt::Button::oleDragOver,
        [&](const QMimeData* data, int& effect, int, int, float x, float y, int state) {
            heard << QString("over %1 %2 %3 %4 %5")
                         .arg(data->text())
                         .arg(effect)
                         .arg(x)
                         .arg(y)
                         .arg(state);
            if (state == 2) effect = 0;  // not here
        });
    QObject::connect(&b, &qt::Button::oleDragDrop,
                     [&](const QMimeData* data, int& effect, int, int, float, float) {
                         heard << QString("drop %1 %2").arg(data->text()).arg(effect);
                     });
    QMimeData mime;
    mime.setText("dragged");
    const auto actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(5, 6), actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(QPoint(7, 8), actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(9, 10), actions, &mime, Qt::LeftButton, Qt::NoModifier);
    QString accepted;
    for (QEvent* e : std::initializer_list<QEvent*>{&enter, &move, &drop})
        accepted += QCoreApplication::sendEvent(&b, e) && e->isAccepted() ? "y" : "n";
    EXPECT_EQ(accepted.toStdString(), "yny");
    EXPECT_EQ(heard,
              QStringList({"over dragged 1 5 6 0", "over dragged 1 7 8 2", "drop dragged 1"}));
}

// What a screen reader hears of a caption: the name and the key of the press action.
class QtAccessibleNames : public ::testing::TestWithParam<Row> {};
TEST_P(QtAccessibleNames, AreTheCaptionWithoutItsMark) {
    qt::Button button;
    button.setCaption(QString::fromStdString(GetParam()[0]));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&button);
    ASSERT_TRUE(face && face->actionInterface());
    EXPECT_EQ(face->text(QAccessible::Name).toStdString(), GetParam()[1]);
    const auto press = QAccessibleActionInterface::pressAction();
    EXPECT_EQ(face->actionInterface()->keyBindingsForAction(press).value(0).toStdString(),
              GetParam()[2]);
    EXPECT_EQ(face->text(QAccessible::Accelerator).toStdString(), GetParam()[2]);
}
INSTANTIATE_TEST_SUITE_P(Table, QtAccessibleNames,
                         ::testing::ValuesIn(ReadTable("qt/accessible_names.txt")), RowName);

// A push button with one action, press, that clicks it; its state as it changes.
TEST(QtAccessible, APushButtonWhosePressClicks) {
    QWidget window;
    auto* button = new qt::Button(&window);
    int clicks = 0;
    QObject::connect(button, &qt::Button::clicked, [&] { ++clicks; });
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::PushButton);
    QAccessibleActionInterface* actions = face->actionInterface();
    EXPECT_EQ(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    const auto state = [&] {
        const QAccessible::State s = face->state();
        return std::string(s.defaultButton ? "default " : "") + (s.pressed ? "pressed " : "") +
               (s.disabled ? "disabled " : "") + std::to_string(clicks);
    };
    EXPECT_EQ(state(), "0");
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(state(), "1");
    // Another action, or a disabled button, does nothing.
    actions->doAction(QAccessibleActionInterface::toggleAction());
    button->setEnabled(false);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(state(), "disabled 1");
    button->setEnabled(true);
    button->setDefault(true);
    // Held down by the keyboard, it is pressed.
    ASSERT_TRUE(Show(window));
    button->setFocus();
    QTest::keyPress(window.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(state(), "default pressed 1");
    QTest::keyRelease(window.windowHandle(), Qt::Key_Space);
    EXPECT_EQ(state(), "default 2");
}

// Keys in a QDialog with a line edit and three buttons, as the table's rows say.
class QtDialogKeys : public ::testing::TestWithParam<Row> {};
TEST_P(QtDialogKeys, ReachTheButtonsAsOnAForm) {
    const Row& k = GetParam();
    QDialog dialog;
    std::map<std::string, QWidget*> widgets{{"edit", new QLineEdit(&dialog)}};
    widgets["edit"]->setGeometry(10, 10, 120, 24);
    std::string clicked;
    int x = 10;
    for (const char* name : {"ok", "cancel", "other"}) {
        auto* b = new qt::Button(&dialog);
        b->setGeometry(x += 100, 50, 90, 26);
        b->setCaption(name == std::string("ok")       ? "&OK"
                      : name == std::string("cancel") ? "&Cancel"
                                                      : "Ot&her");
        QObject::connect(b, &qt::Button::clicked, [&clicked, name] {
            clicked += (clicked.empty() ? "" : ",") + std::string(name);
        });
        widgets[name] = b;
    }
    static_cast<qt::Button*>(widgets["ok"])->setDefault(true);
    static_cast<qt::Button*>(widgets["cancel"])->setCancel(k[2] == "yes");
    ASSERT_TRUE(Show(dialog, {120, 120, 420, 100}));
    widgets.at(k[0])->setFocus();
    ASSERT_TRUE(widgets.at(k[0])->hasFocus());
    // The key as a keyboard sends it: the modifiers go down first, up last.
    Qt::KeyboardModifiers mods;
    std::string name = k[1];
    for (std::size_t plus; (plus = name.find('+')) != std::string::npos; name.erase(0, plus + 1))
        mods |= name.rfind("Alt", 0) == 0 ? Qt::AltModifier : Qt::ShiftModifier;
    QTest::keyClick(dialog.windowHandle(), static_cast<Qt::Key>(QtKey(name)), mods);
    EXPECT_EQ(clicked.empty() ? "-" : clicked, k[3]);
    EXPECT_EQ(dialog.isVisible()                     ? "open"
              : dialog.result() == QDialog::Rejected ? "rejected"
                                                     : "?",
              k[4]);
}
INSTANTIATE_TEST_SUITE_P(Table, QtDialogKeys, ::testing::ValuesIn(ReadTable("qt/dialog_keys.txt")),
                         RowName);

// A key the focused button leaves goes on to its window (tests/data/qt/keys_onward.txt).
class QtKeysOnward : public ::testing::TestWithParam<Row> {};
TEST_P(QtKeysOnward, ReachTheWindowOnlyWhereTheButtonLeavesThem) {
    struct Window final : QWidget {
        int got = 0;
        void keyPressEvent(QKeyEvent*) override { ++got; }
    } window;
    auto* b = new qt::Button(&window);
    ASSERT_TRUE(Show(window));
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    QTest::keyPress(window.windowHandle(), static_cast<Qt::Key>(QtKey(GetParam()[0])));
    EXPECT_EQ(window.got ? "yes" : "no", GetParam()[1]);
    QTest::keyRelease(window.windowHandle(), static_cast<Qt::Key>(QtKey(GetParam()[0])));
}
INSTANTIATE_TEST_SUITE_P(Table, QtKeysOnward, ::testing::ValuesIn(ReadTable("qt/keys_onward.txt")),
                         RowName);

// What the control reads of its container (tests/data/qt/parent_members.txt).
class QtParentMembers : public ::testing::TestWithParam<Row> {};
TEST_P(QtParentMembers, AnswerAsAFormDoes) {
    QWidget window;
    window.setObjectName("frmMain");
    window.setWindowTitle("Main");
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    window.setPalette(palette);
    auto* b = new qt::Button(&window);
    const auto parent = b->Native()->Site().Parent().AsDispatch();
    ASSERT_NE(parent, nullptr);
    const std::string& member = GetParam()[0];
    const auto eq = member.find('=');
    std::vector<vb::Variant> args;
    if (eq != std::string::npos) args.emplace_back(member.substr(eq + 1));
    std::string answer;
    try {
        answer = vb::CStr(parent->Invoke(
            member.substr(0, eq),
            args.empty() ? vb::InvokeKind::PropertyGet : vb::InvokeKind::PropertyLet, args));
    } catch (const vb::RuntimeError& e) {
        answer = "error " + std::to_string(e.Number());
    }
    EXPECT_EQ(answer, GetParam()[1]);
}
INSTANTIATE_TEST_SUITE_P(Table, QtParentMembers,
                         ::testing::ValuesIn(ReadTable("qt/parent_members.txt")), RowName);

class QtVirtualKeys : public ::testing::TestWithParam<Row> {};
TEST_P(QtVirtualKeys, AreWindowsKeys) {
    EXPECT_EQ(qt::VirtualKeyOf(QtKey(GetParam()[0]), std::stoul(GetParam()[1], nullptr, 16)),
              std::stoi(GetParam()[2]));
}
INSTANTIATE_TEST_SUITE_P(Table, QtVirtualKeys,
                         ::testing::ValuesIn(ReadTable("qt/virtual_keys.txt")), RowName);

}  // namespace
}  // namespace sheenwork::testing
