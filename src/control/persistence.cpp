// sheenButton's saved state: the keys of the property bag, read when the host loads an
// instance (or initialises a new one through an empty bag) and written when it saves.
//
// One table lists every key in reading order with its default, how a stored value
// becomes the property's value and which value is saved; reading and writing both walk
// it. Reading assigns through the property accessors, so their guards, side effects and
// notifications apply; the order therefore matters (an alignment before its manual
// position, the picture sizes before RealPicSize, ColorStyle before the highlight
// schemes it rewrites, Enabled before the pictures that go to Image1).
//
// Each key is one step of the trap: a failing bag or a value that does not convert to
// the key's type (13) is reported and ends the procedure there, or, while errors are
// silent, skips that key alone.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <utility>
#include <vector>

namespace sheenwork {
namespace {

constexpr char kModule[] = "sheenButton";

// Where a key's default comes from: the table, or the host at the moment it is needed.
enum class DefaultFrom { Table, ExtenderName, LabelFont, ContainerBackColor };

// Keys whose default comes from the host are read and written with errors ignored and
// never reported: the host may be unable to give the default, and the key is then left
// alone.
enum class Errors { Trapped, Ignored };

// A key written early goes just before the key that precedes it in the table.
enum class Order { Table, WrittenEarly };

struct PersistedKey {
    const char* key;
    PersistedType type;
    DefaultFrom from;
    vb::Variant fixed;  // the default when `from` is Table
    // Converts the stored value to the key's type and assigns it.
    void (*assign)(sheenButton&, const vb::Variant&);
    vb::Variant (*saved)(sheenButton&);
    Errors errors = Errors::Trapped;
    Order order = Order::Table;
};

// Colours travel as Longs: &H8000000F is negative.
OLE_COLOR ToColor(const vb::Variant& v) { return static_cast<OLE_COLOR>(vb::CLng(v)); }
vb::Variant Color(OLE_COLOR c) { return vb::Variant(static_cast<vb::Long>(c)); }

// A stored font or picture: Nothing, or an object of that class; anything else is a
// type mismatch, as assigning it to a typed object variable would be.
template <class T>
std::shared_ptr<T> ToObject(const vb::Variant& v) {
    const vb::Object o = vb::CObj(v);
    if (o.IsNothing()) return nullptr;
    auto p = o.As<T>();
    if (!p) vb::Raise(13);
    return p;
}

#define SHEEN_KEY(Key, Kind, Prop, Type, Convert, Default)                        \
    PersistedKey {                                                                \
        Key, PersistedType::Kind, DefaultFrom::Table, vb::Variant(Type(Default)), \
            [](sheenButton& b, const vb::Variant& v) { b.Prop(Convert(v)); },     \
            [](sheenButton& b) { return vb::Variant(b.Prop()); }                  \
    }
#define SHEEN_STRING(Key, Prop) SHEEN_KEY(Key, String, Prop, std::string, vb::CStr, "")
#define SHEEN_LONG(Key, Prop, Default) SHEEN_KEY(Key, Long, Prop, vb::Long, vb::CLng, Default)
#define SHEEN_SINGLE(Key, Prop, Default) SHEEN_KEY(Key, Single, Prop, vb::Single, vb::CSng, Default)
#define SHEEN_INTEGER(Key, Prop, Default) \
    SHEEN_KEY(Key, Integer, Prop, vb::Integer, vb::CInt, Default)
#define SHEEN_BOOLEAN(Key, Prop, Default) \
    SHEEN_KEY(Key, Boolean, Prop, vb::Boolean, vb::CBool, Default)
#define SHEEN_COLOR(Key, Prop, Default, ...)                                             \
    PersistedKey {                                                                       \
        Key, PersistedType::Color, DefaultFrom::Table, Color(Default),                   \
            [](sheenButton& b, const vb::Variant& v) { b.Prop(ToColor(v)); },            \
            [](sheenButton& b) { return Color(b.Prop()); }, Errors::Trapped, __VA_ARGS__ \
    }
#define SHEEN_FONT(Key, Prop)                                                               \
    PersistedKey {                                                                          \
        Key, PersistedType::Font, DefaultFrom::LabelFont, {},                               \
            [](sheenButton& b, const vb::Variant& v) { b.Prop(ToObject<vb::StdFont>(v)); }, \
            [](sheenButton& b) { return vb::Variant(vb::Object(b.Prop())); }                \
    }
#define SHEEN_PICTURE(Key, Prop)                                                               \
    PersistedKey {                                                                             \
        Key, PersistedType::Picture, DefaultFrom::Table, vb::Variant(vb::Object()),            \
            [](sheenButton& b, const vb::Variant& v) { b.Prop(ToObject<vb::StdPicture>(v)); }, \
            [](sheenButton& b) { return vb::Variant(vb::Object(b.Prop())); }                   \
    }

// In reading order.
const std::vector<PersistedKey>& Keys() {
    static const std::vector<PersistedKey> keys = {
        {"Caption",
         PersistedType::String,
         DefaultFrom::ExtenderName,
         {},
         [](sheenButton& b, const vb::Variant& v) { b.Caption(vb::CStr(v)); },
         [](sheenButton& b) { return vb::Variant(b.Caption()); },
         Errors::Ignored},
        SHEEN_LONG("CaptionAlign", CaptionAlign, 4),
        SHEEN_SINGLE("CaptionLeft", CaptionLeft, 0),
        SHEEN_SINGLE("CaptionTop", CaptionTop, 0),
        // Saved as the surface has it: the host may have disabled the surface itself.
        {"Enabled", PersistedType::Boolean, DefaultFrom::Table, vb::Variant(vb::True),
         [](sheenButton& b, const vb::Variant& v) { b.Enabled(vb::CBool(v)); },
         [](sheenButton& b) { return vb::Variant(b.Site().SurfaceEnabled()); }},
        SHEEN_FONT("Font", Font),
        SHEEN_FONT("FontOnMouseOver", FontOnMouseOver),
        SHEEN_COLOR("ForeColor", ForeColor, 0),
        SHEEN_COLOR("ForeColorDown", ForeColorDown, 0),
        SHEEN_COLOR("ForeColorOver", ForeColorOver, 0),
        {"MouseIcon", PersistedType::Picture, DefaultFrom::Table, vb::Variant(vb::Object()),
         [](sheenButton& b, const vb::Variant& v) { b.MouseIcon(ToObject<vb::StdPicture>(v)); },
         [](sheenButton& b) { return vb::Variant(vb::Object(b.Site().SurfaceMouseIcon())); }},
        // Read as the Long the property keeps, saved as the 16-bit value the surface took.
        {"MousePointer", PersistedType::Long, DefaultFrom::Table, vb::Variant(vb::Long{0}),
         [](sheenButton& b, const vb::Variant& v) { b.MousePointer(vb::CLng(v)); },
         [](sheenButton& b) { return vb::Variant(b.Site().SurfaceMousePointer()); }},
        {"OLEDropMode", PersistedType::Integer, DefaultFrom::Table, vb::Variant(vb::Integer{0}),
         [](sheenButton& b, const vb::Variant& v) { b.OLEDropMode(vb::CInt(v)); },
         [](sheenButton& b) { return vb::Variant(b.Site().SurfaceOLEDropMode()); }},
        SHEEN_PICTURE("Picture", Picture),
        SHEEN_LONG("PictureAlign", PictureAlign, 1),
        SHEEN_PICTURE("PictureDis", PictureDis),
        SHEEN_PICTURE("PictureDown", PictureDown),
        SHEEN_SINGLE("PictureHeight", PictureHeight, 64),
        SHEEN_SINGLE("PictureWidth", PictureWidth, 64),
        SHEEN_SINGLE("PictureTop", PictureTop, 0),
        SHEEN_SINGLE("PictureLeft", PictureLeft, 0),
        SHEEN_BOOLEAN("PictureInFront", PictureInFront, false),
        SHEEN_PICTURE("PictureOver", PictureOver),
        SHEEN_BOOLEAN("PictureShow", PictureShow, true),
        SHEEN_BOOLEAN("RealPicSize", RealPicSize, true),
        SHEEN_BOOLEAN("RightToLeft", RightToLeft, false),
        SHEEN_STRING("URL", URL),
        SHEEN_STRING("URLParam", UrlParam),
        SHEEN_STRING("Wave", Wave),
        SHEEN_BOOLEAN("AutoXPMouseIcons", AutoXPMouseIcons, false),
        // The container's default button: the field alone, no assignment, no notification.
        {"Default", PersistedType::Boolean, DefaultFrom::Table, vb::Variant(vb::False),
         [](sheenButton& b, const vb::Variant& v) { b.Record().bDefault = vb::CBool(v); },
         [](sheenButton& b) { return vb::Variant(b.Record().bDefault); }},
        SHEEN_COLOR("BackColor", BackColor, 0x8000000F),
        SHEEN_COLOR("BackColorDown", BackColorDown, 0x8000000F),
        SHEEN_COLOR("BackColorOver", BackColorOver, 0x8000000F, Order::WrittenEarly),
        SHEEN_COLOR("BackColorDis", BackColorDis, 0x8000000F),
        {"CornerColor",
         PersistedType::Color,
         DefaultFrom::ContainerBackColor,
         {},
         [](sheenButton& b, const vb::Variant& v) { b.CornerColor(ToColor(v)); },
         [](sheenButton& b) { return Color(b.CornerColor()); },
         Errors::Ignored},
        {"ColorStyle", PersistedType::Long, DefaultFrom::Table, vb::Variant(vb::Long{0}),
         [](sheenButton& b, const vb::Variant& v) { b.ColorStyle(vb::CLng(v)); },
         [](sheenButton& b) { return vb::Variant(b.ColorStyle()); }, Errors::Trapped,
         Order::WrittenEarly},
        SHEEN_COLOR("ForeColorDis", ForeColorDis, 0x80000011),
        SHEEN_BOOLEAN("MoveCaptionAtDown", MoveCaptionAtDown, false),
        SHEEN_LONG("ButtonStyle", ButtonStyle, 0),
        SHEEN_FONT("FontDown", FontDown),
        SHEEN_COLOR("OfficeBackColor", OfficeBackColor, 0x00EED2C1),
        SHEEN_COLOR("OfficeBackColorDown", OfficeBackColorDown, 0x00E2B598),
        SHEEN_COLOR("OfficeBorder", OfficeBorder, 0x00C56A31),
        SHEEN_COLOR("OfficeBorderDown", OfficeBorderDown, 0x00C56A31),
        SHEEN_STRING("VeloToolTip", VeloToolTip),
        SHEEN_COLOR("BorderColor", BorderColor, 0x00743C00),
        SHEEN_LONG("FocusRect", FocusRect, 0),
        SHEEN_LONG("HoverRect", HoverRect, 0),
        SHEEN_COLOR("FocusRectColor", FocusRectColor, 0x00ECBEA0),
        SHEEN_COLOR("HoverRectColor", HoverRectColor, 0x0079D2FC),
        SHEEN_COLOR("MaskColor", MaskColor, 0x00FF00FF),
        SHEEN_BOOLEAN("UseMaskColor", UseMaskColor, true),
        SHEEN_BOOLEAN("AutoColorStyle", AutoColorStyle, false),
        SHEEN_BOOLEAN("AllPicturesSame", AllPicturesSame, false),
        SHEEN_BOOLEAN("UseVeloToolTip", UseVeloToolTip, true),
        SHEEN_BOOLEAN("OfficeBorderOnMouseOut", OfficeBorderOnMouseOut, false),
        SHEEN_BOOLEAN("DropDown", DropDown, false),
        SHEEN_COLOR("DropDownColor", DropDownColor, 0),
        SHEEN_INTEGER("DropDownSize", DropDownSize, 16),
        SHEEN_LONG("DropDownAlign", DropDownAlign, 2),
        SHEEN_BOOLEAN("DropDownSeparator", DropDownSeparator, true),
        SHEEN_COLOR("DropDownSeparatorColor", DropDownSeparatorColor, 0x00BCBCBC),
        SHEEN_INTEGER("VeloToolTipDelay", VeloToolTipDelay, 5000),
    };
    return keys;
}

#undef SHEEN_KEY
#undef SHEEN_STRING
#undef SHEEN_LONG
#undef SHEEN_SINGLE
#undef SHEEN_INTEGER
#undef SHEEN_BOOLEAN
#undef SHEEN_COLOR
#undef SHEEN_FONT
#undef SHEEN_PICTURE

// The table's order, except that a key written early changes places with its predecessor.
const std::vector<const PersistedKey*>& WriteOrder() {
    static const std::vector<const PersistedKey*> order = [] {
        std::vector<const PersistedKey*> out;
        for (const PersistedKey& k : Keys()) {
            out.push_back(&k);
            if (k.order == Order::WrittenEarly) std::swap(out[out.size() - 1], out[out.size() - 2]);
        }
        return out;
    }();
    return order;
}

vb::Variant DefaultOf(sheenButton& b, const PersistedKey& k) {
    switch (k.from) {
        case DefaultFrom::Table: return k.fixed;
        case DefaultFrom::ExtenderName: return b.Site().ExtenderName();
        case DefaultFrom::LabelFont: return vb::Object(b.Site().lblFontFont());
        case DefaultFrom::ContainerBackColor: return Color(b.Site().ParentBackColor());
    }
    return {};
}

// A key's step: trapped, or with errors ignored. An ignored step after a reported
// failure does not run either, as the procedure has ended there.
template <class Step>
void KeyStep(Procedure& p, const PersistedKey& k, Step&& step) {
    if (k.errors == Errors::Trapped)
        p(std::forward<Step>(step));
    else if (!p.Ended())
        IgnoreErrors(std::forward<Step>(step));
}

}  // namespace

std::span<const PersistedProperty> sheenButtonPersisted() {
    static const std::vector<PersistedProperty> keys = [] {
        std::vector<PersistedProperty> out;
        for (const PersistedKey& k : Keys()) out.push_back({k.key, k.type});
        return out;
    }();
    return keys;
}

void sheenButton::UserControl_ReadProperties(host::PropertyBag& PropBag) {
    Procedure p{"UserControl_ReadProperties", ModuleKind::UserControl, kModule};
    // The default fonts are the container's; a container without a font leaves lblFont
    // with its own.
    IgnoreErrors([&] {
        host::FontRef font = site_.ParentFont();
        if (!font) vb::Raise(91);
        site_.lblFontFont(std::move(font));
    });
    // Nothing paints and no tooltip registers until every key is in.
    p([&] { rec_.bLoading = vb::True; });
    for (const PersistedKey& k : Keys())
        KeyStep(p, k, [&] { k.assign(*this, PropBag.ReadProperty(k.key, DefaultOf(*this, k))); });
    p([&] { rec_.bLoading = vb::False; });
    // The container's default button shows the default look from the start.
    p([&] {
        if (rec_.bDefault) rec_.bHasFocus = vb::True;
    });
    p([&] { Redraw(0); });
    p([&] { CheckAutoColorStyle(); });
    p([&] { site_.tmrMouseInEnabled(vb::True); });
    p([&] { CheckForVeloToolTip(); });
}

void sheenButton::UserControl_WriteProperties(host::PropertyBag& PropBag) {
    Procedure p{"UserControl_WriteProperties", ModuleKind::UserControl, kModule};
    for (const PersistedKey* k : WriteOrder())
        KeyStep(p, *k, [&] {
            const vb::Variant value = k->saved(*this);
            PropBag.WriteProperty(k->key, value, DefaultOf(*this, *k));
        });
}

}  // namespace sheenwork
