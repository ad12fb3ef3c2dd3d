// The button in Qt Designer's world: the plugin as Designer and QUiLoader load it, and a
// form file made a .ui file by `sheenwork convert`, loaded by QUiLoader and compiled by
// uic (at build time, tests/data/qt/three.sfm), each showing what the headless runtime
// renders of the form file itself.
#include <sheenwork/qt/button.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>

#include <QDir>
#include <QFile>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QTest>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include <cstdlib>

#include "qt/qt_story.h"
#include "ui_three.h"

namespace sheenwork::testing {
namespace {

const std::string kThree = std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/three.sfm";

// The form file as the headless runtime renders it, at the test screen's scale.
png::Image HeadlessRender(const std::string& path) {
    const runtime::FormFile file = runtime::ReadFormFile(path);
    runtime::VirtualClock clock;
    auto gdi = gdi::MakeRasterGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = runtime::LoadForm(rt, file);
    return Magnified(form.Compose(), form.Width(), form.Height(), TestScale());
}

// What a loaded form must hold besides its pixels: the default and cancel buttons, the
// tab order, and the fonts and colours the .ui format holds only with help.
void ExpectThree(QWidget& form) {
    const auto* save = form.findChild<qt::Button*>("cmdSave");
    const auto* close = form.findChild<qt::Button*>("cmdClose");
    const auto* more = form.findChild<qt::Button*>("cmdMore");
    ASSERT_TRUE(save && close && more);
    EXPECT_TRUE(save->Default());
    EXPECT_TRUE(close->Cancel());
    EXPECT_FALSE(more->Default() || more->Cancel() || save->Cancel());
    EXPECT_EQ(save->Font().family().toStdString(), "Verdana");
    EXPECT_DOUBLE_EQ(save->Font().pointSizeF(), 9.75);
    EXPECT_EQ(save->Font().weight(), 600);
    EXPECT_EQ(qt::Button::ToOleColor(close->BackColor()), 0x80000005u);
    EXPECT_EQ(more->ColorStyle(), qt::Button::WinClassic);
    EXPECT_EQ(static_cast<float>(more->CaptionLeft()), 1.5e-07f);
    EXPECT_EQ(more->CaptionTop(), 97.5);
    // Tab order: close, more, save, round again.
    const auto next = [](const QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(next(close), more);
    EXPECT_EQ(next(more), save);
    EXPECT_EQ(next(save), close);
}

TEST(QtUiFile, LoadsThroughQUiLoaderAndShowsTheFormFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ui = dir.filePath("three.ui");
    const std::string command = std::string(SHEENWORK_TOOL) + " convert " + kThree + " -o " +
                                ui.toStdString() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(SHEENWORK_DESIGNER_PLUGIN).absolutePath());
    ASSERT_TRUE(loader.availableWidgets().contains("sheenwork::qt::Button"));
    // Picture paths are relative to the .ui file, as the program's working folder.
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QFile file(ui);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(loader.load(&file));
    QDir::setCurrent(before);
    ASSERT_TRUE(form) << loader.errorString().toStdString();
    ExpectThree(*form);
    form->show();
    EXPECT_TRUE(SamePicture(Grabbed(*form), HeadlessRender(kThree), "three.ui through QUiLoader"));
}

TEST(QtUiFile, CompilesThroughUicAndShowsTheFormFile) {
    QWidget form;
    Ui::frmThree ui;
    const QString before = QDir::currentPath();
    QDir::setCurrent(SHEENWORK_QT_FORMS_DIR);
    ui.setupUi(&form);
    QDir::setCurrent(before);
    ExpectThree(form);
    form.show();
    EXPECT_TRUE(SamePicture(Grabbed(form), HeadlessRender(kThree), "three.ui through uic"));
}

TEST(QtDesignerPlugin, LoadsAndMakesWorkingButtons) {
    QPluginLoader plugin(SHEENWORK_DESIGNER_PLUGIN);
    ASSERT_TRUE(plugin.load()) << plugin.errorString().toStdString();
    auto* face = qobject_cast<QDesignerCustomWidgetInterface*>(plugin.instance());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->name().toStdString(), "sheenwork::qt::Button");
    EXPECT_EQ(face->group().toStdString(), "Sheenwork");
    EXPECT_EQ(face->includeFile().toStdString(), "sheenwork/qt/button.h");
    EXPECT_FALSE(face->isContainer());
    EXPECT_EQ(face->icon().availableSizes().value(0), QSize(16, 15));

    // Its DOM: a widget of its class, and the class as a custom widget with its header.
    QXmlStreamReader xml(face->domXml());
    QStringList widgets, classes, headers;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("widget"))
            widgets << xml.attributes().value("class").toString();
        else if (xml.name() == QLatin1String("class"))
            classes << xml.readElementText();
        else if (xml.name() == QLatin1String("header"))
            headers << xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(widgets, QStringList{face->name()});
    EXPECT_EQ(classes, QStringList{face->name()});
    EXPECT_EQ(headers, QStringList{face->includeFile()});

    // A button made by the plugin outside a designer works as any other.
    QWidget window;
    QWidget* made = face->createWidget(&window);
    auto* button = qobject_cast<qt::Button*>(made);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->designMode());
    int clicks = 0;
    QObject::connect(button, &qt::Button::clicked, [&] { ++clicks; });
    button->setValue(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Value());
    delete made;
}

}  // namespace
}  // namespace sheenwork::testing
