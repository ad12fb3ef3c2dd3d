#include "qt/designer/plugin.h"

#include <sheenwork/picture/load.h>
#include <sheenwork/qt/button.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <span>

#include "runtime/resources.h"

namespace sheenwork::qt {

ButtonPlugin::ButtonPlugin(QObject* parent) : QObject(parent) {}

QString ButtonPlugin::name() const { return QStringLiteral("sheenwork::qt::Button"); }
QString ButtonPlugin::group() const { return QStringLiteral("Sheenwork"); }
QString ButtonPlugin::toolTip() const {
    return QStringLiteral("sheenButton: a push button in the Windows XP look");
}
QString ButtonPlugin::whatsThis() const {
    return QStringLiteral(
        "A push button that paints itself in the Windows XP look (blue, silver, olive, "
        "classic or your colours), the Office or the browser-toolbar look, with a caption, "
        "a picture, a drop-down section and a tooltip.");
}
QString ButtonPlugin::includeFile() const { return QStringLiteral("sheenwork/qt/button.h"); }
bool ButtonPlugin::isContainer() const { return false; }

// The control's own toolbox picture, 16 x 15 pixels.
QIcon ButtonPlugin::icon() const {
    try {
        const auto picture = picture::LoadPictureFromMemory(
            std::span(runtime::resources::kToolboxBitmap, runtime::resources::kToolboxBitmapSize),
            "toolbox.bmp");
        const QImage image(reinterpret_cast<const uchar*>(picture->Pixels().data()),
                           picture->PixelWidth(), picture->PixelHeight(), picture->PixelWidth() * 4,
                           QImage::Format_ARGB32);
        return QIcon(QPixmap::fromImage(image.copy()));
    } catch (...) {
        return {};
    }
}

QWidget* ButtonPlugin::createWidget(QWidget* parent) {
    auto* button = new Button(parent);
    // On a form being edited (not in a preview, nor in a program loading a .ui file) the
    // control is told it sits in a designer.
    for (const QWidget* w = parent; w; w = w->parentWidget()) {
        if (w->inherits("QDesignerFormWindowInterface")) {
            button->setDesignMode(true);
            break;
        }
    }
    return button;
}

bool ButtonPlugin::isInitialized() const { return initialized_; }
void ButtonPlugin::initialize(QDesignerFormEditorInterface*) { initialized_ = true; }

QString ButtonPlugin::domXml() const {
    return QStringLiteral(
        "<ui language=\"c++\">\n"
        " <widget class=\"sheenwork::qt::Button\" name=\"sheenButton\">\n"
        "  <property name=\"geometry\">\n"
        "   <rect><x>0</x><y>0</y><width>90</width><height>26</height></rect>\n"
        "  </property>\n"
        " </widget>\n"
        " <customwidgets>\n"
        "  <customwidget>\n"
        "   <class>sheenwork::qt::Button</class>\n"
        "   <extends>QWidget</extends>\n"
        "   <header>sheenwork/qt/button.h</header>\n"
        "  </customwidget>\n"
        " </customwidgets>\n"
        "</ui>\n");
}

}  // namespace sheenwork::qt
