// What the Qt widget's tests share: the runtime's stories told both to the headless
// runtime and to Qt widgets (the pointer through Qt's own cursor, presses and keys through
// the platform's event path, where Qt's focus chain, shortcuts and dialogs see them), a
// widget's pixels as the screen shows them, and the tables of cases under tests/data/qt.
#pragma once

#include <sheenwork/qt/button.h>

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "png_io.h"
#include "support/pictures.h"
#include "support/story.h"

namespace sheenwork::testing {

// One case of a table: its line in the file and its cells (split at '|' where the line
// has one, else at spaces), each trimmed; a missing cell reads as empty. '#' lines and blank lines
// are no cases.
struct Row {
    int line = 0;
    std::vector<std::string> cells;
    std::string operator[](std::size_t i) const { return i < cells.size() ? cells[i] : ""; }
};
std::vector<Row> Rows(const std::string& file);  // tests/data/qt/<file>
inline void PrintTo(const Row& row, std::ostream* out) { *out << "line " << row.line; }
inline std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return "line" + std::to_string(info.param.line);
}

// Steps on `root` and the widgets inside it (tests/data/qt/steps.txt says how they read):
// each writes or reads and compares a Qt property.
void Steps(QWidget& root, const std::vector<std::string>& steps);

// A widget as the screen shows it, in device pixels (0x00BBGGRR, rows from the top).
png::Image Grabbed(QWidget& widget);

// Device pixels per control pixel on the test screen.
int TestScale();

// A story built both ways: the headless runtime (its virtual clock, the runtime's own
// controls) and a Qt window of sheenwork::qt::Button widgets and line edits for
// "Test.Logger". Throws std::runtime_error for a set-up line either side cannot use.
class SideBySide {
public:
    explicit SideBySide(const Story& story);
    ~SideBySide();
    // Runs a section's script on the headless side, then as Qt input, and checks the Qt
    // side: the buttons' signals (unless `events` is false), fields and pixels as the
    // section expects them, and each
    // button, the window (where it holds buttons alone) and the visible tooltips with
    // their places against the headless side magnified to the test screen's scale.
    void Check(const Section& section, const std::string& where, bool events = true);
    // Whether the headless side asked for no message box.
    bool Quiet() const;

private:
    struct Sides;
    std::unique_ptr<Sides> sides_;
};

}  // namespace sheenwork::testing
