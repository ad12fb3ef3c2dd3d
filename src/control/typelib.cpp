#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/util/spev.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <span>

namespace sheenwork {
namespace {

using Args = std::vector<vb::Variant>;

// One row of a class's table: what the interface publishes about the member and how a
// late-bound call reaches it on the native object.
template <class T>
struct Row {
    const char* name;
    const char* type;
    Access access;
    const char* help;
    long dispid;
    vb::Variant (*get)(const T&);
    void (*put)(T&, const vb::Variant&);
    vb::Variant (*call)(T&, Args&);
    std::span<const ParamInfo> params = {};
};

// The published view of a table.
template <class T, std::size_t N>
constexpr std::array<MemberInfo, N> Describe(const Row<T> (&rows)[N]) {
    std::array<MemberInfo, N> out{};
    for (std::size_t i = 0; i < N; ++i)
        out[i] = {rows[i].name, rows[i].type,   rows[i].access,
                  rows[i].help, rows[i].dispid, rows[i].params};
    return out;
}

// OLE_COLOR travels as a Long: &H8000000F is negative.
vb::Variant FromColor(OLE_COLOR c) { return vb::Variant(static_cast<vb::Long>(c)); }
OLE_COLOR ToColor(const vb::Variant& v) { return static_cast<OLE_COLOR>(vb::CLng(v)); }

host::PictureRef ToPicture(const vb::Variant& v) {
    const vb::Object o = vb::CObj(v);
    if (o.IsNothing()) return nullptr;
    auto p = o.As<vb::StdPicture>();
    if (!p) vb::Raise(13);
    return p;
}

std::shared_ptr<SpEv> ToSpEv(const vb::Variant& v) {
    const vb::Object o = vb::CObj(v);
    if (o.IsNothing()) return nullptr;
    auto p = o.As<SpEv>();
    if (!p) vb::Raise(13);
    return p;
}

// A font property takes its argument as an object first, inside its own trap: an
// object that is not a font fails there, before anything is stored.
void SetFontFromVariant(sheenButton& b, const char* name, const vb::Variant& v,
                        void (sheenButton::*set)(host::FontRef)) {
    Procedure p{name, ModuleKind::UserControl, "sheenButton"};
    host::FontRef font;
    const bool converted = p([&] {
        const vb::Object o = vb::CObj(v);
        if (!o.IsNothing()) {
            font = o.As<vb::StdFont>();
            if (!font) vb::Raise(13);
        }
    });
    if (converted) (b.*set)(font);
}

constexpr Row<sheenButton> kButtonRows[] = {
    {"CaptionAlign", "cAlignment", Access::GetLet, "bestimmt die Ausrichtung des Textes", 1,
     [](const sheenButton& b) { return vb::Variant(b.CaptionAlign()); },
     [](sheenButton& b, const vb::Variant& v) { b.CaptionAlign(vb::CLng(v)); }, nullptr},
    {"Caption", "String", Access::GetLet, "", 2,
     [](const sheenButton& b) { return vb::Variant(b.Caption()); },
     [](sheenButton& b, const vb::Variant& v) { b.Caption(vb::CStr(v)); }, nullptr},
    {"CaptionLeft", "Single", Access::GetLet,
     "bestimmt die manuelle linke Ausrichtung, wenn CaptionAlign = 99", 3,
     [](const sheenButton& b) { return vb::Variant(b.CaptionLeft()); },
     [](sheenButton& b, const vb::Variant& v) { b.CaptionLeft(vb::CSng(v)); }, nullptr},
    {"CaptionTop", "Single", Access::GetLet,
     "bestimmt die manuelle obere Ausrichtung, wenn CaptionAlign = 99", 4,
     [](const sheenButton& b) { return vb::Variant(b.CaptionTop()); },
     [](sheenButton& b, const vb::Variant& v) { b.CaptionTop(vb::CSng(v)); }, nullptr},
    {"Enabled", "Boolean", Access::GetLet, "", 5,
     [](const sheenButton& b) { return vb::Variant(b.Enabled()); },
     [](sheenButton& b, const vb::Variant& v) { b.Enabled(vb::CBool(v)); }, nullptr},
    {"DropDown", "Boolean", Access::GetLet, "", 6,
     [](const sheenButton& b) { return vb::Variant(b.DropDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDown(vb::CBool(v)); }, nullptr},
    {"DropDownColor", "OLE_COLOR", Access::GetLet, "", 7,
     [](const sheenButton& b) { return FromColor(b.DropDownColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDownColor(ToColor(v)); }, nullptr},
    {"DropDownSize", "Integer", Access::GetLet, "", 8,
     [](const sheenButton& b) { return vb::Variant(b.DropDownSize()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDownSize(vb::CInt(v)); }, nullptr},
    {"DropDownAlign", "cDropDownAlign", Access::GetLet, "", 9,
     [](const sheenButton& b) { return vb::Variant(b.DropDownAlign()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDownAlign(vb::CLng(v)); }, nullptr},
    {"DropDownSeparatorColor", "OLE_COLOR", Access::GetLet, "", 10,
     [](const sheenButton& b) { return FromColor(b.DropDownSeparatorColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDownSeparatorColor(ToColor(v)); }, nullptr},
    {"DropDownSeparator", "Boolean", Access::GetLet, "", 11,
     [](const sheenButton& b) { return vb::Variant(b.DropDownSeparator()); },
     [](sheenButton& b, const vb::Variant& v) { b.DropDownSeparator(vb::CBool(v)); }, nullptr},
    {"Font", "StdFont", Access::GetSet, "bestimmt die Schriftart", 12,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.Font())); },
     [](sheenButton& b, const vb::Variant& v) {
         SetFontFromVariant(b, "Font", v, &sheenButton::Font);
     },
     nullptr},
    {"ForeColor", "OLE_COLOR", Access::GetLet, "bestimmt die Schriftfarbe", 13,
     [](const sheenButton& b) { return FromColor(b.ForeColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.ForeColor(ToColor(v)); }, nullptr},
    {"ForeColorOver", "OLE_COLOR", Access::GetLet,
     "bestimmt die Schriftfarbe, wenn sich die Maus über dem Objekt befindet", 14,
     [](const sheenButton& b) { return FromColor(b.ForeColorOver()); },
     [](sheenButton& b, const vb::Variant& v) { b.ForeColorOver(ToColor(v)); }, nullptr},
    {"ForeColorDown", "OLE_COLOR", Access::GetLet,
     "bestimmt die Schriftfarbe bei einem gedrückten Objekt", 15,
     [](const sheenButton& b) { return FromColor(b.ForeColorDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.ForeColorDown(ToColor(v)); }, nullptr},
    {"FontOnMouseOver", "StdFont", Access::GetSet,
     "bestimmt die Schriftart, wenn sich die Maus über dem Objekt befindet", 16,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.FontOnMouseOver())); },
     [](sheenButton& b, const vb::Variant& v) {
         SetFontFromVariant(b, "FontOnMouseOver", v, &sheenButton::FontOnMouseOver);
     },
     nullptr},
    {"MouseIcon", "StdPicture", Access::GetSet, "bestimmt das Symbol der Maus", 17,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.MouseIcon())); },
     [](sheenButton& b, const vb::Variant& v) { b.MouseIcon(ToPicture(v)); }, nullptr},
    {"MousePointer", "MousePointerConstants", Access::GetLet,
     "bestimmt das Verhalten des Maussymbols", 18,
     [](const sheenButton& b) { return vb::Variant(b.MousePointer()); },
     [](sheenButton& b, const vb::Variant& v) { b.MousePointer(vb::CLng(v)); }, nullptr},
    {"PictureAlign", "cAlignment", Access::GetLet, "bestimmt die Ausrichtung des Bildes", 19,
     [](const sheenButton& b) { return vb::Variant(b.PictureAlign()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureAlign(vb::CLng(v)); }, nullptr},
    {"Picture", "StdPicture", Access::GetSet, "", 20,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.Picture())); },
     [](sheenButton& b, const vb::Variant& v) { b.Picture(ToPicture(v)); }, nullptr},
    {"PictureDown", "StdPicture", Access::GetSet, "bestimmt das Bild, wenn das Objekt gedrückt ist",
     21, [](const sheenButton& b) { return vb::Variant(vb::Object(b.PictureDown())); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureDown(ToPicture(v)); }, nullptr},
    {"PictureDis", "StdPicture", Access::GetSet,
     "bestimmt das Bild, wenn das Objekt deaktiviert ist", 22,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.PictureDis())); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureDis(ToPicture(v)); }, nullptr},
    {"PictureOver", "StdPicture", Access::GetSet,
     "bestimmt das Bild, wenn sich die Maus über dem Objekt befindet", 23,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.PictureOver())); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureOver(ToPicture(v)); }, nullptr},
    {"PictureShow", "Boolean", Access::GetLet, "bestimmt, ob ein Bild angezeigt wird", 24,
     [](const sheenButton& b) { return vb::Variant(b.PictureShow()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureShow(vb::CBool(v)); }, nullptr},
    {"PictureTop", "Single", Access::GetLet, "bestimmt die manuelle obere Ausrichtung des Bildes",
     25, [](const sheenButton& b) { return vb::Variant(b.PictureTop()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureTop(vb::CSng(v)); }, nullptr},
    {"PictureLeft", "Single", Access::GetLet, "bestimmt die manuelle linke Ausrichtung des Bildes",
     26, [](const sheenButton& b) { return vb::Variant(b.PictureLeft()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureLeft(vb::CSng(v)); }, nullptr},
    {"PictureWidth", "Single", Access::GetLet, "bestimmt die manuelle Breite des Bildes", 27,
     [](const sheenButton& b) { return vb::Variant(b.PictureWidth()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureWidth(vb::CSng(v)); }, nullptr},
    {"PictureHeight", "Single", Access::GetLet, "bestimmt die manuelle Höhe des Bildes", 28,
     [](const sheenButton& b) { return vb::Variant(b.PictureHeight()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureHeight(vb::CSng(v)); }, nullptr},
    {"URL", "String", Access::GetLet, "bestimmt die URL, die nach einem Klick aufgerufen wird", 29,
     [](const sheenButton& b) { return vb::Variant(b.URL()); },
     [](sheenButton& b, const vb::Variant& v) { b.URL(vb::CStr(v)); }, nullptr},
    {"UrlParam", "String", Access::GetLet, "bestimmt die Parameter der URL", 30,
     [](const sheenButton& b) { return vb::Variant(b.UrlParam()); },
     [](sheenButton& b, const vb::Variant& v) { b.UrlParam(vb::CStr(v)); }, nullptr},
    {"Wave", "String", Access::GetLet,
     "bestimmt eine Wav-Datei, die nach einem Klick abgespielt wird", 31,
     [](const sheenButton& b) { return vb::Variant(b.Wave()); },
     [](sheenButton& b, const vb::Variant& v) { b.Wave(vb::CStr(v)); }, nullptr},
    {"SpecialEvents", "SpEv", Access::GetLet, "gibt eine Klase zurück", 32,
     [](const sheenButton& b) { return vb::Variant(vb::Object(b.SpecialEvents())); },
     [](sheenButton& b, const vb::Variant& v) { b.SpecialEvents(ToSpEv(v)); }, nullptr},
    {"RealPicSize", "Boolean", Access::GetLet,
     "bestimmt, ob das Bild in Originalgröße angezeigt werden soll", 33,
     [](const sheenButton& b) { return vb::Variant(b.RealPicSize()); },
     [](sheenButton& b, const vb::Variant& v) { b.RealPicSize(vb::CBool(v)); }, nullptr},
    {"About", "", Access::Method, "öffnet das Info-Fenster der Sheenline-Komponenten", -552,
     nullptr, nullptr,
     [](sheenButton& b, Args&) {
         b.About();
         return vb::Variant();
     }},
    {"RightToLeft", "Boolean", Access::GetLet,
     "bestimmt die Ausrichtung des angezeigten Textes und steuert die Darstellung auf einem "
     "bidirektionalen System",
     35, [](const sheenButton& b) { return vb::Variant(b.RightToLeft()); },
     [](sheenButton& b, const vb::Variant& v) { b.RightToLeft(vb::CBool(v)); }, nullptr},
    {"OLEDropMode", "Integer", Access::GetLet,
     "gibt zurück oder legt fest, ob auf diesem Objekt ein OLE-Objekt abgelegt werden kann und ob "
     "dies automatisch erfolgt oder aus dem Programm heraus gesteuert wird",
     36, [](const sheenButton& b) { return vb::Variant(b.OLEDropMode()); },
     [](sheenButton& b, const vb::Variant& v) { b.OLEDropMode(vb::CInt(v)); }, nullptr},
    {"PictureInFront", "Boolean", Access::GetLet,
     "bestimmt, ob das Bild vor oder hinter dem Text ist", 37,
     [](const sheenButton& b) { return vb::Variant(b.PictureInFront()); },
     [](sheenButton& b, const vb::Variant& v) { b.PictureInFront(vb::CBool(v)); }, nullptr},
    {"hwnd", "Long", Access::Get, "", 38,
     [](const sheenButton& b) { return vb::Variant(b.hwnd()); }, nullptr, nullptr},
    {"VeloToolTip", "String", Access::GetLet, "", 39,
     [](const sheenButton& b) { return vb::Variant(b.VeloToolTip()); },
     [](sheenButton& b, const vb::Variant& v) { b.VeloToolTip(vb::CStr(v)); }, nullptr},
    {"VeloToolTipDelay", "Integer", Access::GetLet, "", 40,
     [](const sheenButton& b) { return vb::Variant(b.VeloToolTipDelay()); },
     [](sheenButton& b, const vb::Variant& v) { b.VeloToolTipDelay(vb::CInt(v)); }, nullptr},
    {"UseVeloToolTip", "Boolean", Access::GetLet, "", 41,
     [](const sheenButton& b) { return vb::Variant(b.UseVeloToolTip()); },
     [](sheenButton& b, const vb::Variant& v) { b.UseVeloToolTip(vb::CBool(v)); }, nullptr},
    {"AutoXPMouseIcons", "Boolean", Access::GetLet,
     "bestimmt, ob die XP-Mauszeiger automatisch angezeigt werden sollen", 42,
     [](const sheenButton& b) { return vb::Variant(b.AutoXPMouseIcons()); },
     [](sheenButton& b, const vb::Variant& v) { b.AutoXPMouseIcons(vb::CBool(v)); }, nullptr},
    {"BackColor", "OLE_COLOR", Access::GetLet, "bestimmt die Hintergrundfarbe", 43,
     [](const sheenButton& b) { return FromColor(b.BackColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.BackColor(ToColor(v)); }, nullptr},
    {"BackColorOver", "OLE_COLOR", Access::GetLet,
     "bestimmt die Hintergrundfarbe, wenn sich die Maus über dem Objekt befindet", 44,
     [](const sheenButton& b) { return FromColor(b.BackColorOver()); },
     [](sheenButton& b, const vb::Variant& v) { b.BackColorOver(ToColor(v)); }, nullptr},
    {"BackColorDown", "OLE_COLOR", Access::GetLet,
     "bestimmt die Hintergrundfarbe, wenn das Objekt gedrückt ist", 45,
     [](const sheenButton& b) { return FromColor(b.BackColorDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.BackColorDown(ToColor(v)); }, nullptr},
    {"BackColorDis", "OLE_COLOR", Access::GetLet,
     "bestimmt die Hintergrundfarbe, wenn das Objekt deaktiviert ist", 46,
     [](const sheenButton& b) { return FromColor(b.BackColorDis()); },
     [](sheenButton& b, const vb::Variant& v) { b.BackColorDis(ToColor(v)); }, nullptr},
    {"ColorStyle", "cColorStyle", Access::GetLet, "bestimmt das Farbschema des Objekts", 47,
     [](const sheenButton& b) { return vb::Variant(b.ColorStyle()); },
     [](sheenButton& b, const vb::Variant& v) { b.ColorStyle(vb::CLng(v)); }, nullptr},
    {"CornerColor", "OLE_COLOR", Access::GetLet, "bestimmt die Farbe der Ecken eines Objekts", 48,
     [](const sheenButton& b) { return FromColor(b.CornerColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.CornerColor(ToColor(v)); }, nullptr},
    {"ForeColorDis", "OLE_COLOR", Access::GetLet,
     "bestimmt die Schriftfarbe, wenn ein Objekt deaktiviert ist", 49,
     [](const sheenButton& b) { return FromColor(b.ForeColorDis()); },
     [](sheenButton& b, const vb::Variant& v) { b.ForeColorDis(ToColor(v)); }, nullptr},
    {"MoveCaptionAtDown", "Boolean", Access::GetLet,
     "bestimmt, ob der Text bei gedrücktem Zustand auch als gedrückt dargestellt wird", 50,
     [](const sheenButton& b) { return vb::Variant(b.MoveCaptionAtDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.MoveCaptionAtDown(vb::CBool(v)); }, nullptr},
    {"ButtonStyle", "cButtonStyle", Access::GetLet, "bestimmt das Aussehen der Schaltfläche", 51,
     [](const sheenButton& b) { return vb::Variant(b.ButtonStyle()); },
     [](sheenButton& b, const vb::Variant& v) { b.ButtonStyle(vb::CLng(v)); }, nullptr},
    {"FontDown", "StdFont", Access::GetSet, "bestimmt die Schriftart bei einem gedrückten Objekt",
     52, [](const sheenButton& b) { return vb::Variant(vb::Object(b.FontDown())); },
     [](sheenButton& b, const vb::Variant& v) {
         SetFontFromVariant(b, "FontDown", v, &sheenButton::FontDown);
     },
     nullptr},
    {"OfficeBorderOnMouseOut", "Boolean", Access::GetLet, "", 53,
     [](const sheenButton& b) { return vb::Variant(b.OfficeBorderOnMouseOut()); },
     [](sheenButton& b, const vb::Variant& v) { b.OfficeBorderOnMouseOut(vb::CBool(v)); }, nullptr},
    {"OfficeBorder", "OLE_COLOR", Access::GetLet, "", 54,
     [](const sheenButton& b) { return FromColor(b.OfficeBorder()); },
     [](sheenButton& b, const vb::Variant& v) { b.OfficeBorder(ToColor(v)); }, nullptr},
    {"OfficeBorderDown", "OLE_COLOR", Access::GetLet,
     "bestimmt die Rahmenfarbe, wenn das Objekt gedrückt ist  (wenn Office-Style ausgewählt)", 55,
     [](const sheenButton& b) { return FromColor(b.OfficeBorderDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.OfficeBorderDown(ToColor(v)); }, nullptr},
    {"OfficeBackColor", "OLE_COLOR", Access::GetLet,
     "bestimmt die Hintergrundfarbe (wenn Office-Style ausgewählt)", 56,
     [](const sheenButton& b) { return FromColor(b.OfficeBackColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.OfficeBackColor(ToColor(v)); }, nullptr},
    {"OfficeBackColorDown", "OLE_COLOR", Access::GetLet,
     "bestimmt die Hintergrundfarbe, wenn das Objekt gedrückt ist (wenn Office-Style ausgewählt)",
     57, [](const sheenButton& b) { return FromColor(b.OfficeBackColorDown()); },
     [](sheenButton& b, const vb::Variant& v) { b.OfficeBackColorDown(ToColor(v)); }, nullptr},
    {"BorderColor", "OLE_COLOR", Access::GetLet, "bestimmt die Rahmenfarbe", 58,
     [](const sheenButton& b) { return FromColor(b.BorderColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.BorderColor(ToColor(v)); }, nullptr},
    {"FocusRect", "cButtonRect", Access::GetLet,
     "bestimmt ob/in welcher Farbe das Fokus-Rechteck angezeigt wird", 59,
     [](const sheenButton& b) { return vb::Variant(b.FocusRect()); },
     [](sheenButton& b, const vb::Variant& v) { b.FocusRect(vb::CLng(v)); }, nullptr},
    {"HoverRect", "cButtonRect", Access::GetLet,
     "bestimmt ob/in welcher Farbe das Hover-Rechteck angezeigt wird", 60,
     [](const sheenButton& b) { return vb::Variant(b.HoverRect()); },
     [](sheenButton& b, const vb::Variant& v) { b.HoverRect(vb::CLng(v)); }, nullptr},
    {"FocusRectColor", "OLE_COLOR", Access::GetLet, "bestimmt die Fokus-Rechteck-Farbe", 61,
     [](const sheenButton& b) { return FromColor(b.FocusRectColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.FocusRectColor(ToColor(v)); }, nullptr},
    {"HoverRectColor", "OLE_COLOR", Access::GetLet, "bestimmt die Hover-Rechteck-Farbe", 62,
     [](const sheenButton& b) { return FromColor(b.HoverRectColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.HoverRectColor(ToColor(v)); }, nullptr},
    {"Value", "Boolean", Access::GetLet, "bestimmt den aktuellen Wert", 63,
     [](const sheenButton& b) { return vb::Variant(b.Value()); },
     [](sheenButton& b, const vb::Variant& v) { b.Value(vb::CBool(v)); }, nullptr},
    {"MaskColor", "OLE_COLOR", Access::GetLet,
     "bestimmt die Farbe, die als Maske für die Darstellung eines Bildes verwendet wird", 64,
     [](const sheenButton& b) { return FromColor(b.MaskColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.MaskColor(ToColor(v)); }, nullptr},
    {"UseMaskColor", "Boolean", Access::GetLet,
     "bestimmt, ob die transparente Farbe verwendet wird", 65,
     [](const sheenButton& b) { return vb::Variant(b.UseMaskColor()); },
     [](sheenButton& b, const vb::Variant& v) { b.UseMaskColor(vb::CBool(v)); }, nullptr},
    {"AutoColorStyle", "Boolean", Access::GetLet,
     "bestimmt, ob automatisch der aktuelle Windows-Style gesetzt wird", 66,
     [](const sheenButton& b) { return vb::Variant(b.AutoColorStyle()); },
     [](sheenButton& b, const vb::Variant& v) { b.AutoColorStyle(vb::CBool(v)); }, nullptr},
    {"AllPicturesSame", "Boolean", Access::GetLet,
     "bestimmt, ob alle Bildereigenschaften den selben Wert wie die Picture-Eigenschaft enthalten "
     "(speicherschonend)",
     67, [](const sheenButton& b) { return vb::Variant(b.AllPicturesSame()); },
     [](sheenButton& b, const vb::Variant& v) { b.AllPicturesSame(vb::CBool(v)); }, nullptr},
};

constexpr ParamInfo kMouseParams[] = {
    {"Button", "Integer"}, {"Shift", "Integer"}, {"X", "Single"}, {"Y", "Single"}};
constexpr ParamInfo kKeyParams[] = {{"KeyCode", "Integer"}, {"Shift", "Integer"}};
constexpr ParamInfo kKeyPressParams[] = {{"KeyAscii", "Integer"}};
constexpr ParamInfo kCompleteDragParams[] = {{"Effect", "Long"}};
constexpr ParamInfo kDragDropParams[] = {{"Data", "DataObject"}, {"Effect", "Long"},
                                         {"Button", "Integer"},  {"Shift", "Integer"},
                                         {"X", "Single"},        {"Y", "Single"}};
constexpr ParamInfo kDragOverParams[] = {
    {"Data", "DataObject"}, {"Effect", "Long"}, {"Button", "Integer"}, {"Shift", "Integer"},
    {"X", "Single"},        {"Y", "Single"},    {"State", "Integer"}};
constexpr ParamInfo kGiveFeedbackParams[] = {{"Effect", "Long"}, {"DefaultCursors", "Boolean"}};
constexpr ParamInfo kSetDataParams[] = {{"Data", "DataObject"}, {"DataFormat", "Integer"}};
constexpr ParamInfo kStartDragParams[] = {{"Data", "DataObject"}, {"AllowedEffects", "Long"}};

constexpr EventInfo kEvents[] = {
    EventInfo{1, "Click", {}, "wird ausgelöst, wenn auf das Objekt geklickt wird"},
    EventInfo{2, "MouseUp", kMouseParams, ""},
    EventInfo{3, "MouseMove", kMouseParams,
              "wird ausgelöst, wenn sich die Maus über dem Objekt bewegt"},
    EventInfo{4, "MouseDown", kMouseParams, "wird ausgelöst, wenn die Maustaste gedrückt wird"},
    EventInfo{5, "MouseLeave", {}, "wird ausgelöst, wenn die Maus das Objekt verlässt"},
    EventInfo{6, "MouseEnter", {}, "wird ausgelöst, wenn die Maus das Objekt betritt"},
    EventInfo{7, "KeyDown", kKeyParams, "wird ausgelöst, wenn eine Taste gehalten wird"},
    EventInfo{8, "KeyPress", kKeyPressParams, "wird ausgelöst, wenn eine Taste gedrückt wird"},
    EventInfo{9, "KeyUp", kKeyParams, "wird ausgelöst, wenn eine Taste losgelassen wird"},
    EventInfo{10, "OLECompleteDrag", kCompleteDragParams,
              "wird ausgelöst, nachdem eine manuelle oder automatische Drag/Drop-Operation "
              "abgeschlossen oder abgebrochen wurde."},
    EventInfo{11, "OLEDragDrop", kDragDropParams,
              "wird ausgelöst, wenn Daten mit Hilfe einer Drag/Drop-Operation auf dem "
              "Steuerelement abgelegt werden, sofern die OLEDropMode-Eigenschaft auf 'Manuell' "
              "festgelegt ist."},
    EventInfo{12, "OLEDragOver", kDragOverParams,
              "wird ausgelöst, wenn die Maus während einer Drag/Drop-Operation über das "
              "Steuerelement bewegt wird, sofern die zugehörige OLEDropMode-Eigenschaft auf "
              "'Manuell' festgelegt ist."},
    EventInfo{13, "OLEGiveFeedback", kGiveFeedbackParams,
              "wird ausgelöst, wenn der Maus-Cursor geändert werden muß."},
    EventInfo{14, "OLESetData", kSetDataParams,
              "wird ausgelöst, wenn das Ablageziel Daten anfordert, die dem Datenobjekt "
              "während des OLEDragStart-Ereignisses nicht zur Verfügung standen."},
    EventInfo{15, "OLEStartDrag", kStartDragParams,
              "wird ausgelöst, wenn eine OLE-Drag/Drop-Operation entweder manuell oder "
              "automatisch eingeleitet wird."},
    EventInfo{16, "DropDown", {}, ""},
};

constexpr auto kButtonInfo = Describe(kButtonRows);

// SpEv's String parameters reach the native members as Strings. The rows read their
// arguments with at(): a row whose parameters disagree with its call fails as a call
// error instead of reading past the arguments.
constexpr ParamInfo kFileParams[] = {{"Filename", "String"}};
constexpr ParamInfo kTextSaveParams[] = {{"Filename", "String"}, {"Text", "String"}};
constexpr ParamInfo kListSaveParams[] = {{"List", "Variant"},
                                         {"Filename", "String"},
                                         {"TextBeforeListText", "String", true, true, ""},
                                         {"TextAfterListText", "String", true, true, ""}};
constexpr ParamInfo kListReadParams[] = {{"List", "Variant"}, {"Filename", "String"}};
constexpr ParamInfo kFileExistsParams[] = {{"sFile", "String"}};

// A String argument by reference: the caller's own string when its Variant holds one (the
// member reads it where it stands), else the string it converts to.
const std::string& StringArg(vb::Variant& v, std::string& converted) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    converted = vb::CStr(v);
    return converted;
}

constexpr Row<SpEv> kSpEvRows[] = {
    {"TextRead", "String", Access::Method, "", 1, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file;
         return vb::Variant(s.TextRead(StringArg(a.at(0), file)));
     },
     kFileParams},
    {"TextSave", "", Access::Method, "", 2, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file, text;
         s.TextSave(StringArg(a.at(0), file), StringArg(a.at(1), text));
         return vb::Variant();
     },
     kTextSaveParams},
    {"PlayMusic", "", Access::Method, "", 3, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file;
         s.PlayMusic(StringArg(a.at(0), file));
         return vb::Variant();
     },
     kFileParams},
    {"ListSave", "", Access::Method, "", 4, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file, before, after;
         s.ListSave(a.at(0), StringArg(a.at(1), file), StringArg(a.at(2), before),
                    StringArg(a.at(3), after));
         return vb::Variant();
     },
     kListSaveParams},
    {"ListRead", "", Access::Method, "", 5, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file;
         s.ListRead(a.at(0), StringArg(a.at(1), file));
         return vb::Variant();
     },
     kListReadParams},
    {"FileExists", "Boolean", Access::Method, "", 6, nullptr, nullptr,
     [](SpEv& s, Args& a) {
         std::string file;
         return vb::Variant(s.FileExists(StringArg(a.at(0), file)));
     },
     kFileExistsParams},
    {"ActiveXPTheme", "cActiveXPTheme", Access::Method, "", 7, nullptr, nullptr,
     [](SpEv& s, Args&) { return vb::Variant(static_cast<vb::Long>(s.ActiveXPTheme())); }},
    {"MouseButtonPressed", "cMouseButton", Access::Method, "", 8, nullptr, nullptr,
     [](SpEv& s, Args&) { return vb::Variant(static_cast<vb::Long>(s.MouseButtonPressed())); }},
};
constexpr auto kSpEvInfo = Describe(kSpEvRows);

constexpr Row<Error> kErrorRows[] = {
    {"SilentError", "Boolean", Access::GetLet, "", 1,
     [](const Error& e) { return vb::Variant(e.SilentError()); },
     [](Error& e, const vb::Variant& v) { e.SilentError(vb::CBool(v)); }, nullptr},
};
constexpr auto kErrorInfo = Describe(kErrorRows);

// Each member's help string is its own name.
constexpr EnumMember Item(const char* name, long value) { return {name, value, name}; }

constexpr EnumMember kButtonRect[] = {
    Item("cRectXPBlue", cRectXPBlue), Item("cRectXPSilver", cRectXPSilver),
    Item("cRectXPOlive", cRectXPOlive), Item("cRectColor", cRectColor), Item("cOff", cOff)};
constexpr EnumMember kAlignment[] = {
    Item("cLinks_Oben", cLinks_Oben),     Item("cMitte_Oben", cMitte_Oben),
    Item("cRechts_Oben", cRechts_Oben),   Item("cLinks_Mitte", cLinks_Mitte),
    Item("cMitte_Mitte", cMitte_Mitte),   Item("cRechts_Mitte", cRechts_Mitte),
    Item("cLinks_Unten", cLinks_Unten),   Item("cMitte_Unten", cMitte_Unten),
    Item("cRechts_Unten", cRechts_Unten), Item("cBenutzerdefiniert", cBenutzerdefiniert)};
constexpr EnumMember kColorStyle[] = {Item("cXPBlue", cXPBlue), Item("cXPSilver", cXPSilver),
                                      Item("cXPOlive", cXPOlive), Item("cWinClassic", cWinClassic),
                                      Item("cCustom", cCustom)};
constexpr EnumMember kButtonStyle[] = {Item("cButtonWinXP", cButtonWinXP),
                                       Item("cButtonOffice", cButtonOffice),
                                       Item("cButtonIExplorer", cButtonIExplorer)};
constexpr EnumMember kDropDownAlign[] = {Item("cDropDownLeftDown", cDropDownLeftDown),
                                         Item("cDropDownLeftUp", cDropDownLeftUp),
                                         Item("cDropDownRightDown", cDropDownRightDown),
                                         Item("cDropDownRightUp", cDropDownRightUp),
                                         Item("cDropDownTopRight", cDropDownTopRight),
                                         Item("cDropDownTopLeft", cDropDownTopLeft),
                                         Item("cDropDownBottomRight", cDropDownBottomRight),
                                         Item("cDropDownBottomLeft", cDropDownBottomLeft)};
constexpr EnumMember kActiveXPTheme[] = {
    Item("styleBlue", styleBlue), Item("styleSilver", styleSilver), Item("styleOlive", styleOlive),
    Item("styleClassic", styleClassic)};
constexpr EnumMember kMouseButton[] = {Item("mouseNone", mouseNone), Item("mouseLeft", mouseLeft),
                                       Item("mouseRight", mouseRight),
                                       Item("mouseMiddle", mouseMiddle)};

constexpr EnumInfo kEnumerations[] = {
    {"cButtonRect", kButtonRect},       {"cAlignment", kAlignment},
    {"cColorStyle", kColorStyle},       {"cButtonStyle", kButtonStyle},
    {"cDropDownAlign", kDropDownAlign}, {"cActiveXPTheme", kActiveXPTheme},
    {"cMouseButton", kMouseButton},
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

template <class Item>
const Item* Find(std::span<const Item> items, std::string_view name) {
    for (const auto& m : items)
        if (SameName(m.name, name)) return &m;
    return nullptr;
}

template <class Item>
const Item* Find(std::span<const Item> items, long dispid) {
    for (const auto& m : items)
        if (m.dispid == dispid) return &m;
    return nullptr;
}

InvokeResult Failure(long number) {
    return InvokeResult{number, std::string(vb::ErrorText(number)), {}};
}

// Missing optional arguments take their declared defaults. The member works on a copy:
// none of the members with parameters assigns to its arguments, so nothing needs to go
// back to the caller's.
template <class T>
vb::Variant CallWithDefaults(const Row<T>& m, T& object, const Args& args) {
    Args full(args);
    for (std::size_t i = args.size(); i < m.params.size(); ++i)
        full.emplace_back(std::string(m.params[i].default_value));
    return m.call(object, full);
}

template <class T>
InvokeResult InvokeMember(T& object, const Row<T>* m, vb::InvokeKind kind, Args& args) {
    constexpr long kNotFound = 438, kInvalidUse = 450, kTypeMismatch = 13;
    if (!m) return Failure(kNotFound);
    try {
        switch (kind) {
            case vb::InvokeKind::Method:
                if (m->call) {
                    const auto required =
                        std::count_if(m->params.begin(), m->params.end(),
                                      [](const ParamInfo& p) { return !p.optional; });
                    if (args.size() < static_cast<std::size_t>(required) ||
                        args.size() > m->params.size())
                        return Failure(kInvalidUse);
                    return InvokeResult{0, {}, CallWithDefaults(*m, object, args)};
                }
                [[fallthrough]];  // a property called like a method reads it
            case vb::InvokeKind::PropertyGet:
                if (!m->get || !args.empty()) return Failure(kInvalidUse);
                return InvokeResult{0, {}, m->get(object)};
            case vb::InvokeKind::PropertyLet:
            case vb::InvokeKind::PropertySet: {
                if (!m->put || args.size() != 1) return Failure(kInvalidUse);
                // Objects are assigned with Set, values with Let.
                const bool object_arg = std::holds_alternative<vb::Object>(args[0]);
                const bool by_reference =
                    m->access == Access::GetSet || std::string_view(m->type) == "SpEv";
                if (kind == vb::InvokeKind::PropertySet && !by_reference)
                    return Failure(kInvalidUse);
                if (by_reference && !object_arg && kind == vb::InvokeKind::PropertyLet)
                    return Failure(kTypeMismatch);
                m->put(object, args[0]);
                return {};
            }
        }
    } catch (const vb::RuntimeError& e) {
        // An argument that does not convert: the caller's error, as IDispatch reports.
        return InvokeResult{e.Number(), e.Description(), {}};
    } catch (...) {
        return Failure(51);
    }
    return Failure(kNotFound);
}

}  // namespace

std::span<const MemberInfo> sheenButtonMembers() { return kButtonInfo; }
std::span<const EventInfo> sheenButtonEventInfo() { return kEvents; }
std::span<const MemberInfo> SpEvMembers() { return kSpEvInfo; }
std::span<const MemberInfo> ErrorMembers() { return kErrorInfo; }
std::span<const EnumInfo> Enumerations() { return kEnumerations; }

const MemberInfo* FindMember(std::span<const MemberInfo> members, std::string_view name) {
    return Find(members, name);
}
const MemberInfo* FindMember(std::span<const MemberInfo> members, long dispid) {
    return Find(members, dispid);
}
const MemberInfo* FindMember(std::string_view name) { return Find<MemberInfo>(kButtonInfo, name); }
const MemberInfo* FindMember(long dispid) { return Find<MemberInfo>(kButtonInfo, dispid); }

InvokeResult Invoke(sheenButton& button, std::string_view name, vb::InvokeKind kind, Args& args) {
    return InvokeMember(button, Find<Row<sheenButton>>(kButtonRows, name), kind, args);
}
InvokeResult Invoke(sheenButton& button, long dispid, vb::InvokeKind kind, Args& args) {
    return InvokeMember(button, Find<Row<sheenButton>>(kButtonRows, dispid), kind, args);
}
InvokeResult Invoke(SpEv& spev, std::string_view name, vb::InvokeKind kind, Args& args) {
    return InvokeMember(spev, Find<Row<SpEv>>(kSpEvRows, name), kind, args);
}
InvokeResult Invoke(SpEv& spev, long dispid, vb::InvokeKind kind, Args& args) {
    return InvokeMember(spev, Find<Row<SpEv>>(kSpEvRows, dispid), kind, args);
}
InvokeResult Invoke(Error& error, std::string_view name, vb::InvokeKind kind, Args& args) {
    return InvokeMember(error, Find<Row<Error>>(kErrorRows, name), kind, args);
}
InvokeResult Invoke(Error& error, long dispid, vb::InvokeKind kind, Args& args) {
    return InvokeMember(error, Find<Row<Error>>(kErrorRows, dispid), kind, args);
}

}  // namespace sheenwork
