// sheenButton's property accessors and the routines they use.
//
// Every accessor is one procedure of the error trap: each statement that can fail is its
// own step, in the order the property's row fixes (S = store, R = Redraw(0), N = notify
// the host). A guard that fails makes the assignment do nothing at all.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>

#include "render/redraw.h"
#include "tooltip/QI.h"

#include <sheenwork/system/services.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>

namespace sheenwork {
namespace {

constexpr char kModule[] = "sheenButton";

enum class Order { SRN, SNR, SN };

// The plain assignments: store, then repaint and notify in the row's order.
template <class T>
void AssignField(sheenButton& b, const char* name, T ButtonRecord::*field, const T& value,
                 Order order, const char* notify_name = nullptr) {
    Procedure p{name, ModuleKind::UserControl, kModule};
    p([&] { b.Record().*field = value; });
    const auto repaint = [&] { p([&] { b.Redraw(0); }); };
    const auto notify = [&] {
        p([&] { b.Site().PropertyChanged(notify_name ? notify_name : name); });
    };
    switch (order) {
        case Order::SRN:
            repaint();
            notify();
            break;
        case Order::SNR:
            notify();
            repaint();
            break;
        case Order::SN: notify(); break;
    }
}

QIFactory& Factory() {
    static QIFactory factory;
    return factory;
}

}  // namespace

void SetQIFactory(QIFactory factory) { Factory() = std::move(factory); }

std::shared_ptr<QI> NewQI(std::function<void()> about) {
    if (Factory()) return Factory()();
    return tooltip::NewQI(std::move(about));
}

sheenButton::sheenButton(host::ControlSite& site) : site_(site), painters_(DefaultPainters()) {}
// The tokens expire before anything else of the control goes.
sheenButton::~sheenButton() { lifetime_.reset(); }

void sheenButton::SetPainters(std::shared_ptr<const Painters> painters) {
    painters_ = painters ? std::move(painters) : DefaultPainters();
}

// ---- S, R, N ----
#define SHEEN_PLAIN(Name, Type, order)                                            \
    Type sheenButton::Name() const { return rec_.Name; }                          \
    void sheenButton::Name(Type New_##Name) {                                     \
        AssignField(*this, #Name, &ButtonRecord::Name, New_##Name, Order::order); \
    }

SHEEN_PLAIN(CaptionAlign, vb::Long, SRN)
SHEEN_PLAIN(PictureAlign, vb::Long, SRN)
SHEEN_PLAIN(PictureShow, vb::Boolean, SRN)
SHEEN_PLAIN(DropDown, vb::Boolean, SRN)
SHEEN_PLAIN(DropDownColor, OLE_COLOR, SRN)
SHEEN_PLAIN(DropDownSize, vb::Integer, SRN)
SHEEN_PLAIN(DropDownAlign, vb::Long, SRN)
SHEEN_PLAIN(DropDownSeparator, vb::Boolean, SRN)
SHEEN_PLAIN(DropDownSeparatorColor, OLE_COLOR, SRN)
SHEEN_PLAIN(BackColor, OLE_COLOR, SRN)
SHEEN_PLAIN(BackColorOver, OLE_COLOR, SRN)
SHEEN_PLAIN(BackColorDown, OLE_COLOR, SRN)
SHEEN_PLAIN(BackColorDis, OLE_COLOR, SRN)
SHEEN_PLAIN(CornerColor, OLE_COLOR, SRN)
SHEEN_PLAIN(ForeColorDis, OLE_COLOR, SRN)

SHEEN_PLAIN(ForeColor, OLE_COLOR, SNR)
SHEEN_PLAIN(PictureInFront, vb::Boolean, SNR)
SHEEN_PLAIN(ButtonStyle, vb::Long, SNR)
SHEEN_PLAIN(OfficeBorderOnMouseOut, vb::Boolean, SNR)
SHEEN_PLAIN(OfficeBorder, OLE_COLOR, SNR)
SHEEN_PLAIN(OfficeBorderDown, OLE_COLOR, SNR)
SHEEN_PLAIN(OfficeBackColor, OLE_COLOR, SNR)
SHEEN_PLAIN(OfficeBackColorDown, OLE_COLOR, SNR)
SHEEN_PLAIN(BorderColor, OLE_COLOR, SNR)
SHEEN_PLAIN(FocusRect, vb::Long, SNR)
SHEEN_PLAIN(HoverRect, vb::Long, SNR)
SHEEN_PLAIN(FocusRectColor, OLE_COLOR, SNR)
SHEEN_PLAIN(HoverRectColor, OLE_COLOR, SNR)
SHEEN_PLAIN(MaskColor, OLE_COLOR, SNR)
SHEEN_PLAIN(UseMaskColor, vb::Boolean, SNR)
SHEEN_PLAIN(AllPicturesSame, vb::Boolean, SNR)

SHEEN_PLAIN(ForeColorOver, OLE_COLOR, SN)
SHEEN_PLAIN(ForeColorDown, OLE_COLOR, SN)
SHEEN_PLAIN(MoveCaptionAtDown, vb::Boolean, SN)
SHEEN_PLAIN(AutoXPMouseIcons, vb::Boolean, SN)
SHEEN_PLAIN(PictureDown, host::PictureRef, SN)
SHEEN_PLAIN(PictureOver, host::PictureRef, SN)
SHEEN_PLAIN(UrlParam, std::string, SN)
SHEEN_PLAIN(Wave, std::string, SN)

#undef SHEEN_PLAIN

std::string sheenButton::URL() const { return rec_.URL; }
void sheenButton::URL(std::string New_URL) {
    AssignField(*this, "URL", &ButtonRecord::URL, New_URL, Order::SN, "Url");
}

// ---- guarded positions and sizes ----
namespace {
template <class Guard>
void GuardedPosition(sheenButton& b, const char* name, vb::Single ButtonRecord::*field,
                     vb::Single value, Guard guard) {
    if (!guard(b.Record())) return;
    AssignField(b, name, field, value, Order::SRN);
}
bool ManualCaption(const ButtonRecord& r) { return r.CaptionAlign == cBenutzerdefiniert; }
bool ManualPicture(const ButtonRecord& r) { return r.PictureAlign == cBenutzerdefiniert; }
}  // namespace

vb::Single sheenButton::CaptionLeft() const { return rec_.CaptionLeft; }
void sheenButton::CaptionLeft(vb::Single v) {
    GuardedPosition(*this, "CaptionLeft", &ButtonRecord::CaptionLeft, v, ManualCaption);
}
vb::Single sheenButton::CaptionTop() const { return rec_.CaptionTop; }
void sheenButton::CaptionTop(vb::Single v) {
    GuardedPosition(*this, "CaptionTop", &ButtonRecord::CaptionTop, v, ManualCaption);
}
vb::Single sheenButton::PictureTop() const { return rec_.PictureTop; }
void sheenButton::PictureTop(vb::Single v) {
    GuardedPosition(*this, "PictureTop", &ButtonRecord::PictureTop, v, ManualPicture);
}
vb::Single sheenButton::PictureLeft() const { return rec_.PictureLeft; }
void sheenButton::PictureLeft(vb::Single v) {
    GuardedPosition(*this, "PictureLeft", &ButtonRecord::PictureLeft, v, ManualPicture);
}

vb::Single sheenButton::PictureWidth() const { return rec_.PictureWidth; }
void sheenButton::PictureWidth(vb::Single v) {
    if (rec_.RealPicSize) return;
    Procedure p{"PictureWidth", ModuleKind::UserControl, kModule};
    p([&] { rec_.PictureWidth = v; });
    p([&] { site_.Image1().Width(v); });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("PictureWidth"); });
}
vb::Single sheenButton::PictureHeight() const { return rec_.PictureHeight; }
void sheenButton::PictureHeight(vb::Single v) {
    if (rec_.RealPicSize) return;
    Procedure p{"PictureHeight", ModuleKind::UserControl, kModule};
    p([&] { rec_.PictureHeight = v; });
    p([&] { site_.Image1().Height(v); });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("PictureHeight"); });
}

vb::Boolean sheenButton::RealPicSize() const { return rec_.RealPicSize; }
void sheenButton::RealPicSize(vb::Boolean v) {
    Procedure p{"RealPicSize", ModuleKind::UserControl, kModule};
    p([&] { rec_.RealPicSize = v; });
    if (!v) {
        // The size the picture had on screen becomes the manual size.
        p([&] { site_.Image1().Stretch(vb::True); });
        p([&] { PictureHeight(site_.Image1().Height()); });
        p([&] { PictureWidth(site_.Image1().Width()); });
    } else {
        // Both are refused by their guards now that RealPicSize is True; the picture
        // is drawn at its natural size all the same.
        p([&] { PictureHeight(0); });
        p([&] { PictureWidth(0); });
        p([&] { site_.Image1().Stretch(vb::False); });
    }
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("RealPicSize"); });
}

// ---- mirrored to the host surface ----
std::string sheenButton::Caption() const { return rec_.Caption; }
void sheenButton::Caption(std::string v) {
    Procedure p{"Caption", ModuleKind::UserControl, kModule};
    p([&] { rec_.Caption = v; });
    p([&] { site_.SurfaceAccessKeys(GetPrefixText()); });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("Caption"); });
}

vb::Boolean sheenButton::Enabled() const { return rec_.Enabled; }
void sheenButton::Enabled(vb::Boolean v) {
    Procedure p{"Enabled", ModuleKind::UserControl, kModule};
    p([&] { rec_.Enabled = v; });
    p([&] { site_.SurfaceEnabled(v); });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("Enabled"); });
}

host::FontRef sheenButton::Font() const { return rec_.Font; }
void sheenButton::Font(host::FontRef v) {
    Procedure p{"Font", ModuleKind::UserControl, kModule};
    p([&] { rec_.Font = CloneFont(v); });
    p([&] { site_.SurfaceFont(rec_.Font); });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("Font"); });
}
host::FontRef sheenButton::FontDown() const { return rec_.FontDown; }
void sheenButton::FontDown(host::FontRef v) {
    Procedure p{"FontDown", ModuleKind::UserControl, kModule};
    p([&] { rec_.FontDown = CloneFont(v); });
    p([&] { site_.PropertyChanged("FontDown"); });
    p([&] { Redraw(0); });
}
host::FontRef sheenButton::FontOnMouseOver() const { return rec_.FontOnMouseOver; }
void sheenButton::FontOnMouseOver(host::FontRef v) {
    Procedure p{"FontOnMouseOver", ModuleKind::UserControl, kModule};
    p([&] { rec_.FontOnMouseOver = CloneFont(v); });
    p([&] { site_.PropertyChanged("FontOnMouseOver"); });
}

host::PictureRef sheenButton::MouseIcon() const { return rec_.MouseIcon; }
void sheenButton::MouseIcon(host::PictureRef v) {
    Procedure p{"MouseIcon", ModuleKind::UserControl, kModule};
    p([&] { rec_.MouseIcon = v; });
    p([&] { site_.SurfaceMouseIcon(v); });
    p([&] { site_.PropertyChanged("MouseIcon"); });
}

vb::Long sheenButton::MousePointer() const { return rec_.MousePointer; }
void sheenButton::MousePointer(vb::Long v) {
    Procedure p{"MousePointer", ModuleKind::UserControl, kModule};
    p([&] { rec_.MousePointer = v; });
    // The surface takes an Integer: a value beyond 16 bits overflows here, after the
    // field already holds it.
    p([&] { site_.SurfaceMousePointer(vb::CInt(v)); });
    p([&] { site_.PropertyChanged("MousePointer"); });
}

vb::Boolean sheenButton::RightToLeft() const {
    Procedure p{"RightToLeft", ModuleKind::UserControl, kModule};
    vb::Boolean result;
    p([&] { result = site_.SurfaceRightToLeft(); });
    return result;
}
void sheenButton::RightToLeft(vb::Boolean v) {
    Procedure p{"RightToLeft", ModuleKind::UserControl, kModule};
    p([&] { rec_.RightToLeft = v; });
    p([&] { site_.SurfaceRightToLeft(v); });
    p([&] { site_.PropertyChanged("RightToLeft"); });
}

vb::Integer sheenButton::OLEDropMode() const { return rec_.OLEDropMode; }
void sheenButton::OLEDropMode(vb::Integer v) {
    Procedure p{"OLEDropMode", ModuleKind::UserControl, kModule};
    p([&] { rec_.OLEDropMode = v; });
    p([&] { site_.SurfaceOLEDropMode(v); });
    p([&] { site_.PropertyChanged("OLEDropMode"); });
}

vb::Long sheenButton::hwnd() const {
    Procedure p{"hwnd", ModuleKind::UserControl, kModule};
    vb::Long result = 0;
    p([&] { result = site_.SurfaceHwnd(); });
    return result;
}

// ---- pictures ----
host::PictureRef sheenButton::Picture() const { return rec_.Picture; }
void sheenButton::Picture(host::PictureRef v) {
    Procedure p{"Picture", ModuleKind::UserControl, kModule};
    p([&] { rec_.Picture = v; });
    p([&] {
        if (rec_.Enabled) site_.Image1().Picture(v);
    });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("Picture"); });
}
host::PictureRef sheenButton::PictureDis() const { return rec_.PictureDis; }
void sheenButton::PictureDis(host::PictureRef v) {
    Procedure p{"PictureDis", ModuleKind::UserControl, kModule};
    p([&] { rec_.PictureDis = v; });
    p([&] {
        if (!rec_.Enabled) site_.Image1().Picture(v);
    });
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("PictureDis"); });
}

// ---- schemes ----
vb::Long sheenButton::ColorStyle() const { return rec_.ColorStyle; }
void sheenButton::ColorStyle(vb::Long v) {
    Procedure p{"ColorStyle", ModuleKind::UserControl, kModule};
    p([&] { rec_.ColorStyle = v; });
    // The XP schemes carry the numbers of their highlight schemes; the custom scheme
    // takes the highlight colours; the classic scheme and others leave both alone.
    if (v == cXPBlue || v == cXPSilver || v == cXPOlive) {
        p([&] { FocusRect(v); });
        p([&] { HoverRect(v); });
    } else if (v == cCustom) {
        p([&] { FocusRect(cRectColor); });
        p([&] { HoverRect(cRectColor); });
    }
    p([&] { Redraw(0); });
    p([&] { site_.PropertyChanged("ColorStyle"); });
}

vb::Boolean sheenButton::AutoColorStyle() const { return rec_.AutoColorStyle; }
void sheenButton::AutoColorStyle(vb::Boolean v) {
    Procedure p{"AutoColorStyle", ModuleKind::UserControl, kModule};
    p([&] { rec_.AutoColorStyle = v; });
    p([&] { site_.PropertyChanged("AutoColorStyle"); });
    p([&] {
        if (v && !rec_.bLoading) CheckAutoColorStyle();
    });
    p([&] { Redraw(0); });
}

void sheenButton::CheckAutoColorStyle() {
    Procedure p{"CheckAutoColorStyle", ModuleKind::UserControl, kModule};
    if (!rec_.AutoColorStyle) return;
    vb::Long theme = 0;
    p([&] {
        auto spev = std::make_unique<SpEv>();
        theme = spev->ActiveXPTheme();
    });
    p([&] {
        switch (theme) {
            case styleBlue: ColorStyle(cXPBlue); break;
            case styleSilver: ColorStyle(cXPSilver); break;
            case styleOlive: ColorStyle(cXPOlive); break;
            default: ColorStyle(cWinClassic); break;
        }
    });
}

// ---- tooltip ----
std::string sheenButton::VeloToolTip() const { return rec_.VeloToolTip; }
void sheenButton::VeloToolTip(std::string v) {
    Procedure p{"VeloToolTip", ModuleKind::UserControl, kModule};
    p([&] { rec_.VeloToolTip = v; });
    p([&] { site_.PropertyChanged("VeloToolTip"); });
    p([&] { CheckForVeloToolTip(); });
}
vb::Integer sheenButton::VeloToolTipDelay() const { return rec_.VeloToolTipDelay; }
void sheenButton::VeloToolTipDelay(vb::Integer v) {
    Procedure p{"VeloToolTipDelay", ModuleKind::UserControl, kModule};
    p([&] { rec_.VeloToolTipDelay = v; });
    p([&] { site_.PropertyChanged("VeloToolTipDelay"); });
    p([&] { CheckForVeloToolTip(); });
}
vb::Boolean sheenButton::UseVeloToolTip() const { return rec_.UseVeloToolTip; }
void sheenButton::UseVeloToolTip(vb::Boolean v) {
    Procedure p{"UseVeloToolTip", ModuleKind::UserControl, kModule};
    p([&] { rec_.UseVeloToolTip = v; });
    p([&] { site_.PropertyChanged("UseVeloToolTip"); });
    p([&] { CheckForVeloToolTip(); });
}

namespace {
// The host surface as the tooltip sees a control: its window handle, read late-bound.
// It has no "Container" (that is the extender's), so a tip's record names no owner
// window, as with the host's own surface object; it says so when asked, so that the
// tooltip need not raise an error to find out.
class SurfaceObject final : public vb::Dispatch, public tooltip::PropertyHolder {
public:
    explicit SurfaceObject(host::ControlSite& site) : site_(site) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind kind,
                       std::vector<vb::Variant>& args) override {
        const bool get = kind == vb::InvokeKind::PropertyGet || kind == vb::InvokeKind::Method;
        if (get && args.empty() && HasProperty(name))
            return vb::Variant(static_cast<vb::Long>(site_.SurfaceHwnd()));
        vb::Raise(438);
    }
    bool HasProperty(std::string_view name) const noexcept override {
        return name.size() == 4 && std::equal(name.begin(), name.end(), "hwnd", [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == b;
               });
    }

private:
    host::ControlSite& site_;
};
vb::Variant SurfaceVariant(host::ControlSite& site) {
    return vb::Object(std::make_shared<SurfaceObject>(site));
}
}  // namespace

void sheenButton::CheckForVeloToolTip() {
    Procedure p{"CheckForVeloToolTip", ModuleKind::UserControl, kModule};
    if (rec_.bLoading) return;
    if (rec_.UseVeloToolTip) {
        // Every statement of this branch runs with errors ignored and unreported.
        vb::Variant form;
        IgnoreErrors([&] { form = site_.Parent(); });
        IgnoreErrors([&] {
            if (!rec_.cQuickInfo) rec_.cQuickInfo = NewQuickInfo();
        });
        IgnoreErrors([&] {
            if (!rec_.cQuickInfo) vb::Raise(91);
            std::string tip = rec_.VeloToolTip;
            vb::Integer delay = rec_.VeloToolTipDelay;
            vb::Integer width = 240;
            rec_.cQuickInfo->Create(form, SurfaceVariant(site_), tip, delay, width);
        });
    } else {
        p([&] {
            if (!rec_.cQuickInfo) rec_.cQuickInfo = NewQuickInfo();
        });
        p([&] {
            if (!rec_.cQuickInfo) vb::Raise(91);
            rec_.cQuickInfo->Remove(SurfaceVariant(site_));
        });
    }
}

// ---- Value and the rest ----
vb::Boolean sheenButton::Value() const { return rec_.Value; }
void sheenButton::Value(vb::Boolean v) {
    Procedure p{"Value", ModuleKind::UserControl, kModule};
    p([&] { rec_.Value = v; });
    p([&] { site_.PropertyChanged("Value"); });
    p([&] {
        if (v) UserControl_Click();
    });
}

std::shared_ptr<SpEv> sheenButton::SpecialEvents() const { return nullptr; }
void sheenButton::SpecialEvents(std::shared_ptr<SpEv>) {}

namespace {

constexpr char kWebsite[] = "https://sheenwork.dev/";

// A document shipped with the library: installed under <prefix>/share/doc/sheenwork
// beside <prefix>/lib, or, in a build that is not installed, in the source tree.
std::string DocumentPath(const std::string& name) {
    std::string installed;
    IgnoreErrors([&] {
        const std::filesystem::path library = system::Current().LibraryPath();
        installed = (library.parent_path().parent_path() / "share/doc/sheenwork" / name).string();
    });
    std::error_code ec;
    if (!installed.empty() && std::filesystem::exists(installed, ec)) return installed;
#ifdef SHEENWORK_SOURCE_DIR
    const std::string source = std::string(SHEENWORK_SOURCE_DIR) + "/" + name;
    if (std::filesystem::exists(source, ec)) return source;
#endif
    return installed;
}

host::AboutInfo AboutWindow() {
    return host::AboutInfo{"Sheenwork",
                           "sheenButton",
                           "The Sheenwork developers",
                           "2.8.0",
                           "2003-2026",
                           {{"Help", DocumentPath("README.md"), ""},
                            {"Website", kWebsite, ""},
                            {"Licence", DocumentPath("LICENSE"), ""}}};
}

}  // namespace

void sheenButton::About() {
    Procedure p{"About", ModuleKind::UserControl, kModule};
    p([&] { site_.ShowAbout(AboutWindow()); });
}

std::shared_ptr<QI> sheenButton::NewQuickInfo() {
    // The manager's About shows the same window through this control's host, for as long
    // as the control is there.
    return NewQI([&site = site_, alive = Liveness()] {
        if (alive) site.ShowAbout(AboutWindow());
    });
}

std::string sheenButton::GetPrefixText() const {
    Procedure p{"GetPrefixText", ModuleKind::UserControl, kModule};
    std::string result;
    p([&] {
        // "&&" shows one "&" and marks nothing: drop each pair, scanning from the left.
        std::string s;
        const std::string& caption = rec_.Caption;
        // (A string's last character is followed by its terminating NUL, never an "&".)
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && caption[i + 1] == '&') {
                ++i;
                continue;
            }
            s += caption[i];
        }
        if (!s.empty() && s.back() == '&') s.pop_back();
        // The character after the last "&"; with none, the first character; nothing
        // past the end.
        const auto amp = s.rfind('&');
        result = s.substr(amp == std::string::npos ? 0 : amp + 1, 1);
    });
    return result;
}

}  // namespace sheenwork
