// The Qt Designer plugin of sheenwork::qt::Button: the button in Designer's widget box,
// under "Sheenwork", with its properties in the property editor, saved in .ui files that
// uic compiles and QUiLoader loads (both through this plugin's createWidget).
#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace sheenwork::qt {

class ButtonPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit ButtonPlugin(QObject* parent = nullptr);

    QString name() const override;
    QString group() const override;
    QString toolTip() const override;
    QString whatsThis() const override;
    QString includeFile() const override;
    QIcon icon() const override;
    bool isContainer() const override;
    // A button; one placed on a form Designer is editing sees itself in a designer.
    QWidget* createWidget(QWidget* parent) override;
    bool isInitialized() const override;
    void initialize(QDesignerFormEditorInterface* core) override;
    QString domXml() const override;

private:
    bool initialized_ = false;
};

}  // namespace sheenwork::qt
