// A Qt window with one Sheenwork button: click it (or press Alt+S) and it says so.
#include <sheenwork/qt/button.h>

#include <QApplication>

#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Hello from Qt");
    window.resize(200, 60);

    auto* save = new sheenwork::qt::Button(&window);
    save->setGeometry(10, 10, 100, 36);
    save->setCaption("&Save");  // the S is underlined and becomes the access key
    save->setColorStyle(sheenwork::qt::Button::XPOlive);
    save->setVeloToolTip("Says that it saved");
    QObject::connect(save, &sheenwork::qt::Button::clicked,
                     [] { std::cout << "Saved." << std::endl; });

    window.show();
    return app.exec();
}
