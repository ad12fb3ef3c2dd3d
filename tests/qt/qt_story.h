// What the Qt widget's tests share: the runtime's stories told both to the headless
// runtime and to Qt widgets, property steps, a widget's pixels as the screen shows them,
// and the tables of cases under tests/data/qt (support/data.h reads them).
#pragma once

#include <sheenwork/qt/button.h>

#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "png_io.h"
#include "support/data.h"
#include "support/pictures.h"
#include "support/story.h"

namespace sheenwork::testing {

// Qt's key of a name (Qt::Key_ without the prefix); throws for a name Qt has not.
int QtKey(const std::string& name);

// Steps on `root` and the widgets inside it (tests/data/qt/steps.txt says how they read):
// each writes or reads and compares a Qt property.
void Steps(QWidget& root, const std::vector<std::string>& steps);

// A widget as the screen shows it, in device pixels (0x00BBGGRR, rows from the top).
png::Image Grabbed(QWidget& widget);

// Device pixels per control pixel on the test screen.
int TestScale();

// A story told both to the headless runtime and to a Qt window of sheenwork::qt::Button
// widgets and line edits for "Test.Logger" (support/story_play.h); failures are reported
// with EXPECT. `events` false: the buttons' signals are not compared.
void PlayOnQt(const Story& story, bool events = true);

}  // namespace sheenwork::testing
