// What screen readers see of a button through Qt's accessibility: a push button named by
// its caption, with one action, press, that clicks it, and its state.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/qt/button.h>

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace sheenwork::testing {
namespace {

struct Caption {
    int line = 0;
    QString caption, name, key;
};

void PrintTo(const Caption& c, std::ostream* out) { *out << "line " << c.line; }

std::vector<Caption> Captions() {
    std::vector<Caption> out;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/accessible_names.txt");
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (line.empty() || line[0] == '#') continue;
        const QStringList cells = QString::fromStdString(line).split(QLatin1Char('|'));
        out.push_back(
            {n, cells.value(0).trimmed(), cells.value(1).trimmed(), cells.value(2).trimmed()});
    }
    return out;
}

class QtAccessibleNames : public ::testing::TestWithParam<Caption> {};

TEST_P(QtAccessibleNames, AreTheCaptionWithoutItsMark) {
    qt::Button button;
    button.setCaption(GetParam().caption);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->text(QAccessible::Name).toStdString(), GetParam().name.toStdString());
    QAccessibleActionInterface* actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    const QStringList keys =
        actions->keyBindingsForAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(keys.value(0).toStdString(), GetParam().key.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Table, QtAccessibleNames, ::testing::ValuesIn(Captions()),
                         [](const auto& info) { return "line" + std::to_string(info.param.line); });

TEST(QtAccessible, APushButtonWhosePressClicks) {
    QWidget window;
    auto* button = new qt::Button(&window);
    button->setCaption("&Save");
    int clicks = 0;
    QObject::connect(button, &qt::Button::clicked, [&] { ++clicks; });
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::PushButton);
    EXPECT_EQ(face->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::pressAction()});
    EXPECT_FALSE(face->state().defaultButton);
    EXPECT_FALSE(face->state().pressed);

    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    // Another action, or a disabled button, does nothing.
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    button->setEnabled(false);
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(face->state().disabled);
    button->setEnabled(true);

    button->setDefault(true);
    EXPECT_TRUE(face->state().defaultButton);
    // Held down by the keyboard, it is pressed.
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QTest::keyPress(window.windowHandle(), Qt::Key_Space);
    EXPECT_TRUE(face->state().pressed);
    QTest::keyRelease(window.windowHandle(), Qt::Key_Space);
    EXPECT_FALSE(face->state().pressed);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(face->text(QAccessible::Accelerator).toStdString(), "Alt+S");
}

}  // namespace
}  // namespace sheenwork::testing
