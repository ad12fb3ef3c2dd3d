// The keyboard around the buttons in Qt's world: a QDialog's Enter and Escape for its
// default and cancel buttons, the access keys through Qt's shortcuts (a table,
// tests/data/qt/dialog_keys.txt), and Qt's keys as the virtual keys the control knows
// (tests/data/qt/virtual_keys.txt).
#include <sheenwork/qt/button.h>

#include <QDialog>
#include <QLineEdit>
#include <QMetaEnum>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "qt/translate.h"

namespace sheenwork::testing {
namespace {

struct DialogKey {
    int line = 0;
    std::string focus, key, cancel, clicked, dialog;
};

void PrintTo(const DialogKey& k, std::ostream* out) {
    *out << "line " << k.line << ": " << k.focus << " " << k.key;
}

template <class Row, class Read>
std::vector<Row> Table(const std::string& file, Read read) {
    std::vector<Row> out;
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/" + file);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        Row row;
        row.line = n;
        read(words, row);
        out.push_back(row);
    }
    return out;
}

std::vector<DialogKey> DialogKeys() {
    return Table<DialogKey>("dialog_keys.txt", [](std::istringstream& w, DialogKey& k) {
        w >> k.focus >> k.key >> k.cancel >> k.clicked >> k.dialog;
    });
}

class QtDialogKeys : public ::testing::TestWithParam<DialogKey> {};

TEST_P(QtDialogKeys, ReachTheButtonsAsOnAForm) {
    const DialogKey& k = GetParam();
    QDialog dialog;
    dialog.setGeometry(120, 120, 320, 100);
    auto* edit = new QLineEdit(&dialog);
    edit->setGeometry(10, 10, 120, 24);
    std::vector<std::string> clicked;
    std::map<std::string, QWidget*> widgets{{"edit", edit}};
    int x = 10;
    for (const char* name : {"ok", "cancel", "other"}) {
        auto* b = new qt::Button(&dialog);
        b->setObjectName(name);
        b->setGeometry(x, 50, 90, 26);
        x += 100;
        QObject::connect(b, &qt::Button::clicked, [&clicked, name] { clicked.push_back(name); });
        widgets[name] = b;
    }
    auto button = [&](const char* name) { return static_cast<qt::Button*>(widgets[name]); };
    button("ok")->setCaption("&OK");
    button("ok")->setDefault(true);
    button("cancel")->setCaption("&Cancel");
    button("cancel")->setCancel(k.cancel == "yes");
    button("other")->setCaption("Ot&her");
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    widgets.at(k.focus)->setFocus();
    ASSERT_TRUE(widgets.at(k.focus)->hasFocus());

    // The key as a keyboard sends it: the modifiers go down first, up last.
    Qt::KeyboardModifiers mods;
    std::string name = k.key;
    for (const auto& [prefix, mod] :
         {std::pair<std::string, Qt::KeyboardModifier>{"Alt+", Qt::AltModifier},
          {"Shift+", Qt::ShiftModifier}})
        while (name.rfind(prefix, 0) == 0) {
            mods |= mod;
            name = name.substr(prefix.size());
        }
    bool ok = false;
    const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(("Key_" + name).c_str(), &ok);
    ASSERT_TRUE(ok) << name;
    QTest::keyClick(dialog.windowHandle(), static_cast<Qt::Key>(key), mods);

    std::string got;
    for (const auto& c : clicked) got += (got.empty() ? "" : ",") + c;
    EXPECT_EQ(got.empty() ? "-" : got, k.clicked);
    EXPECT_EQ(dialog.isVisible()                     ? "open"
              : dialog.result() == QDialog::Rejected ? "rejected"
                                                     : "?",
              k.dialog);
}

INSTANTIATE_TEST_SUITE_P(Table, QtDialogKeys, ::testing::ValuesIn(DialogKeys()),
                         [](const auto& info) { return "line" + std::to_string(info.param.line); });

struct VirtualKey {
    int line = 0;
    std::string key;
    std::uint32_t native = 0;
    int vk = 0;
};

void PrintTo(const VirtualKey& k, std::ostream* out) { *out << "line " << k.line << ": " << k.key; }

class QtVirtualKeys : public ::testing::TestWithParam<VirtualKey> {};

TEST_P(QtVirtualKeys, AreWindowsKeys) {
    const VirtualKey& k = GetParam();
    bool ok = false;
    const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(("Key_" + k.key).c_str(), &ok);
    ASSERT_TRUE(ok) << k.key;
    EXPECT_EQ(qt::VirtualKeyOf(key, k.native), k.vk);
}

INSTANTIATE_TEST_SUITE_P(
    Table, QtVirtualKeys,
    ::testing::ValuesIn(Table<VirtualKey>("virtual_keys.txt",
                                          [](std::istringstream& w, VirtualKey& k) {
                                              std::string native;
                                              w >> k.key >> native >> k.vk;
                                              k.native = static_cast<std::uint32_t>(
                                                  std::stoul(native, nullptr, 16));
                                          })),
    [](const auto& info) { return "line" + std::to_string(info.param.line); });

}  // namespace
}  // namespace sheenwork::testing
