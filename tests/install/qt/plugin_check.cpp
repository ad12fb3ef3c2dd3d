// Loads the Designer plugin from where an installation put it, as Designer and QUiLoader
// do (QPluginLoader), without linking the widget's library: the plugin must find it.
// Checks what Designer asks of it and that a button it makes clicks. Prints what failed.
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
    if (face->name() != "sheenwork::qt::Button" || face->group() != "Sheenwork")
        return std::cerr << "named " << qPrintable(face->name()) << " in "
                         << qPrintable(face->group()) << "\n",
               1;
    QXmlStreamReader xml(face->domXml());
    bool widget = false;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("widget"))
            widget = xml.attributes().value("class") == face->name();
    if (xml.hasError() || !widget)
        return std::cerr << "its DOM: " << qPrintable(xml.errorString()) << "\n", 1;
    QWidget window;
    QWidget* button = face->createWidget(&window);
    if (!button || button->metaObject()->className() != face->name())
        return std::cerr << "createWidget made no button\n", 1;
    QSignalSpy clicked(button, SIGNAL(clicked()));
    button->setProperty("Value", true);
    if (clicked.count() != 1) return std::cerr << "the button did not click\n", 1;
    std::cout << "plugin ok\n";
    return 0;
}
