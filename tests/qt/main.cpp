// The Qt widget's tests run in one QApplication on Qt's offscreen platform (the ctest
// entries set QT_QPA_PLATFORM; a run by hand gets it here too), with QTest's input.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
