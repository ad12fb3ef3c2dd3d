// sheenButton as a windowed ActiveX control: the COM object a container creates, and the
// control site through which the button reaches that container.
//
// The object holds the button and its site. The container's client site gives the
// ambient properties (UserMode, DisplayAsDefault, Font, BackColor) and, through the
// control site, the extender (Name, Default); its in-place site gives the window the
// control's own window is made in. The button paints on a retained surface drawn with
// real GDI, which the window shows on WM_PAINT; the window's messages become the
// button's notifications, its events go to the connected sinks.
#pragma once

#include <sheenwork/control/sheenButton.h>
#include <sheenwork/host/picture_holder.h>
#include <sheenwork/runtime/description.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/host/win32/server.h"
#include "runtime/site_core.h"

namespace sheenwork::win32 {

class ButtonControl;

class ComSite final : public runtime::SiteCore {
public:
    explicit ComSite(ButtonControl& control);
    ~ComSite() override;

    // The control's window came or went; a new size for the surface.
    void Attach(HWND window);
    void Resize(int width, int height);
    HWND Window() const { return window_; }
    // The pointer the window shows now.
    HCURSOR Cursor();

    void PropertyChanged(const std::string& name) override;
    vb::Boolean AmbientUserMode() override;
    vb::Boolean AmbientDisplayAsDefault() override;
    std::string ExtenderName() override;
    vb::Boolean ExtenderDefault() override;
    vb::Object Parent() override;
    host::FontRef ParentFont() override;
    std::uint32_t ParentBackColor() override;
    long ParentHwnd() override;
    vb::Boolean ParentIsForm() override;
    long SurfaceHwnd() override;
    vb::Boolean SurfaceEnabled() override { return enabled_; }
    void SurfaceEnabled(vb::Boolean value) override;
    void SurfaceAccessKeys(const std::string& keys) override;
    vb::Boolean tmrMouseInEnabled() override { return timer_on_; }
    void tmrMouseInEnabled(vb::Boolean on) override;
    void tmrMouseInInterval(long milliseconds) override;
    void SetFocus() override;
    void DoEvents() override;
    vb::Single ScaleTwipsToPixelsX(vb::Single twips) override;
    vb::Single ScaleTwipsToPixelsY(vb::Single twips) override;
    gdi::Rect GetWindowRect(long hwnd) override;
    gdi::Point GetCursorPos() override;
    long WindowFromPoint(gdi::Point screen) override;
    std::int16_t GetAsyncKeyState(int virtual_key) override;
    void ShowAbout(const host::AboutInfo& info) override;

    const std::string& AccessKeys() const { return access_keys_; }
    static constexpr UINT_PTR kTimerId = 1;

private:
    void ApplyTimer();
    ButtonControl& control_;
    HWND window_ = nullptr;
    vb::Boolean enabled_ = vb::True;
    HCURSOR icon_cursor_ = nullptr;
    host::PictureRef icon_cursor_of_;
    std::string access_keys_;
    vb::Boolean timer_on_;
    long timer_interval_ = 1;
};

class ButtonControl final
    : public Unknown<IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
                     IViewObject2, IPersistPropertyBag, IPersistStreamInit, IDispatch,
                     IConnectionPointContainer, IProvideClassInfo2>,
      public sheenButtonEvents {
public:
    explicit ButtonControl(const runtime::ClassDescription& cls);
    ~ButtonControl() override;

    // What the site asks of the container.
    IOleClientSite* ClientSite() const { return client_site_.get(); }
    ComPtr<IDispatch> Ambients() const;
    ComPtr<IDispatch> Extender() const;
    HWND ContainerWindow() const;
    void PropertyChanged(const std::string& name);
    void AccessKeysChanged();
    void TranslateForContainer(MSG& msg, bool& taken);
    sheenButton& Button() { return *button_; }
    const runtime::ClassDescription& Class() const { return cls_; }

    // The window's messages.
    LRESULT Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD save) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                      LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* arg_error) override;

    // IConnectionPointContainer, IProvideClassInfo2
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // The button's events, to every connected sink.
    void Click() override;
    void MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override;
    void MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override;
    void MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) override;
    void MouseLeave() override;
    void MouseEnter() override;
    void KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) override;
    void KeyPress(vb::Integer& KeyAscii) override;
    void KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) override;
    void OLECompleteDrag(vb::Long& Effect) override;
    void OLEDragDrop(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                     vb::Integer& Shift, vb::Single& X, vb::Single& Y) override;
    void OLEDragOver(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                     vb::Integer& Shift, vb::Single& X, vb::Single& Y, vb::Integer& State) override;
    void OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) override;
    void OLESetData(host::DataObjectRef& Data, vb::Integer& DataFormat) override;
    void OLEStartDrag(host::DataObjectRef& Data, vb::Long& AllowedEffects) override;
    void DropDown() override;

protected:
    void* Find(REFIID iid) override;

private:
    class Point;
    friend class Point;
    friend class ComSite;
    // Raises event `id` with its arguments by reference.
    void Raise(DISPID id, std::vector<VARIANT>& refs);
    HRESULT Activate(LONG verb, IOleClientSite* site, HWND parent, LPCRECT rect);
    void Loaded();
    void Repaint();

    const runtime::ClassDescription& cls_;
    std::unique_ptr<ComSite> site_;
    std::shared_ptr<runtime::Object> object_;
    std::shared_ptr<sheenButton> button_;
    ComPtr<IOleClientSite> client_site_;
    ComPtr<IOleInPlaceSite> in_place_site_;
    ComPtr<IOleAdviseHolder> advise_holder_;
    ComPtr<IAdviseSink> view_sink_;
    DWORD view_aspects_ = 0, view_flags_ = 0;
    ComPtr<IOleInPlaceFrame> frame_;
    OLEINPLACEFRAMEINFO frame_info_{};
    // The connected sinks by cookie: the events, and the property change notifications.
    std::map<DWORD, ComPtr<IDispatch>> event_sinks_;
    std::map<DWORD, ComPtr<IPropertyNotifySink>> notify_sinks_;
    DWORD next_cookie_ = 1;
    HACCEL accelerators_ = nullptr;
    HWND window_ = nullptr;
    SIZEL extent_{2540, 635};  // HIMETRIC: 96 x 24 pixels until the container says
    bool dirty_ = false;
    bool loaded_ = false;
    bool ui_active_ = false;
    int frozen_ = 0;
    // The mouse: the buttons held, and whether the left one went down on this window.
    int buttons_ = 0;
    bool left_pressed_ = false;
};

}  // namespace sheenwork::win32
