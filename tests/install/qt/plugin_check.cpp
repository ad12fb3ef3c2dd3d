// Loads the Designer plugin from where a build or an installation put it, as Designer and
// QUiLoader do (QPluginLoader), without linking the widget's library: the plugin must find
// it. Checks what Designer asks of it (its name, group, header and icon, and a DOM of a
// widget of its class declared as a custom widget with that header) and that a button it
// makes outside a designer clicks as any other. Prints what failed.
//
//   plugin-check PLUGIN
#include <QApplication>
#include <QPluginLoader>
#include <QSignalSpy>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) return std::cerr << "usage: plugin-check PLUGIN\n", 2;
    QPluginLoader loader(argv[1]);
    if (!loader.load())
        return std::cerr << "cannot load: " << qPrintable(loader.errorString()) << "\n", 1;
    auto* face = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    if (!face) return std::cerr << "no custom widget interface\n", 1;
    const QString said = face->name() + "|" + face->group() + "|" + face->includeFile();
    if (said != "sheenwork::qt::Button|Sheenwork|sheenwork/qt/button.h" || face->isContainer())
        return std::cerr << "it says " << qPrintable(said) << "\n", 1;
    if (face->icon().availableSizes().value(0) != QSize(16, 15))
        return std::cerr << "its icon is not 16 x 15\n", 1;
    QXmlStreamReader xml(face->domXml());
    QStringList found;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString element = xml.name().toString();
        if (element == "widget") found << "widget=" + xml.attributes().value("class").toString();
        if (element == "class" || element == "header")
            found << element + "=" + xml.readElementText();
    }
    const QStringList want = {"widget=" + face->name(), "class=" + face->name(),
                              "header=" + face->includeFile()};
    if (xml.hasError() || found != want)
        return std::cerr << "its DOM: " << qPrintable(xml.errorString())
                         << qPrintable(found.join(" ")) << "\n",
               1;
    QWidget window;
    QWidget* button = face->createWidget(&window);
    if (!button || button->metaObject()->className() != face->name())
        return std::cerr << "createWidget made no button\n", 1;
    QSignalSpy clicked(button, SIGNAL(clicked()));
    button->setProperty("Value", true);
    if (clicked.count() != 1 || button->property("Value").toBool())
        return std::cerr << "the button did not click\n", 1;
    std::cout << "plugin ok\n";
    return 0;
}
