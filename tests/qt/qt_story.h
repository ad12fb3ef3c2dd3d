// What the Qt widget's tests share: property steps, a window shown, a widget's pixels as
// the screen shows them, and the tables of cases under tests/data/qt (support/data.h
// reads them).
#pragma once

#include <sheenwork/qt/button.h>

#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "png_io.h"
#include "support/data.h"
#include "support/pictures.h"

namespace sheenwork::testing {

// Qt's key of a name (Qt::Key_ without the prefix); throws for a name Qt has not.
int QtKey(const std::string& name);

// Steps on `root` and the widgets inside it (the steps rows of tests/data/qt/widget.txt say how
// they read): each writes or reads and compares a Qt property.
void Steps(QWidget& root, const std::vector<std::string>& steps);

// Shows a window at `geometry`, the pointer outside it (as the headless runtime's starts),
// and makes it active; whether it became so.
bool Show(QWidget& window, QRect geometry = {100, 100, 200, 100});

// A widget as the screen shows it, in device pixels (0x00BBGGRR, rows from the top).
png::Image Grabbed(QWidget& widget);

// Device pixels per control pixel on the test screen.
int TestScale();

}  // namespace sheenwork::testing
