// The button in Qt Designer's world: the plugin as Designer and QUiLoader load it, and a
// form file made a .ui file by `sheenwork convert`, loaded by QUiLoader and compiled by
// uic (at build time, tests/data/qt/three.sfm), each holding what tests/data/qt/three.txt
// says and showing what the headless runtime renders of the form file itself.
#include <QDir>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include "qt/qt_story.h"
#include "support/story_play.h"
#include "ui_three.h"

namespace sheenwork::testing {
namespace {

// The form as loaded in `folder` (where its picture paths start) by `load`, against the
// headless runtime's render of three.sfm at the test screen's scale.
void ExpectThree(const QString& folder, const std::function<QWidget*()>& load) {
    const std::string sfm = std::string(SHEENWORK_TEST_DATA_DIR) + "/qt/three.sfm";
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    std::unique_ptr<QWidget> form(load());
    QDir::setCurrent(before);
    ASSERT_TRUE(form);
    Steps(*form, ReadTable("qt/three.txt").at(0).cells);
    form->show();
    Linked linked;
    runtime::Form& headless = linked.Load(sfm);
    EXPECT_TRUE(
        SamePicture(Grabbed(*form),
                    Magnified(headless.Compose(), headless.Width(), headless.Height(), TestScale()),
                    "three.ui"));
}

TEST(QtUiFile, LoadsThroughQUiLoaderAndCompilesThroughUic) {
    QTemporaryDir dir;
    const QString ui = dir.filePath("three.ui");
    const std::string command = std::string(SHEENWORK_TOOL) + " convert " +
                                SHEENWORK_TEST_DATA_DIR + "/qt/three.sfm -o " + ui.toStdString() +
                                " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(SHEENWORK_DESIGNER_PLUGIN).absolutePath());
    ASSERT_TRUE(loader.availableWidgets().contains("sheenwork::qt::Button"));
    SCOPED_TRACE("QUiLoader");
    ExpectThree(dir.path(), [&] {
        QFile file(ui);
        QWidget* form = file.open(QIODevice::ReadOnly) ? loader.load(&file) : nullptr;
        EXPECT_TRUE(form) << loader.errorString().toStdString();
        return form;
    });
    SCOPED_TRACE("uic");
    ExpectThree(SHEENWORK_QT_FORMS_DIR, [] {
        auto* form = new QWidget;
        Ui::frmThree().setupUi(form);
        return form;
    });
}

TEST(QtDesignerPlugin, LoadsAndMakesWorkingButtons) {
    QPluginLoader plugin(SHEENWORK_DESIGNER_PLUGIN);
    ASSERT_TRUE(plugin.load()) << plugin.errorString().toStdString();
    auto* face = qobject_cast<QDesignerCustomWidgetInterface*>(plugin.instance());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->name() + "|" + face->group() + "|" + face->includeFile(),
              "sheenwork::qt::Button|Sheenwork|sheenwork/qt/button.h");
    EXPECT_FALSE(face->isContainer());
    EXPECT_EQ(face->icon().availableSizes().value(0), QSize(16, 15));

    // Its DOM: a widget of its class, and the class as a custom widget with its header.
    QXmlStreamReader xml(face->domXml());
    QStringList found;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString element = xml.name().toString();
        if (element == "widget") found << "widget=" + xml.attributes().value("class").toString();
        if (element == "class" || element == "header")
            found << element + "=" + xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(found, QStringList({"widget=" + face->name(), "class=" + face->name(),
                                  "header=" + face->includeFile()}));

    // A button made by the plugin outside a designer works as any other.
    QWidget window;
    std::unique_ptr<QWidget> made(face->createWidget(&window));
    auto* button = qobject_cast<qt::Button*>(made.get());
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->designMode());
    int clicks = 0;
    QObject::connect(button, &qt::Button::clicked, [&] { ++clicks; });
    button->setValue(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Value());
}

}  // namespace
}  // namespace sheenwork::testing
