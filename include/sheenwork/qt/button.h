// sheenwork::qt::Button: a sheenButton as a Qt 6 widget.
//
// The widget is the control's container: it hands the control its surface (painted
// with exact pixels, each one an integer number of device pixels on a high-density
// screen), feeds it Qt's mouse, key, focus, enter/leave and timer events, shows its
// pointer shapes and tooltips, and takes part in Qt's focus chain, its shortcut
// machinery (Alt with the caption's access key) and its dialogs (the default button
// answers Enter, the cancel button Escape). Screen readers see a push button.
//
//   auto* save = new sheenwork::qt::Button(window);
//   save->setGeometry(10, 10, 100, 36);
//   save->setCaption("&Save");
//   QObject::connect(save, &sheenwork::qt::Button::clicked, [] { ... });
//
// Every property of the control is a Qt property of the same name. Their types:
//   - enumerations are the Q_ENUMs below; a setter takes an int, so that any value the
//     control stores (it keeps Longs) can be set, as the control's own would;
//   - colours are QColor. The control's colours are OLE colours, of which a plain colour
//     (alpha 255) is one kind: a system colour, which follows the system's colour table,
//     has alpha 127 and its index in red (SystemColor(15), the button face, is
//     QColor(15, 0, 0, 127)). In general the alpha is 255 minus the OLE value's high
//     byte and red, green and blue its three low bytes, so every value comes back
//     exactly; Displayed() gives the colour a value shows;
//   - fonts are QFont (family, point size, weight, italic, underline, strike-out); the
//     control's fonts also have a character set, which the font keeps when it is set
//     from a QFont;
//   - pictures are file paths (BMP, ICO, CUR, GIF, JPEG, PNG), loaded by the control's
//     own loader; a relative path is taken from the program's working folder. A path
//     that does not load is refused with a warning and changes nothing.
// A value the control refuses (an Integer out of range, a colour that is no OLE colour)
// is reported through the control's error policy, as a program's assignment would be.
//
// Every event of the control is a signal (clicked, mouseDown, ..., dropDown); the
// arguments come as the control raises them.
//
// Qt is private to this library and its headers: nothing else of Sheenwork includes a
// Qt header.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <memory>

class QMimeData;

namespace sheenwork {
class sheenButton;
namespace runtime {
class Object;
}
}  // namespace sheenwork

namespace sheenwork::qt {

class Button : public QWidget {
    Q_OBJECT

    Q_PROPERTY(Alignment CaptionAlign READ CaptionAlign WRITE setCaptionAlign)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(double CaptionLeft READ CaptionLeft WRITE setCaptionLeft)
    Q_PROPERTY(double CaptionTop READ CaptionTop WRITE setCaptionTop)
    // The widget's own enabled state: disabling the widget disables the control.
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool DropDown READ DropDown WRITE setDropDown)
    Q_PROPERTY(QColor DropDownColor READ DropDownColor WRITE setDropDownColor)
    Q_PROPERTY(int DropDownSize READ DropDownSize WRITE setDropDownSize)
    Q_PROPERTY(DropDownAlignment DropDownAlign READ DropDownAlign WRITE setDropDownAlign)
    Q_PROPERTY(
        QColor DropDownSeparatorColor READ DropDownSeparatorColor WRITE setDropDownSeparatorColor)
    Q_PROPERTY(bool DropDownSeparator READ DropDownSeparator WRITE setDropDownSeparator)
    Q_PROPERTY(QFont Font READ Font WRITE setFont)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QColor ForeColorOver READ ForeColorOver WRITE setForeColorOver)
    Q_PROPERTY(QColor ForeColorDown READ ForeColorDown WRITE setForeColorDown)
    Q_PROPERTY(QFont FontOnMouseOver READ FontOnMouseOver WRITE setFontOnMouseOver)
    Q_PROPERTY(QString MouseIcon READ MouseIcon WRITE setMouseIcon)
    Q_PROPERTY(Pointer MousePointer READ MousePointer WRITE setMousePointer)
    Q_PROPERTY(Alignment PictureAlign READ PictureAlign WRITE setPictureAlign)
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
    Q_PROPERTY(QString PictureDown READ PictureDown WRITE setPictureDown)
    Q_PROPERTY(QString PictureDis READ PictureDis WRITE setPictureDis)
    Q_PROPERTY(QString PictureOver READ PictureOver WRITE setPictureOver)
    Q_PROPERTY(bool PictureShow READ PictureShow WRITE setPictureShow)
    Q_PROPERTY(double PictureTop READ PictureTop WRITE setPictureTop)
    Q_PROPERTY(double PictureLeft READ PictureLeft WRITE setPictureLeft)
    Q_PROPERTY(double PictureWidth READ PictureWidth WRITE setPictureWidth)
    Q_PROPERTY(double PictureHeight READ PictureHeight WRITE setPictureHeight)
    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(QString UrlParam READ UrlParam WRITE setUrlParam)
    Q_PROPERTY(QString Wave READ Wave WRITE setWave)
    Q_PROPERTY(bool RealPicSize READ RealPicSize WRITE setRealPicSize)
    Q_PROPERTY(bool RightToLeft READ RightToLeft WRITE setRightToLeft)
    Q_PROPERTY(int OLEDropMode READ OLEDropMode WRITE setOLEDropMode)
    Q_PROPERTY(bool PictureInFront READ PictureInFront WRITE setPictureInFront)
    Q_PROPERTY(int hwnd READ hwnd STORED false)
    Q_PROPERTY(QString VeloToolTip READ VeloToolTip WRITE setVeloToolTip)
    Q_PROPERTY(int VeloToolTipDelay READ VeloToolTipDelay WRITE setVeloToolTipDelay)
    Q_PROPERTY(bool UseVeloToolTip READ UseVeloToolTip WRITE setUseVeloToolTip)
    Q_PROPERTY(bool AutoXPMouseIcons READ AutoXPMouseIcons WRITE setAutoXPMouseIcons)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor BackColorOver READ BackColorOver WRITE setBackColorOver)
    Q_PROPERTY(QColor BackColorDown READ BackColorDown WRITE setBackColorDown)
    Q_PROPERTY(QColor BackColorDis READ BackColorDis WRITE setBackColorDis)
    Q_PROPERTY(ColorStyles ColorStyle READ ColorStyle WRITE setColorStyle)
    Q_PROPERTY(QColor CornerColor READ CornerColor WRITE setCornerColor)
    Q_PROPERTY(QColor ForeColorDis READ ForeColorDis WRITE setForeColorDis)
    Q_PROPERTY(bool MoveCaptionAtDown READ MoveCaptionAtDown WRITE setMoveCaptionAtDown)
    Q_PROPERTY(ButtonStyles ButtonStyle READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(QFont FontDown READ FontDown WRITE setFontDown)
    Q_PROPERTY(
        bool OfficeBorderOnMouseOut READ OfficeBorderOnMouseOut WRITE setOfficeBorderOnMouseOut)
    Q_PROPERTY(QColor OfficeBorder READ OfficeBorder WRITE setOfficeBorder)
    Q_PROPERTY(QColor OfficeBorderDown READ OfficeBorderDown WRITE setOfficeBorderDown)
    Q_PROPERTY(QColor OfficeBackColor READ OfficeBackColor WRITE setOfficeBackColor)
    Q_PROPERTY(QColor OfficeBackColorDown READ OfficeBackColorDown WRITE setOfficeBackColorDown)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(ButtonRect FocusRect READ FocusRect WRITE setFocusRect)
    Q_PROPERTY(ButtonRect HoverRect READ HoverRect WRITE setHoverRect)
    Q_PROPERTY(QColor FocusRectColor READ FocusRectColor WRITE setFocusRectColor)
    Q_PROPERTY(QColor HoverRectColor READ HoverRectColor WRITE setHoverRectColor)
    Q_PROPERTY(bool Value READ Value WRITE setValue STORED false)
    Q_PROPERTY(QColor MaskColor READ MaskColor WRITE setMaskColor)
    Q_PROPERTY(bool UseMaskColor READ UseMaskColor WRITE setUseMaskColor)
    Q_PROPERTY(bool AutoColorStyle READ AutoColorStyle WRITE setAutoColorStyle)
    Q_PROPERTY(bool AllPicturesSame READ AllPicturesSame WRITE setAllPicturesSame)
    // What a container knows of its button, as a form's default and cancel buttons:
    // Enter clicks the window's default button, Escape its cancel button. Setting one
    // makes it the only one of its window.
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    // The parts of the three fonts a QFont cannot hold (a size of no whole point, a
    // weight between Qt's named ones, the character set), written by `sheenwork
    // convert` into a .ui file after the fonts: "Font=9.75,400,0;FontDown=...". A part
    // applies only to a font that still matches it once rounded, so that a font changed
    // since (in a designer) keeps its change.
    Q_PROPERTY(QString ExactFonts READ ExactFonts WRITE setExactFonts DESIGNABLE false)

public:
    // cAlignment: left/centre/right by top/middle/bottom, or placed by hand (twips).
    enum Alignment : int {
        TopLeft = 0,
        TopCenter = 1,
        TopRight = 2,
        MiddleLeft = 3,
        MiddleCenter = 4,
        MiddleRight = 5,
        BottomLeft = 6,
        BottomCenter = 7,
        BottomRight = 8,
        UserDefined = 99,
    };
    Q_ENUM(Alignment)
    // cDropDownAlign: the side of the drop-down section and where its arrow points.
    enum DropDownAlignment : int {
        DropDownLeftDown = 0,
        DropDownLeftUp = 1,
        DropDownRightDown = 2,
        DropDownRightUp = 3,
        DropDownTopRight = 4,
        DropDownTopLeft = 5,
        DropDownBottomRight = 6,
        DropDownBottomLeft = 7,
    };
    Q_ENUM(DropDownAlignment)
    // cColorStyle.
    enum ColorStyles : int {
        XPBlue = 0,
        XPSilver = 1,
        XPOlive = 2,
        WinClassic = 5,
        CustomColors = 99,
    };
    Q_ENUM(ColorStyles)
    // cButtonStyle.
    enum ButtonStyles : int { WinXP = 0, Office = 1, IExplorer = 2 };
    Q_ENUM(ButtonStyles)
    // cButtonRect: the colour of the focus or hover ring, or none.
    enum ButtonRect : int {
        RectXPBlue = 0,
        RectXPSilver = 1,
        RectXPOlive = 2,
        RectColor = 3,
        RectOff = 4,
    };
    Q_ENUM(ButtonRect)
    // The host's mouse pointers (MousePointer).
    enum Pointer : int {
        DefaultPointer = 0,
        Arrow = 1,
        Cross = 2,
        IBeam = 3,
        IconPointer = 4,
        SizePointer = 5,
        SizeNESW = 6,
        SizeNS = 7,
        SizeNWSE = 8,
        SizeWE = 9,
        UpArrow = 10,
        Hourglass = 11,
        NoDrop = 12,
        ArrowHourglass = 13,
        ArrowQuestion = 14,
        SizeAll = 15,
        CustomPointer = 99,
    };
    Q_ENUM(Pointer)

    // A new button, initialised as a new instance placed on a form is.
    explicit Button(QWidget* parent = nullptr);
    ~Button() override;

    Alignment CaptionAlign() const;
    void setCaptionAlign(int value);
    QString Caption() const;
    void setCaption(const QString& value);
    double CaptionLeft() const;
    void setCaptionLeft(double value);
    double CaptionTop() const;
    void setCaptionTop(double value);
    bool Enabled() const;
    bool DropDown() const;
    void setDropDown(bool value);
    QColor DropDownColor() const;
    void setDropDownColor(const QColor& value);
    int DropDownSize() const;
    void setDropDownSize(int value);
    DropDownAlignment DropDownAlign() const;
    void setDropDownAlign(int value);
    QColor DropDownSeparatorColor() const;
    void setDropDownSeparatorColor(const QColor& value);
    bool DropDownSeparator() const;
    void setDropDownSeparator(bool value);
    // The control's font. Setting it hides QWidget::setFont, so that a form compiled
    // from a .ui file sets the font the button draws with.
    QFont Font() const;
    void setFont(const QFont& value);
    QColor ForeColor() const;
    void setForeColor(const QColor& value);
    QColor ForeColorOver() const;
    void setForeColorOver(const QColor& value);
    QColor ForeColorDown() const;
    void setForeColorDown(const QColor& value);
    QFont FontOnMouseOver() const;
    void setFontOnMouseOver(const QFont& value);
    QString MouseIcon() const;
    void setMouseIcon(const QString& path);
    Pointer MousePointer() const;
    void setMousePointer(int value);
    Alignment PictureAlign() const;
    void setPictureAlign(int value);
    QString Picture() const;
    void setPicture(const QString& path);
    QString PictureDown() const;
    void setPictureDown(const QString& path);
    QString PictureDis() const;
    void setPictureDis(const QString& path);
    QString PictureOver() const;
    void setPictureOver(const QString& path);
    bool PictureShow() const;
    void setPictureShow(bool value);
    double PictureTop() const;
    void setPictureTop(double value);
    double PictureLeft() const;
    void setPictureLeft(double value);
    double PictureWidth() const;
    void setPictureWidth(double value);
    double PictureHeight() const;
    void setPictureHeight(double value);
    QString URL() const;
    void setURL(const QString& value);
    QString UrlParam() const;
    void setUrlParam(const QString& value);
    QString Wave() const;
    void setWave(const QString& value);
    bool RealPicSize() const;
    void setRealPicSize(bool value);
    bool RightToLeft() const;
    void setRightToLeft(bool value);
    int OLEDropMode() const;
    void setOLEDropMode(int value);
    bool PictureInFront() const;
    void setPictureInFront(bool value);
    int hwnd() const;
    QString VeloToolTip() const;
    void setVeloToolTip(const QString& value);
    int VeloToolTipDelay() const;
    void setVeloToolTipDelay(int value);
    bool UseVeloToolTip() const;
    void setUseVeloToolTip(bool value);
    bool AutoXPMouseIcons() const;
    void setAutoXPMouseIcons(bool value);
    QColor BackColor() const;
    void setBackColor(const QColor& value);
    QColor BackColorOver() const;
    void setBackColorOver(const QColor& value);
    QColor BackColorDown() const;
    void setBackColorDown(const QColor& value);
    QColor BackColorDis() const;
    void setBackColorDis(const QColor& value);
    ColorStyles ColorStyle() const;
    void setColorStyle(int value);
    QColor CornerColor() const;
    void setCornerColor(const QColor& value);
    QColor ForeColorDis() const;
    void setForeColorDis(const QColor& value);
    bool MoveCaptionAtDown() const;
    void setMoveCaptionAtDown(bool value);
    ButtonStyles ButtonStyle() const;
    void setButtonStyle(int value);
    QFont FontDown() const;
    void setFontDown(const QFont& value);
    bool OfficeBorderOnMouseOut() const;
    void setOfficeBorderOnMouseOut(bool value);
    QColor OfficeBorder() const;
    void setOfficeBorder(const QColor& value);
    QColor OfficeBorderDown() const;
    void setOfficeBorderDown(const QColor& value);
    QColor OfficeBackColor() const;
    void setOfficeBackColor(const QColor& value);
    QColor OfficeBackColorDown() const;
    void setOfficeBackColorDown(const QColor& value);
    QColor BorderColor() const;
    void setBorderColor(const QColor& value);
    ButtonRect FocusRect() const;
    void setFocusRect(int value);
    ButtonRect HoverRect() const;
    void setHoverRect(int value);
    QColor FocusRectColor() const;
    void setFocusRectColor(const QColor& value);
    QColor HoverRectColor() const;
    void setHoverRectColor(const QColor& value);
    // Setting Value to true clicks the button (the Click event, then the sound and the
    // address), which leaves it false again.
    bool Value() const;
    void setValue(bool value);
    QColor MaskColor() const;
    void setMaskColor(const QColor& value);
    bool UseMaskColor() const;
    void setUseMaskColor(bool value);
    bool AutoColorStyle() const;
    void setAutoColorStyle(bool value);
    bool AllPicturesSame() const;
    void setAllPicturesSame(bool value);
    bool Default() const;
    void setDefault(bool value);
    bool Cancel() const;
    void setCancel(bool value);
    QString ExactFonts() const;
    void setExactFonts(const QString& value);

    // Colours as the colour properties take them.
    static QColor SystemColor(int index);
    static QColor FromOleColor(quint32 value);
    static quint32 ToOleColor(const QColor& color);
    // The colour a value shows on screen now: a system colour looked up, opaque.
    static QColor Displayed(const QColor& color);

    // A form designer hosting the button: the control sees the ambient UserMode False
    // (its hover timer stops at its first tick, as in any designer).
    void setDesignMode(bool on);
    bool designMode() const;

    // The control itself, for what the properties do not reach: its fields, its
    // painters. Valid for as long as the widget lives.
    std::shared_ptr<sheenButton> Native() const;
    // The control as a host's code reaches it late-bound: the type library's members by
    // name (runtime::Object::Invoke).
    std::shared_ptr<runtime::Object> Instance() const;

    QSize sizeHint() const override;

public Q_SLOTS:
    // The About window, modal.
    void About();

Q_SIGNALS:
    // The events of the control, in the order of its event interface.
    void clicked();
    void mouseUp(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void mouseDown(int button, int shift, float x, float y);
    void mouseLeave();
    void mouseEnter();
    void keyDown(int keyCode, int shift);
    void keyPress(int keyAscii);
    void keyUp(int keyCode, int shift);
    // Drag and drop with OLEDropMode 1 (manual): what is dragged over or dropped on the
    // button, and the effect (0 none, 1 copy, 2 move) a handler may change. The button
    // starts no drags itself, so the source side's events are never raised here.
    void oleCompleteDrag(int effect);
    void oleDragDrop(const QMimeData* data, int& effect, int button, int shift, float x, float y);
    void oleDragOver(const QMimeData* data, int& effect, int button, int shift, float x, float y,
                     int state);
    void oleGiveFeedback(int effect, bool defaultCursors);
    void oleSetData(const QMimeData* data, int dataFormat);
    void oleStartDrag(const QMimeData* data, int allowedEffects);
    void dropDown();
    // The control said that one of its properties changed (a form is dirty).
    void propertyChanged(const QString& name);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

public:
    // The control's site: its definition is private to the library.
    class Host;
    Host& Site() const { return *host_; }

private:
    std::unique_ptr<Host> host_;
};

}  // namespace sheenwork::qt
