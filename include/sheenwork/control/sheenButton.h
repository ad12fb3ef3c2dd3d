// sheenButton: the self-painting push button.
//
// The control owns its instance record and orchestrates: every property accessor runs
// its steps (store, repaint, notify, guards and side effects) in a fixed order, each
// step under the error trap, so that no failure ever reaches the host. The host talks
// to the control through its ControlSite and receives events through the sink it hands
// in. Painting is done by free painter functions of the record (see render/).
#pragma once

#include <sheenwork/control/enums.h>
#include <sheenwork/control/events.h>
#include <sheenwork/control/record.h>
#include <sheenwork/host/property_bag.h>
#include <sheenwork/host/site.h>
#include <sheenwork/vb/variant.h>

#include <functional>
#include <memory>
#include <string>

namespace sheenwork {

class SpEv;
struct Painters;

// The tooltip manager each button keeps once it uses a tooltip: shows or removes the
// tip of a control surface.
class QI {
public:
    virtual ~QI() = default;
    virtual void Create(vb::Variant fForm, vb::Variant cControl, std::string& sToolTip,
                        vb::Integer& bShowTimeMilliSeconds, vb::Integer& lMaxWidthAsPixels) = 0;
    virtual void Remove(vb::Variant cControl) = 0;
    virtual void About() = 0;
};

// Creates the tooltip managers of new buttons in place of the tooltip subsystem's own.
using QIFactory = std::function<std::shared_ptr<QI>()>;
void SetQIFactory(QIFactory factory);
// A new manager: the installed factory's, else the tooltip subsystem's, whose About calls
// `about` to open the About window.
std::shared_ptr<QI> NewQI(std::function<void()> about = {});

// Tells whether the control it was taken from still exists. A host's event handler, or
// the host's message loop, may destroy the control in the middle of one of its
// procedures; the control takes a token before it lets the host's code run and stops
// as soon as the token says it has gone, so that nothing of it is touched afterwards.
// The runtime may keep tokens of its own. Copying one costs a reference count, asking
// one a load.
class ControlLiveness {
public:
    ControlLiveness() = default;  // of no control: gone
    explicit operator bool() const noexcept { return !token_.expired(); }

private:
    friend class sheenButton;
    explicit ControlLiveness(std::weak_ptr<const void> token) : token_(std::move(token)) {}
    std::weak_ptr<const void> token_;
};

class sheenButton {
public:
    // `site` must outlive the control. The record starts zero/empty/none everywhere:
    // the host initialises or loads the properties next.
    explicit sheenButton(host::ControlSite& site);
    ~sheenButton();
    sheenButton(const sheenButton&) = delete;
    sheenButton& operator=(const sheenButton&) = delete;

    // Where events go; null for none. The sink must outlive its use.
    void EventSink(sheenButtonEvents* sink) { events_ = sink; }
    // A token that turns false once this control is destroyed.
    ControlLiveness Liveness() const noexcept { return ControlLiveness(lifetime_); }

    // The published members, in interface order.
    vb::Long CaptionAlign() const;
    void CaptionAlign(vb::Long New_CaptionAlign);
    std::string Caption() const;
    void Caption(std::string New_Caption);
    vb::Single CaptionLeft() const;
    void CaptionLeft(vb::Single New_CaptionLeft);
    vb::Single CaptionTop() const;
    void CaptionTop(vb::Single New_CaptionTop);
    vb::Boolean Enabled() const;
    void Enabled(vb::Boolean New_Enabled);
    vb::Boolean DropDown() const;
    void DropDown(vb::Boolean New_DropDown);
    OLE_COLOR DropDownColor() const;
    void DropDownColor(OLE_COLOR New_DropDownColor);
    vb::Integer DropDownSize() const;
    void DropDownSize(vb::Integer New_DropDownSize);
    vb::Long DropDownAlign() const;
    void DropDownAlign(vb::Long New_DropDownAlign);
    OLE_COLOR DropDownSeparatorColor() const;
    void DropDownSeparatorColor(OLE_COLOR New_DropDownSeparatorColor);
    vb::Boolean DropDownSeparator() const;
    void DropDownSeparator(vb::Boolean New_DropDownSeparator);
    host::FontRef Font() const;
    void Font(host::FontRef New_Font);
    OLE_COLOR ForeColor() const;
    void ForeColor(OLE_COLOR New_ForeColor);
    OLE_COLOR ForeColorOver() const;
    void ForeColorOver(OLE_COLOR New_ForeColorOver);
    OLE_COLOR ForeColorDown() const;
    void ForeColorDown(OLE_COLOR New_ForeColorDown);
    host::FontRef FontOnMouseOver() const;
    void FontOnMouseOver(host::FontRef New_FontOnMouseOver);
    host::PictureRef MouseIcon() const;
    void MouseIcon(host::PictureRef New_MouseIcon);
    vb::Long MousePointer() const;
    void MousePointer(vb::Long New_MousePointer);
    vb::Long PictureAlign() const;
    void PictureAlign(vb::Long New_PictureAlign);
    host::PictureRef Picture() const;
    void Picture(host::PictureRef New_Picture);
    host::PictureRef PictureDown() const;
    void PictureDown(host::PictureRef New_PictureDown);
    host::PictureRef PictureDis() const;
    void PictureDis(host::PictureRef New_PictureDis);
    host::PictureRef PictureOver() const;
    void PictureOver(host::PictureRef New_PictureOver);
    vb::Boolean PictureShow() const;
    void PictureShow(vb::Boolean New_PictureShow);
    vb::Single PictureTop() const;
    void PictureTop(vb::Single New_PictureTop);
    vb::Single PictureLeft() const;
    void PictureLeft(vb::Single New_PictureLeft);
    vb::Single PictureWidth() const;
    void PictureWidth(vb::Single New_PictureWidth);
    vb::Single PictureHeight() const;
    void PictureHeight(vb::Single New_PictureHeight);
    std::string URL() const;
    void URL(std::string New_URL);
    std::string UrlParam() const;
    void UrlParam(std::string New_UrlParam);
    std::string Wave() const;
    void Wave(std::string New_Wave);
    std::shared_ptr<SpEv> SpecialEvents() const;
    void SpecialEvents(std::shared_ptr<SpEv> New_SpecialEvents);
    vb::Boolean RealPicSize() const;
    void RealPicSize(vb::Boolean New_RealPicSize);
    void About();
    vb::Boolean RightToLeft() const;
    void RightToLeft(vb::Boolean New_RightToLeft);
    vb::Integer OLEDropMode() const;
    void OLEDropMode(vb::Integer New_OLEDropMode);
    vb::Boolean PictureInFront() const;
    void PictureInFront(vb::Boolean New_PictureInFront);
    vb::Long hwnd() const;
    std::string VeloToolTip() const;
    void VeloToolTip(std::string New_VeloToolTip);
    vb::Integer VeloToolTipDelay() const;
    void VeloToolTipDelay(vb::Integer New_VeloToolTipDelay);
    vb::Boolean UseVeloToolTip() const;
    void UseVeloToolTip(vb::Boolean New_UseVeloToolTip);
    vb::Boolean AutoXPMouseIcons() const;
    void AutoXPMouseIcons(vb::Boolean New_AutoXPMouseIcons);
    OLE_COLOR BackColor() const;
    void BackColor(OLE_COLOR New_BackColor);
    OLE_COLOR BackColorOver() const;
    void BackColorOver(OLE_COLOR New_BackColorOver);
    OLE_COLOR BackColorDown() const;
    void BackColorDown(OLE_COLOR New_BackColorDown);
    OLE_COLOR BackColorDis() const;
    void BackColorDis(OLE_COLOR New_BackColorDis);
    vb::Long ColorStyle() const;
    void ColorStyle(vb::Long New_ColorStyle);
    OLE_COLOR CornerColor() const;
    void CornerColor(OLE_COLOR New_CornerColor);
    OLE_COLOR ForeColorDis() const;
    void ForeColorDis(OLE_COLOR New_ForeColorDis);
    vb::Boolean MoveCaptionAtDown() const;
    void MoveCaptionAtDown(vb::Boolean New_MoveCaptionAtDown);
    vb::Long ButtonStyle() const;
    void ButtonStyle(vb::Long New_ButtonStyle);
    host::FontRef FontDown() const;
    void FontDown(host::FontRef New_FontDown);
    vb::Boolean OfficeBorderOnMouseOut() const;
    void OfficeBorderOnMouseOut(vb::Boolean New_OfficeBorderOnMouseOut);
    OLE_COLOR OfficeBorder() const;
    void OfficeBorder(OLE_COLOR New_OfficeBorder);
    OLE_COLOR OfficeBorderDown() const;
    void OfficeBorderDown(OLE_COLOR New_OfficeBorderDown);
    OLE_COLOR OfficeBackColor() const;
    void OfficeBackColor(OLE_COLOR New_OfficeBackColor);
    OLE_COLOR OfficeBackColorDown() const;
    void OfficeBackColorDown(OLE_COLOR New_OfficeBackColorDown);
    OLE_COLOR BorderColor() const;
    void BorderColor(OLE_COLOR New_BorderColor);
    vb::Long FocusRect() const;
    void FocusRect(vb::Long New_FocusRect);
    vb::Long HoverRect() const;
    void HoverRect(vb::Long New_HoverRect);
    OLE_COLOR FocusRectColor() const;
    void FocusRectColor(OLE_COLOR New_FocusRectColor);
    OLE_COLOR HoverRectColor() const;
    void HoverRectColor(OLE_COLOR New_HoverRectColor);
    vb::Boolean Value() const;
    void Value(vb::Boolean New_Value);
    OLE_COLOR MaskColor() const;
    void MaskColor(OLE_COLOR New_MaskColor);
    vb::Boolean UseMaskColor() const;
    void UseMaskColor(vb::Boolean New_UseMaskColor);
    vb::Boolean AutoColorStyle() const;
    void AutoColorStyle(vb::Boolean New_AutoColorStyle);
    vb::Boolean AllPicturesSame() const;
    void AllPicturesSame(vb::Boolean New_AllPicturesSame);

    // The instance record, for painters, persistence and tests.
    ButtonRecord& Record() { return rec_; }
    const ButtonRecord& Record() const { return rec_; }
    host::ControlSite& Site() { return site_; }

    // Replaces the painters Redraw calls (the default set paints the looks).
    void SetPainters(std::shared_ptr<const Painters> painters);

    // Paints the whole control; iPass 0 from every caller outside Redraw.
    void Redraw(vb::Integer iPass);
    // Puts the highlight border named `sColor` ("blue", "orange") on the surface as it
    // is, without repainting the rest.
    void drawMLine(const std::string& sColor);
    // Lets the host process pending events, then repaints and puts the highlight of
    // the current state on top; the mouse-down handling calls it after the press.
    void DrawAdded();

    // Host notifications.
    //
    // Creation and saving: a new instance is initialised by reading an empty bag, a
    // saved one by reading its bag; either ends with one repaint, the theme check, the
    // hover timer running and the tooltip registered. Writing saves every persisted
    // property. Each key is one step of the trap, so a silent failure skips that key.
    void UserControl_InitProperties();
    void UserControl_ReadProperties(host::PropertyBag& PropBag);
    void UserControl_WriteProperties(host::PropertyBag& PropBag);
    // The container's default button shows the focus/default look whenever an ambient
    // property changes while it has no focus; only losing the focus takes the look away.
    void UserControl_AmbientChanged(const std::string& PropertyName);
    void UserControl_Paint();
    void UserControl_Resize();
    // Input notifications. Arguments are the host's variables, handed on to the events
    // by reference: what an event handler assigns is what the rest of the notification
    // and the host see.
    //
    // Mouse and hover (mouse.cpp): Button is the host's mask (1 left, 2 right, 4 middle),
    // X and Y are surface pixels.
    void UserControl_MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                               vb::Single& Y);
    void UserControl_MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X,
                               vb::Single& Y);
    void UserControl_MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y);
    void tmrMouseIn_Timer();
    // Keyboard, focus and access keys (keyboard.cpp).
    void UserControl_KeyDown(vb::Integer& KeyCode, vb::Integer& Shift);
    void UserControl_KeyPress(vb::Integer& KeyAscii);
    void UserControl_KeyUp(vb::Integer& KeyCode, vb::Integer& Shift);
    void UserControl_GotFocus();
    void UserControl_LostFocus();
    void UserControl_AccessKeyPress(vb::Integer& KeyAscii);
    // The click action (click.cpp).
    void UserControl_Click();
    void UserControl_OLECompleteDrag(vb::Long& Effect);
    void UserControl_OLEDragDrop(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                                 vb::Integer& Shift, vb::Single& X, vb::Single& Y);
    void UserControl_OLEDragOver(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                                 vb::Integer& Shift, vb::Single& X, vb::Single& Y,
                                 vb::Integer& State);
    void UserControl_OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors);
    void UserControl_OLESetData(host::DataObjectRef& Data, vb::Integer& DataFormat);
    void UserControl_OLEStartDrag(host::DataObjectRef& Data, vb::Long& AllowedEffects);

    // Routines the accessors and loading use.
    void CheckAutoColorStyle();
    void CheckForVeloToolTip();
    // The tooltip manager this control keeps once it uses a tooltip.
    std::shared_ptr<QI> NewQuickInfo();
    // The access key of the caption: the character after the last single "&", the
    // first character when there is none; "" for an empty caption.
    std::string GetPrefixText() const;

private:
    // Runs `raise` against the event sink, when there is one.
    template <class F>
    void RaiseEvent(F&& raise) {
        if (events_) raise(*events_);
    }

    // Whether (X, Y) lies in the drop-down section (the hit test of MouseDown and
    // MouseMove); may fail as the surface's size is read.
    bool InDropDownSection(vb::Single X, vb::Single Y);

    host::ControlSite& site_;
    ButtonRecord rec_;
    sheenButtonEvents* events_ = nullptr;
    std::shared_ptr<const Painters> painters_;
    // Owned by this control alone: its Liveness tokens expire when it goes.
    std::shared_ptr<const int> lifetime_ = std::make_shared<const int>(0);
};

// CloneFont (module basButton): a new font object with every attribute of `font`, so
// that the control never shares a font with its caller; no font gives no font.
host::FontRef CloneFont(const host::FontRef& font);

// FileExists (module basButton): whether FindFirstFileA finds anything for the name or
// wildcard pattern; "" never exists.
vb::Boolean FileExists(const std::string& sFile);

}  // namespace sheenwork
