// What the widget does as a Qt widget beyond the stories: the pointer shapes, the
// designer's mode, a caption that follows the object name, values refused, pictures by
// path, the About window, drag and drop, and the error report as a Qt message box.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/qt/button.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "qt/qt_story.h"
#include "support/recording_services.h"

namespace sheenwork::testing {
namespace {

// Runs `answer` on the modal window once it is up (polling, as it comes up inside the
// call that opens it); a window that never comes leaves `answer` unrun.
void WhenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, [poll, tries, answer]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            answer(modal);
        } else if (++tries > 500) {
            poll->deleteLater();
            poll->stop();
        }
    });
    poll->start(10);
}

struct PointerRow {
    int pointer;
    std::string shape;
};

std::vector<PointerRow> Pointers() {
    std::vector<PointerRow> out;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/pointers.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        PointerRow row;
        words >> row.pointer >> row.shape;
        out.push_back(row);
    }
    return out;
}

class QtPointers : public ::testing::TestWithParam<PointerRow> {};

TEST_P(QtPointers, AreQtCursorShapes) {
    qt::Button b;
    b.setMousePointer(GetParam().pointer);
    if (GetParam().shape == "unset") {
        EXPECT_FALSE(b.testAttribute(Qt::WA_SetCursor));
        return;
    }
    ASSERT_TRUE(b.testAttribute(Qt::WA_SetCursor));
    bool ok = false;
    const int shape = QMetaEnum::fromType<Qt::CursorShape>().keyToValue(
        (GetParam().shape + "Cursor").c_str(), &ok);
    ASSERT_TRUE(ok) << GetParam().shape;
    EXPECT_EQ(b.cursor().shape(), shape);
}

INSTANTIATE_TEST_SUITE_P(Table, QtPointers, ::testing::ValuesIn(Pointers()), [](const auto& info) {
    return "pointer" + std::to_string(info.param.pointer);
});

// With AutoXPMouseIcons the hand shows while the pointer hovers: the library's own
// picture, pointing where its cursor file says.
TEST(QtWidget, TheHandPointerIsTheLibrarysPicture) {
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto* b = new qt::Button(&window);
    b->setGeometry(10, 10, 90, 26);
    b->setAutoXPMouseIcons(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCursor::setPos(window.mapToGlobal(QPoint(20, 20)));
    QCoreApplication::processEvents();
    ASSERT_EQ(b->cursor().shape(), Qt::BitmapCursor);
    const auto hand = picture::XPPointer(0);
    const QImage shown = b->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    const int s = TestScale();  // each pixel a block, as the button's
    ASSERT_EQ(shown.size(), QSize(hand->PixelWidth() * s, hand->PixelHeight() * s));
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixel(x, y), hand->Pixel(x / s, y / s)) << x << "," << y;
    const gdi::Point hot = picture::XPPointerHotSpot(0);
    EXPECT_EQ(b->cursor().hotSpot(), QPoint(hot.x, hot.y));
}

// In a designer the hover timer stops at its first tick; at run time it goes on while
// the pointer is on the button.
TEST(QtWidget, InADesignerTheHoverTimerStopsAtItsFirstTick) {
    for (const bool design : {false, true}) {
        QWidget window;
        window.setGeometry(100, 100, 200, 100);
        auto* b = new qt::Button(&window);
        b->setGeometry(10, 10, 90, 26);
        b->setDesignMode(design);
        EXPECT_EQ(b->designMode(), design);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QCursor::setPos(window.mapToGlobal(QPoint(20, 20)));
        QTest::qWait(40);
        EXPECT_EQ(static_cast<bool>(b->Native()->Site().tmrMouseInEnabled()), !design) << design;
        QCursor::setPos(0, 0);
        QCoreApplication::processEvents();
    }
}

// A new button's caption is its name, as the name changes, until a caption is set.
TEST(QtWidget, TheCaptionFollowsTheNameUntilSet) {
    qt::Button b;
    EXPECT_EQ(b.Caption().toStdString(), "");
    b.setObjectName("cmdSave");
    EXPECT_EQ(b.Caption().toStdString(), "cmdSave");
    b.setObjectName("cmdStore");
    EXPECT_EQ(b.Caption().toStdString(), "cmdStore");
    b.setCaption("&Save");
    b.setObjectName("cmdKeep");
    EXPECT_EQ(b.Caption().toStdString(), "&Save");
}

// Values the control cannot hold change nothing; a picture keeps the path it was given.
TEST(QtWidget, RefusesValuesItCannotHoldAndKeepsPicturePaths) {
    qt::Button b;
    b.setDropDownSize(32767);
    b.setDropDownSize(32768);
    EXPECT_EQ(b.DropDownSize(), 32767);
    b.setVeloToolTipDelay(-32769);
    EXPECT_EQ(b.VeloToolTipDelay(), 5000);
    QFont huge("Verdana");
    huge.setPointSizeF(3000);
    b.setFontDown(huge);
    EXPECT_EQ(b.FontDown().pointSizeF(), 8.25);

    const QString data = QString::fromStdString(SHEENWORK_TEST_DATA_DIR);
    const QString before = QDir::currentPath();
    QDir::setCurrent(data);
    b.setPicture("formfile/ok.png");
    b.setPictureOver("formfile/nowhere.png");
    QDir::setCurrent(before);
    EXPECT_EQ(b.Picture().toStdString(), "formfile/ok.png");
    EXPECT_EQ(b.Native()->Picture()->PixelWidth(), 4);
    EXPECT_EQ(b.PictureOver().toStdString(), "");
    b.setPicture("");
    EXPECT_EQ(b.Native()->Picture()->PixelWidth(), 0);
}

// The parts of the fonts a .ui file rounds apply to a font that still matches them once
// rounded, and to no other.
TEST(QtWidget, ExactFontsApplyToTheFontsTheyStillMatch) {
    qt::Button b;
    QFont f("Verdana");
    f.setPointSize(10);
    f.setBold(true);
    b.setFont(f);
    b.setFontDown(f);
    QFont changed("Verdana");
    changed.setPointSize(12);
    b.setFontOnMouseOver(changed);
    b.setExactFonts("Font=9.75,600,238;FontOnMouseOver=9.75,600,2;FontDown=10.25,400,0;Nonsense=1");
    EXPECT_EQ(b.ExactFonts().toStdString(),
              "Font=9.75,600,238;FontOnMouseOver=12,400,0;FontDown=10,700,0");
    EXPECT_DOUBLE_EQ(b.Font().pointSizeF(), 9.75);
}

// About opens a modal window with what the control says of itself; its OK closes it.
TEST(QtWidget, AboutShowsTheComponentAndItsOkClosesIt) {
    qt::Button b;
    QStringList texts;
    bool closed = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        auto* ok = dialog ? dialog->findChild<qt::Button*>("cmdOK") : nullptr;
        if (!ok) return modal->close(), void();
        for (const QLabel* l : dialog->findChildren<QLabel*>()) texts << l->text();
        ok->setValue(true);
        closed = !dialog->isVisible();
    });
    b.About();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(texts.contains("Sheenwork")) << texts.join("|").toStdString();
    EXPECT_TRUE(texts.contains("sheenButton, version 2.8.0")) << texts.join("|").toStdString();
}

// With OLEDropMode 1 what is dragged over the button and dropped on it reaches its
// signals, and the effect a handler leaves is what the drag gets.
TEST(QtWidget, DragsAndDropsReachTheSignals) {
    qt::Button b;
    EXPECT_FALSE(b.acceptDrops());
    b.setOLEDropMode(1);
    EXPECT_TRUE(b.acceptDrops());
    std::vector<std::string> heard;
    QObject::connect(
        &b, &qt::Button::oleDragOver,
        [&](const QMimeData* data, int& effect, int, int, float x, float y, int state) {
            heard.push_back("over " + data->text().toStdString() + " " + std::to_string(effect) +
                            " " + std::to_string(x) + " " + std::to_string(y) + " " +
                            std::to_string(state));
            if (state == 2) effect = 0;  // not here
        });
    QObject::connect(
        &b, &qt::Button::oleDragDrop,
        [&](const QMimeData* data, int& effect, int, int, float, float) {
            heard.push_back("drop " + data->text().toStdString() + " " + std::to_string(effect));
        });
    QMimeData mime;
    mime.setText("dragged");
    QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(QPoint(7, 8), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &move);
    EXPECT_FALSE(move.isAccepted());
    QDropEvent drop(QPointF(9, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(heard,
              (std::vector<std::string>{"over dragged 1 5.000000 6.000000 0",
                                        "over dragged 1 7.000000 8.000000 2", "drop dragged 1"}));
}

// A run-time error of the control is reported in a Qt message box, modal.
TEST(QtWidget, TheErrorReportIsAQtMessageBox) {
    RecordingServices services;
    qt::Button b;
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

}  // namespace
}  // namespace sheenwork::testing
