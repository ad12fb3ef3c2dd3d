// What the widget does as a Qt widget beyond the stories: one table of rules
// (tests/data/qt/widget.txt: its properties' steps, pointers and what screen readers hear,
// its colours, a QDialog's keys, its container as the control reads it, Qt's keys as
// virtual keys), and the hand pointer, the designer's mode, About, drag and drop, the
// error report as a Qt message box and the accessible press.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/error.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
        // Its OK has the focus, so that Enter or Space closes it.
        EXPECT_EQ(modal->focusWidget(), modal->findChild<qt::Button*>("cmdOK"));
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

// The rows of tests/data/qt/widget.txt, each after its rule's name.
void Colour(const Row& row) {
    const quint32 ole = QString::fromStdString(row[1]).mid(2).toUInt(nullptr, 16);
    const QColor c = qt::Button::FromOleColor(ole);
    EXPECT_EQ(c.name(QColor::HexArgb).toStdString(), row[2]);
    EXPECT_EQ(qt::Button::ToOleColor(c), ole);
    const QColor shown = qt::Button::Displayed(c);
    if (!row[3].empty()) {
        EXPECT_EQ(shown.isValid() ? shown.name(QColor::HexArgb).toStdString() : "-", row[3]);
    }
    if ((ole >> 24) == 0x80) {
        EXPECT_EQ(qt::Button::SystemColor(ole & 0xFF), c);
    }
}

// A QDialog that counts the keys that reach it.
struct Dialog final : QDialog {
    int heard = 0;
    void keyPressEvent(QKeyEvent* e) override {
        ++heard;
        QDialog::keyPressEvent(e);
    }
};

void DialogKey(const Row& k) {
    Dialog dialog;
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
    static_cast<qt::Button*>(widgets["cancel"])->setCancel(k[3] == "yes");
    ASSERT_TRUE(Show(dialog, {120, 120, 420, 100}));
    widgets.at(k[1])->setFocus();
    ASSERT_TRUE(widgets.at(k[1])->hasFocus());
    // The key as a keyboard sends it: the modifiers go down first, up last.
    Qt::KeyboardModifiers mods;
    std::string name = k[2];
    for (std::size_t plus; (plus = name.find('+')) != std::string::npos; name.erase(0, plus + 1))
        mods |= name.rfind("Alt", 0) == 0 ? Qt::AltModifier : Qt::ShiftModifier;
    QTest::keyClick(dialog.windowHandle(), static_cast<Qt::Key>(QtKey(name)), mods);
    EXPECT_EQ(clicked.empty() ? "-" : clicked, k[4]);
    EXPECT_EQ(dialog.isVisible()                     ? "open"
              : dialog.result() == QDialog::Rejected ? "rejected"
                                                     : "?",
              k[5]);
    if (k.size() > 6) {
        EXPECT_EQ(dialog.heard ? "yes" : "no", k[6]);
    }
}

void ParentMember(const Row& row) {
    QWidget window;
    window.setObjectName("frmMain");
    window.setWindowTitle("Main");
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    window.setPalette(palette);
    auto* b = new qt::Button(&window);
    const auto parent = b->Native()->Site().Parent().AsDispatch();
    ASSERT_NE(parent, nullptr);
    const std::string& member = row[1];
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
    EXPECT_EQ(answer, row[2]);
}

void VirtualKey(const Row& row) {
    EXPECT_EQ(qt::VirtualKeyOf(QtKey(row[1]), std::stoul(row[2], nullptr, 16)), std::stoi(row[3]));
}

class QtTable : public ::testing::TestWithParam<Row> {};
TEST_P(QtTable, RowHolds) {
    static const std::map<std::string, std::function<void(const Row&)>> rules = {
        {"steps",
         [](const Row& row) {
             qt::Button b;
             Steps(b, {row.cells.begin() + 1, row.cells.end()});
         }},
        {"colour", Colour},
        {"dialog", DialogKey},
        {"parent", ParentMember},
        {"vkey", VirtualKey}};
    rules.at(GetParam()[0])(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Table, QtTable, ::testing::ValuesIn(ReadTable("qt/widget.txt")), RowName);

}  // namespace
}  // namespace sheenwork::testing
