#include "ui_file.h"

#include <sheenwork/control/typelib.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/color.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>

namespace sheenwork::cli {
namespace {

using runtime::ControlDescription;
using runtime::FormFile;
using runtime::FormFileError;
using runtime::FormFileProblem;
using runtime::FormFileProperty;

constexpr char kButtonClass[] = "sheenwork::qt::Button";
constexpr char kButtonProgId[] = "Sheenwork.sheenButton";
// Nesting and size of what is read: a form is a few levels deep and a few thousand
// elements long.
constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxElements = 1'000'000;

// The widget's enumerations (sheenwork::qt::Button's Q_ENUMs), by the keys typed with them.
struct EnumName {
    long value;
    const char* name;
};
constexpr EnumName kAlignment[] = {{0, "TopLeft"},     {1, "TopCenter"},    {2, "TopRight"},
                                   {3, "MiddleLeft"},  {4, "MiddleCenter"}, {5, "MiddleRight"},
                                   {6, "BottomLeft"},  {7, "BottomCenter"}, {8, "BottomRight"},
                                   {99, "UserDefined"}};
constexpr EnumName kDropDownAlignment[] = {{0, "DropDownLeftDown"},    {1, "DropDownLeftUp"},
                                           {2, "DropDownRightDown"},   {3, "DropDownRightUp"},
                                           {4, "DropDownTopRight"},    {5, "DropDownTopLeft"},
                                           {6, "DropDownBottomRight"}, {7, "DropDownBottomLeft"}};
constexpr EnumName kColorStyles[] = {
    {0, "XPBlue"}, {1, "XPSilver"}, {2, "XPOlive"}, {5, "WinClassic"}, {99, "CustomColors"}};
constexpr EnumName kButtonStyles[] = {{0, "WinXP"}, {1, "Office"}, {2, "IExplorer"}};
constexpr EnumName kButtonRect[] = {
    {0, "RectXPBlue"}, {1, "RectXPSilver"}, {2, "RectXPOlive"}, {3, "RectColor"}, {4, "RectOff"}};
constexpr EnumName kPointer[] = {
    {0, "DefaultPointer"}, {1, "Arrow"},           {2, "Cross"},          {3, "IBeam"},
    {4, "IconPointer"},    {5, "SizePointer"},     {6, "SizeNESW"},       {7, "SizeNS"},
    {8, "SizeNWSE"},       {9, "SizeWE"},          {10, "UpArrow"},       {11, "Hourglass"},
    {12, "NoDrop"},        {13, "ArrowHourglass"}, {14, "ArrowQuestion"}, {15, "SizeAll"},
    {99, "CustomPointer"}};

std::span<const EnumName> EnumOf(std::string_view key) {
    if (key == "CaptionAlign" || key == "PictureAlign") return kAlignment;
    if (key == "DropDownAlign") return kDropDownAlignment;
    if (key == "ColorStyle") return kColorStyles;
    if (key == "ButtonStyle") return kButtonStyles;
    if (key == "FocusRect" || key == "HoverRect") return kButtonRect;
    if (key == "MousePointer") return kPointer;
    return {};
}

// The widget's property for a bag key, and the bag key a .ui property stands for (the
// widget's, or QWidget's own enabled and font, which the widget follows).
std::string PropertyOf(const std::string& key) { return key == "URLParam" ? "UrlParam" : key; }
std::string KeyOf(const std::string& property) {
    if (property == "UrlParam") return "URLParam";
    if (property == "enabled") return "Enabled";
    if (property == "font") return "Font";
    return property;
}

const PersistedProperty* Persisted(const std::string& key) {
    for (const PersistedProperty& p : sheenButtonPersisted())
        if (key == p.key) return &p;
    return nullptr;
}

const char* const kFontKeys[] = {"Font", "FontOnMouseOver", "FontDown"};

// ---- writing ----

// Text as XML element content or an attribute value: the markup characters and line
// breaks as references (a parser would fold \r), everything else as it is. A control
// character or bytes that are not UTF-8 cannot be carried, and are refused.
std::string Escaped(std::string_view s, const std::string& what) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                ++i;
                continue;
            case '<':
                out += "&lt;";
                ++i;
                continue;
            case '>':
                out += "&gt;";
                ++i;
                continue;
            case '"':
                out += "&quot;";
                ++i;
                continue;
            case '\t':
                out += "&#9;";
                ++i;
                continue;
            case '\n':
                out += "&#10;";
                ++i;
                continue;
            case '\r':
                out += "&#13;";
                ++i;
                continue;
            default: break;
        }
        if (c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", c);
            throw FormFileError({{"", 0, 0,
                                  what + " holds the control character " + hex +
                                      ", which a .ui file cannot carry"}});
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const vb::Utf8Character u = vb::DecodeUtf8(s, i);
        if (u.length == 0)
            throw FormFileError({{"", 0, 0,
                                  what + " holds bytes that are not UTF-8, which a .ui "
                                         "file cannot carry"}});
        out.append(s.substr(i, u.length));
        i += u.length;
    }
    return out;
}

// The shortest text of a Single that reads back to the same value.
std::string SingleText(vb::Single v) {
    char buf[32];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    return buf;
}

class UiWriter {
public:
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n";

    void Line(int depth, const std::string& s) {
        text.append(static_cast<std::size_t>(depth), ' ');
        text += s + "\n";
    }
    void Property(int depth, const std::string& name, const std::string& value,
                  bool dynamic = false) {
        Line(depth, "<property name=\"" + name + "\"" + (dynamic ? " stdset=\"0\"" : "") + ">");
        Line(depth + 1, value);
        Line(depth, "</property>");
    }
};

std::string ColorXml(std::uint32_t ole) {
    return "<color alpha=\"" + std::to_string(255 - static_cast<int>(ole >> 24)) + "\"><red>" +
           std::to_string(ole & 0xFF) + "</red><green>" + std::to_string((ole >> 8) & 0xFF) +
           "</green><blue>" + std::to_string((ole >> 16) & 0xFF) + "</blue></color>";
}

std::string RectXml(runtime::Position at, runtime::Size size) {
    return "<rect><x>" + std::to_string(at.left) + "</x><y>" + std::to_string(at.top) +
           "</y><width>" + std::to_string(size.width) + "</width><height>" +
           std::to_string(size.height) + "</height></rect>";
}

std::string Bool(bool b) { return b ? "true" : "false"; }

// A string property, set where it stands (uic sets translatable strings after every
// other property, which would change the order the control sees them in).
std::string StringXml(std::string_view s, const std::string& what) {
    return "<string notr=\"true\">" + Escaped(s, what) + "</string>";
}

// A font as Designer shows it: whole points, bold or not.
std::string FontXml(const vb::StdFont& f, const std::string& what) {
    return "<font><family>" + Escaped(f.Name(), what) + "</family><pointsize>" +
           std::to_string(std::lround(f.Size())) + "</pointsize><bold>" +
           Bool(static_cast<bool>(f.Bold())) + "</bold><italic>" +
           Bool(static_cast<bool>(f.Italic())) + "</italic><underline>" +
           Bool(static_cast<bool>(f.Underline())) + "</underline><strikeout>" +
           Bool(static_cast<bool>(f.Strikethrough())) + "</strikeout></font>";
}

std::string SizeText(double points) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", points);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

// The form's font in full, as the form keeps it.
std::string FontText(const vb::StdFont& f) {
    return f.Name() + "," + SizeText(f.Size()) + "," + std::to_string(f.Weight()) + "," +
           (f.Italic() ? "True" : "False") + "," + (f.Underline() ? "True" : "False") + "," +
           (f.Strikethrough() ? "True" : "False") + "," + std::to_string(f.Charset());
}

std::string RelativePath(const std::string& file, const std::filesystem::path& folder) {
    if (file.empty()) return {};
    std::error_code ec;
    const std::filesystem::path relative =
        std::filesystem::path(file).lexically_relative(std::filesystem::absolute(folder, ec));
    return relative.empty() ? file : relative.generic_string();
}

// What a .ui file sets on each button, in the order a Qt program sets it: the keys the
// form file holds (but the saved default flag, which the window's default button
// gives), the caption (a Qt button is made without its name), and the fonts where the
// form's own font is not the one a Qt button takes.
//
// A Qt button is made new and then only told these, while the form's loading tells the
// control every key, the missing ones with their defaults; where a setter's side effect
// (the highlight schemes a colour scheme chooses) leaves a property otherwise than the
// loading does, the .ui must set that property as well. Extras finds them by doing both
// with the control itself.
class Settings {
public:
    explicit Settings(const FormFile& form)
        : loaded_(clock_, *gdi_, runtime::LinkedControls()),
          made_(clock_, *gdi_, runtime::LinkedControls()) {
        loaded_form_ = &runtime::LoadForm(loaded_, form);
    }

    std::vector<FormFileProperty> Of(const ControlDescription& c, const host::FontRef& font) const {
        std::vector<FormFileProperty> out;
        bool caption = false;
        std::set<std::string> fonts;
        for (const FormFileProperty& p : c.properties) {
            if (!Persisted(p.key) || p.key == "Default") continue;
            caption = caption || p.key == "Caption";
            if (Persisted(p.key)->type == PersistedType::Font) fonts.insert(p.key);
            out.push_back(p);
        }
        if (!caption) out.push_back({"Caption", vb::Variant(c.name)});
        for (const char* key : kFontKeys)
            if (font && !fonts.count(key))
                out.push_back({key, vb::Variant(vb::Object(font->Clone()))});
        return out;
    }

    std::vector<FormFileProperty> Extras(const ControlDescription& c,
                                         const std::vector<FormFileProperty>& set) {
        runtime::Window* loaded = loaded_form_->Find(c.name);
        const gdi::Rect r = loaded_form_->ScreenRect();
        runtime::Form& form = made_.CreateForm("Form" + std::to_string(++forms_),
                                               runtime::PositionOf(r), runtime::SizeOf(r));
        form.BackColor(loaded_form_->BackColor());
        form.Font(loaded_form_->Font());
        runtime::Window& made = form.Add(kButtonProgId, c.name, c.position, c.size);
        if (loaded_form_->DefaultButton() == loaded) form.DefaultButton(&made);
        if (loaded_form_->CancelButton() == loaded) form.CancelButton(&made);
        const auto a = loaded->Instance(), b = made.Instance();
        for (const FormFileProperty& p : set) {
            std::vector<vb::Variant> args{p.value};
            const bool object = std::holds_alternative<vb::Object>(p.value);
            b->Invoke(p.key, object ? vb::InvokeKind::PropertySet : vb::InvokeKind::PropertyLet,
                      args);
        }
        std::vector<FormFileProperty> out;
        for (const PersistedProperty& key : sheenButtonPersisted()) {
            if (std::string_view(key.key) == "Default") continue;
            std::vector<vb::Variant> none;
            const vb::Variant want = a->Invoke(key.key, vb::InvokeKind::PropertyGet, none).value;
            const vb::Variant got = b->Invoke(key.key, vb::InvokeKind::PropertyGet, none).value;
            if (!Same(want, got)) out.push_back({key.key, want});
        }
        made_.DestroyForm(form);
        return out;
    }

private:
    static bool Same(const vb::Variant& a, const vb::Variant& b) {
        const auto* fa = std::get_if<vb::Object>(&a);
        const auto* fb = std::get_if<vb::Object>(&b);
        if (fa && fb && fa->As<vb::StdFont>() && fb->As<vb::StdFont>())
            return *fa->As<vb::StdFont>() == *fb->As<vb::StdFont>();
        return a == b;
    }

    runtime::VirtualClock clock_;
    std::unique_ptr<gdi::Gdi> gdi_ = gdi::MakeRasterGdi();
    runtime::Runtime loaded_, made_;
    runtime::Form* loaded_form_ = nullptr;
    int forms_ = 0;
};

}  // namespace

std::string FormatUiFile(const FormFile& form, const std::filesystem::path& path) {
    const std::string file = path.string();
    try {
        UiWriter w;
        const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
        const std::string form_name = Escaped(form.name, "the form's name");
        w.Line(1, "<class>" + form_name + "</class>");
        w.Line(1, "<widget class=\"QWidget\" name=\"" + form_name + "\">");
        w.Property(2, "geometry", RectXml(form.position, form.size));
        w.Property(2, "windowTitle",
                   "<string>" + Escaped(form.caption, "the form's caption") + "</string>");
        // The back colour as the window shows it, and exactly.
        const std::uint32_t shown = vb::TranslateColor(form.back_color);
        const std::string role = "<colorrole role=\"Window\"><brush brushstyle=\"SolidPattern\">" +
                                 ColorXml(shown) + "</brush></colorrole>";
        w.Property(2, "palette",
                   "<palette><active>" + role + "</active><inactive>" + role +
                       "</inactive><disabled>" + role + "</disabled></palette>");
        w.Property(2, "autoFillBackground", "<bool>true</bool>");
        w.Property(2, "BackColor", ColorXml(form.back_color), true);
        // The form's font; its buttons take it as theirs where it is not the dialog font
        // a Qt button takes anyway.
        const bool own_font = form.font && !(*form.font == *runtime::Runtime::FormFont());
        if (form.font)
            w.Property(2, "FormFont",
                       "<string>" + Escaped(FontText(*form.font), "the form's font") + "</string>",
                       true);

        Settings settings(form);
        for (const ControlDescription& c : form.controls) {
            if (c.class_name != kButtonProgId)
                throw FormFileError(
                    {{"", 0, 0, c.name + " is a " + c.class_name + ", which has no Qt widget"}});
            w.Line(2, "<widget class=\"" + std::string(kButtonClass) + "\" name=\"" +
                          Escaped(c.name, "a control's name") + "\">");
            w.Property(3, "geometry", RectXml(c.position, c.size));
            std::vector<FormFileProperty> set = settings.Of(c, own_font ? form.font : nullptr);
            for (const FormFileProperty& p : settings.Extras(c, set)) set.push_back(p);
            std::string exact;
            for (const FormFileProperty& p : set) {
                const PersistedProperty* key = Persisted(p.key);
                const std::string what = c.name + "." + p.key;
                const std::string property = PropertyOf(p.key);
                switch (key->type) {
                    case PersistedType::String:
                        w.Property(3, property, StringXml(vb::CStr(p.value), what));
                        break;
                    case PersistedType::Color:
                        w.Property(3, property,
                                   ColorXml(static_cast<std::uint32_t>(vb::CLng(p.value))));
                        break;
                    case PersistedType::Long: {
                        const long v = vb::CLng(p.value);
                        std::string value = "<number>" + std::to_string(v) + "</number>";
                        for (const EnumName& e : EnumOf(p.key))
                            if (e.value == v)
                                value = "<enum>" + std::string(kButtonClass) + "::" + e.name +
                                        "</enum>";
                        w.Property(3, property, value);
                        break;
                    }
                    case PersistedType::Integer:
                        w.Property(3, property,
                                   "<number>" + std::to_string(vb::CInt(p.value)) + "</number>");
                        break;
                    case PersistedType::Single:
                        w.Property(3, property,
                                   "<double>" + SingleText(vb::CSng(p.value)) + "</double>");
                        break;
                    case PersistedType::Boolean:
                        w.Property(
                            3, property,
                            "<bool>" + Bool(static_cast<bool>(vb::CBool(p.value))) + "</bool>");
                        break;
                    case PersistedType::Font: {
                        const auto f = vb::CObj(p.value).As<vb::StdFont>();
                        if (!f) break;
                        w.Property(3, property, FontXml(*f, what));
                        exact += std::string(exact.empty() ? "" : ";") + p.key + "=" +
                                 SizeText(f->Size()) + "," + std::to_string(f->Weight()) + "," +
                                 std::to_string(f->Charset());
                        break;
                    }
                    case PersistedType::Picture: {
                        const auto picture = vb::CObj(p.value).As<vb::StdPicture>();
                        const std::string source = picture ? picture->SourceFile() : std::string();
                        w.Property(3, property, StringXml(RelativePath(source, folder), what));
                        break;
                    }
                }
            }
            // What of the fonts the .ui format rounds.
            if (!exact.empty()) w.Property(3, "ExactFonts", StringXml(exact, "ExactFonts"));
            if (form.default_button == c.name) w.Property(3, "Default", "<bool>true</bool>");
            if (form.cancel_button == c.name) w.Property(3, "Cancel", "<bool>true</bool>");
            w.Line(2, "</widget>");
        }
        w.Line(1, "</widget>");
        w.Line(1, "<customwidgets>");
        w.Line(2, "<customwidget>");
        w.Line(3, "<class>" + std::string(kButtonClass) + "</class>");
        w.Line(3, "<extends>QWidget</extends>");
        w.Line(3, "<header>sheenwork/qt/button.h</header>");
        w.Line(2, "</customwidget>");
        w.Line(1, "</customwidgets>");
        std::vector<const ControlDescription*> order;
        for (const ControlDescription& c : form.controls) order.push_back(&c);
        std::stable_sort(order.begin(), order.end(),
                         [](auto* a, auto* b) { return a->tab_index < b->tab_index; });
        if (!order.empty()) {
            w.Line(1, "<tabstops>");
            for (const ControlDescription* c : order)
                w.Line(2, "<tabstop>" + c->name + "</tabstop>");
            w.Line(1, "</tabstops>");
        }
        w.Line(1, "<resources/>");
        w.Line(1, "<connections/>");
        w.text += "</ui>\n";
        return w.text;
    } catch (const FormFileError& e) {
        std::vector<FormFileProblem> problems = e.Problems();
        for (auto& p : problems) p.file = file;
        throw FormFileError(problems);
    } catch (const vb::RuntimeError& e) {
        throw FormFileError({{file, 0, 0, e.Description()}});
    }
}

// ---- reading ----

namespace {

struct Node {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<std::unique_ptr<Node>> children;
    int line = 0, column = 0;

    const std::string* Attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes)
            if (k == key) return &v;
        return nullptr;
    }
    const Node* Child(std::string_view child) const {
        for (const auto& c : children)
            if (c->name == child) return c.get();
        return nullptr;
    }
};

// The document as a tree, read by expat with a few limits: no document type (and so no
// entities of its own), bounded nesting and element count.
class TreeBuilder {
public:
    explicit TreeBuilder(const std::string& file) : file_(file) {}

    std::unique_ptr<Node> Parse(std::string_view text) {
        XML_Parser parser = XML_ParserCreate("UTF-8");
        if (!parser) throw FormFileError({{file_, 0, 0, "out of memory"}});
        parser_ = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &TreeBuilder::Start, &TreeBuilder::End);
        XML_SetCharacterDataHandler(parser, &TreeBuilder::Text);
        XML_SetStartDoctypeDeclHandler(parser, &TreeBuilder::Doctype);
        const auto status = XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
        const int line = static_cast<int>(XML_GetCurrentLineNumber(parser));
        const int column = static_cast<int>(XML_GetCurrentColumnNumber(parser)) + 1;
        const XML_LChar* why = XML_ErrorString(XML_GetErrorCode(parser));
        const std::string expat = why ? why : "";
        XML_ParserFree(parser);
        if (!error_.empty()) throw FormFileError({{file_, line_, column_, error_}});
        if (status != XML_STATUS_OK)
            throw FormFileError({{file_, line, column, "not well-formed XML: " + expat}});
        if (!root_) throw FormFileError({{file_, 0, 0, "no document"}});
        return std::move(root_);
    }

private:
    void Stop(const std::string& message) {
        if (error_.empty()) {
            error_ = message;
            line_ = static_cast<int>(XML_GetCurrentLineNumber(parser_));
            column_ = static_cast<int>(XML_GetCurrentColumnNumber(parser_)) + 1;
        }
        XML_StopParser(parser_, XML_FALSE);
    }
    static void Start(void* self, const XML_Char* name, const XML_Char** attributes) {
        auto& b = *static_cast<TreeBuilder*>(self);
        if (!b.error_.empty()) return;
        if (b.stack_.size() >= static_cast<std::size_t>(kMaxDepth))
            return b.Stop("elements nested deeper than " + std::to_string(kMaxDepth));
        if (++b.count_ > kMaxElements)
            return b.Stop("more than " + std::to_string(kMaxElements) + " elements");
        auto node = std::make_unique<Node>();
        node->name = name;
        node->line = static_cast<int>(XML_GetCurrentLineNumber(b.parser_));
        node->column = static_cast<int>(XML_GetCurrentColumnNumber(b.parser_)) + 1;
        for (const XML_Char** a = attributes; a && a[0]; a += 2)
            node->attributes.emplace_back(a[0], a[1]);
        Node* raw = node.get();
        if (b.stack_.empty())
            b.root_ = std::move(node);
        else
            b.stack_.back()->children.push_back(std::move(node));
        b.stack_.push_back(raw);
    }
    static void End(void* self, const XML_Char*) {
        auto& b = *static_cast<TreeBuilder*>(self);
        if (!b.stack_.empty()) b.stack_.pop_back();
    }
    static void Text(void* self, const XML_Char* s, int length) {
        auto& b = *static_cast<TreeBuilder*>(self);
        if (!b.stack_.empty()) b.stack_.back()->text.append(s, static_cast<std::size_t>(length));
    }
    static void Doctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<TreeBuilder*>(self)->Stop("a document type declaration is not allowed");
    }

    std::string file_;
    XML_Parser parser_ = nullptr;
    std::unique_ptr<Node> root_;
    std::vector<Node*> stack_;
    std::size_t count_ = 0;
    std::string error_;
    int line_ = 0, column_ = 0;  // where the error was found
};

class UiReader {
public:
    UiReader(const std::filesystem::path& path, std::vector<std::string>& notes)
        : path_(path), file_(path.string()), notes_(notes) {}

    FormFile Read(const Node& root) {
        if (root.name != "ui") Fail(root, "expected <ui>, not <" + root.name + ">");
        const Node* top = root.Child("widget");
        if (!top) Fail(root, "the file holds no widget");
        FormFile form;
        form.name = Name(*top);
        form.caption = form.name;
        std::optional<std::uint32_t> palette_color, exact_color;
        for (const auto& child : top->children) {
            const Node& c = *child;
            if (c.name != "property") continue;
            const std::string property = AttributeOf(c, "name");
            const Node& value = Value(c);
            if (property == "geometry") {
                const gdi::Rect r = Rect(value);
                form.position = runtime::PositionOf(r);
                form.size = runtime::SizeOf(r);
            } else if (property == "windowTitle") {
                form.caption = Text(value, "string");
            } else if (property == "palette") {
                palette_color = PaletteWindow(value);
            } else if (property == "BackColor") {
                exact_color = Color(value);
            } else if (property == "FormFont") {
                form.font = FormFont(value);
            }
        }
        // The exact colour stands where the window still shows it.
        if (exact_color && vb::IsValidColor(*exact_color) &&
            (!palette_color || vb::TranslateColor(*exact_color) == *palette_color))
            form.back_color = *exact_color;
        else if (palette_color)
            form.back_color = *palette_color;

        Controls(*top, {0, 0}, form);
        // Tab order: the tab stops first, in their order, then the rest as they come.
        std::vector<std::string> stops;
        if (const Node* tabstops = root.Child("tabstops"))
            for (const auto& t : tabstops->children)
                if (t->name == "tabstop") stops.push_back(Trimmed(t->text));
        int next = 0;
        for (const std::string& stop : stops)
            for (ControlDescription& c : form.controls)
                if (c.name == stop && c.tab_index < 0) c.tab_index = next++;
        for (ControlDescription& c : form.controls)
            if (c.tab_index < 0) c.tab_index = next++;
        return form;
    }

private:
    [[noreturn]] void Fail(const Node& at, const std::string& message) const {
        throw FormFileError({{file_, at.line, at.column, message}});
    }
    void Note(const Node& at, const std::string& message) {
        notes_.push_back(file_ + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) +
                         ": " + message);
    }

    static std::string Trimmed(const std::string& s) {
        const auto b = s.find_first_not_of(" \t\r\n");
        if (b == std::string::npos) return {};
        return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
    }
    std::string AttributeOf(const Node& n, std::string_view key) const {
        const std::string* a = n.Attribute(key);
        if (!a) Fail(n, "<" + n.name + "> has no " + std::string(key));
        return *a;
    }
    std::string Name(const Node& widget) const {
        const std::string name = AttributeOf(widget, "name");
        const bool ok = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) &&
                        std::all_of(name.begin(), name.end(), [](char ch) {
                            return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
                        });
        if (!ok)
            Fail(widget, "'" + name + "' is no name: a letter followed by letters, digits or _");
        return name;
    }
    // The one element a <property> holds.
    const Node& Value(const Node& property) const {
        if (property.children.size() != 1)
            Fail(property,
                 "the property " + AttributeOf(property, "name") + " holds no single value");
        return *property.children.front();
    }
    std::string Text(const Node& value, std::string_view type) const {
        if (value.name != type)
            Fail(value, "expected <" + std::string(type) + ">, not <" + value.name + ">");
        if (!value.children.empty()) Fail(value, "<" + value.name + "> holds elements");
        return value.text;
    }
    long long Number(const Node& value, std::string_view type, long long lo, long long hi) const {
        const std::string t = Trimmed(Text(value, type));
        long long v = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (ec != std::errc() || end != t.data() + t.size() || v < lo || v > hi)
            Fail(value, "expected a whole number from " + std::to_string(lo) + " to " +
                            std::to_string(hi) + ", not '" + t + "'");
        return v;
    }
    long long ChildNumber(const Node& parent, std::string_view child, long long lo, long long hi,
                          long long otherwise) const {
        const Node* c = parent.Child(child);
        return c ? Number(*c, child, lo, hi) : otherwise;
    }
    bool Bool(const Node& value, std::string_view type = "bool") const {
        const std::string t = Trimmed(Text(value, type));
        if (t != "true" && t != "false") Fail(value, "expected true or false, not '" + t + "'");
        return t == "true";
    }
    gdi::Rect Rect(const Node& value) const {
        if (value.name != "rect") Fail(value, "expected <rect>, not <" + value.name + ">");
        const long long x = ChildNumber(value, "x", -32768, 32767, 0),
                        y = ChildNumber(value, "y", -32768, 32767, 0),
                        w = ChildNumber(value, "width", 0, runtime::kMaxFormSide, 0),
                        h = ChildNumber(value, "height", 0, runtime::kMaxFormSide, 0);
        return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
                static_cast<int>(y + h)};
    }
    // A colour, its alpha carrying the high byte of a value that is no plain colour.
    std::uint32_t Color(const Node& value) const {
        if (value.name != "color") Fail(value, "expected <color>, not <" + value.name + ">");
        long long alpha = 255;
        if (const std::string* a = value.Attribute("alpha")) {
            Node n;
            n.name = "alpha";
            n.text = *a;
            n.line = value.line;
            n.column = value.column;
            alpha = Number(n, "alpha", 0, 255);
        }
        const auto part = [&](std::string_view c) {
            return static_cast<std::uint32_t>(ChildNumber(value, c, 0, 255, 0));
        };
        return static_cast<std::uint32_t>(255 - alpha) << 24 | part("blue") << 16 |
               part("green") << 8 | part("red");
    }
    std::optional<std::uint32_t> PaletteWindow(const Node& palette) const {
        if (const Node* active = palette.Child("active"))
            for (const auto& role : active->children)
                if (role->name == "colorrole" && role->Attribute("role") &&
                    *role->Attribute("role") == "Window")
                    if (const Node* brush = role->Child("brush"))
                        if (const Node* color = brush->Child("color"))
                            return Color(*color) & 0xFFFFFFu;
        return std::nullopt;
    }
    host::FontRef FormFont(const Node& value) const {
        // family,size,weight,italic,underline,strikethrough,charset; the family may hold
        // commas, the rest do not.
        std::string t = Text(value, "string");
        std::vector<std::string> fields;
        for (int i = 0; i < 6; ++i) {
            const auto comma = t.rfind(',');
            if (comma == std::string::npos)
                Fail(
                    value,
                    "FormFont: expected family,size,weight,italic,underline,strikethrough,charset");
            fields.insert(fields.begin(), t.substr(comma + 1));
            t.erase(comma);
        }
        auto font = std::make_shared<vb::StdFont>();
        font->Name(t);
        const auto size = std::strtod(fields[0].c_str(), nullptr);
        if (!(size > 0 && size <= 2160)) Fail(value, "FormFont: no size in '" + fields[0] + "'");
        font->Size(size);
        font->Weight(static_cast<std::int16_t>(std::clamp(std::atoi(fields[1].c_str()), 0, 1000)));
        font->Italic(vb::Boolean(fields[2] == "True"));
        font->Underline(vb::Boolean(fields[3] == "True"));
        font->Strikethrough(vb::Boolean(fields[4] == "True"));
        font->Charset(
            static_cast<std::int16_t>(std::clamp(std::atoi(fields[5].c_str()), -32768, 32767)));
        return font;
    }
    // A .ui font over `base`: what it names, the rest as the base has it.
    vb::StdFont Font(const Node& value, vb::StdFont base) const {
        if (value.name != "font") Fail(value, "expected <font>, not <" + value.name + ">");
        if (const Node* family = value.Child("family")) base.Name(Text(*family, "family"));
        if (const Node* size = value.Child("pointsize"))
            base.Size(static_cast<double>(Number(*size, "pointsize", 1, 2160)));
        // Qt 5's weights (0 to 99), then the bold switch, which wins.
        if (const Node* weight = value.Child("weight"))
            base.Weight(Number(*weight, "weight", 0, 99) > 50 ? 700 : 400);
        if (const Node* bold = value.Child("bold")) base.Bold(vb::Boolean(Bool(*bold, "bold")));
        if (const Node* italic = value.Child("italic"))
            base.Italic(vb::Boolean(Bool(*italic, "italic")));
        if (const Node* u = value.Child("underline"))
            base.Underline(vb::Boolean(Bool(*u, "underline")));
        if (const Node* s = value.Child("strikeout"))
            base.Strikethrough(vb::Boolean(Bool(*s, "strikeout")));
        return base;
    }

    void Controls(const Node& parent, gdi::Point offset, FormFile& form) {
        for (const auto& child : parent.children) {
            const Node& w = *child;
            if (w.name == "layout" || w.name == "item") {
                Controls(w, offset, form);
                continue;
            }
            if (w.name != "widget") continue;
            const std::string cls = AttributeOf(w, "class");
            gdi::Rect rect;
            bool placed = false;
            for (const auto& p : w.children)
                if (p->name == "property" && p->Attribute("name") &&
                    *p->Attribute("name") == "geometry") {
                    rect = Rect(Value(*p));
                    placed = true;
                }
            rect = {rect.left + offset.x, rect.top + offset.y, rect.right + offset.x,
                    rect.bottom + offset.y};
            if (cls != kButtonClass) {
                if (!w.children.empty()) Controls(w, {rect.left, rect.top}, form);
                Note(w, "the " + cls + " " + AttributeOf(w, "name") +
                            " is no Sheenwork control: left out");
                continue;
            }
            if (!placed)
                Fail(w, AttributeOf(w, "name") +
                            " has no geometry (a button in a layout has no place of its own)");
            Button(w, rect, form);
        }
    }

    void Button(const Node& w, gdi::Rect rect, FormFile& form) {
        ControlDescription c;
        c.class_name = kButtonProgId;
        c.name = Name(w);
        c.position = runtime::PositionOf(rect);
        c.size = runtime::SizeOf(rect);
        c.tab_index = -1;
        for (const ControlDescription& other : form.controls)
            if (std::equal(other.name.begin(), other.name.end(), c.name.begin(), c.name.end(),
                           [](char a, char b) {
                               return std::tolower(static_cast<unsigned char>(a)) ==
                                      std::tolower(static_cast<unsigned char>(b));
                           }))
                Fail(w, "a second control named " + c.name);
        std::map<std::string, std::size_t> at;  // keys set so far
        std::string exact_fonts;
        const Node* exact_at = nullptr;
        const auto set = [&](const std::string& key, vb::Variant value) {
            if (const auto it = at.find(key); it != at.end()) {
                c.properties[it->second].value = std::move(value);
                return;
            }
            at[key] = c.properties.size();
            c.properties.push_back({key, std::move(value)});
        };
        const vb::StdFont base = form.font ? *form.font : vb::StdFont("Tahoma", 8.25);
        for (const auto& child : w.children) {
            const Node& p = *child;
            if (p.name != "property") continue;
            const std::string property = AttributeOf(p, "name");
            if (property == "geometry") continue;
            const Node& value = Value(p);
            if (property == "Default" || property == "Cancel") {
                if (Bool(value))
                    (property == "Default" ? form.default_button : form.cancel_button) = c.name;
                if (property == "Default") set("Default", vb::Variant(vb::Boolean(Bool(value))));
                continue;
            }
            if (property == "ExactFonts") {
                exact_fonts = Text(value, "string");
                exact_at = &value;
                continue;
            }
            const std::string key = KeyOf(property);
            const PersistedProperty* persisted = Persisted(key);
            if (!persisted || key == "Default") {
                Note(p, c.name + ": the property " + property +
                            " has no key in a form file: left out");
                continue;
            }
            switch (persisted->type) {
                case PersistedType::String: set(key, vb::Variant(Text(value, "string"))); break;
                case PersistedType::Color:
                    set(key, vb::Variant(static_cast<vb::Long>(Color(value))));
                    break;
                case PersistedType::Long: {
                    if (value.name == "enum") {
                        std::string name = Trimmed(value.text);
                        if (const auto colons = name.rfind("::"); colons != std::string::npos)
                            name = name.substr(colons + 2);
                        bool found = false;
                        for (const EnumName& e : EnumOf(key))
                            if (name == e.name) {
                                set(key, vb::Variant(static_cast<vb::Long>(e.value)));
                                found = true;
                            }
                        if (!found) Fail(value, key + " has no value named " + name);
                    } else {
                        set(key, vb::Variant(static_cast<vb::Long>(
                                     Number(value, "number", std::numeric_limits<vb::Long>::min(),
                                            std::numeric_limits<vb::Long>::max()))));
                    }
                    break;
                }
                case PersistedType::Integer:
                    set(key, vb::Variant(
                                 static_cast<vb::Integer>(Number(value, "number", -32768, 32767))));
                    break;
                case PersistedType::Single: {
                    const std::string t =
                        Trimmed(Text(value, value.name == "float" ? "float" : "double"));
                    char* end = nullptr;
                    const double d = std::strtod(t.c_str(), &end);
                    if (t.empty() || end != t.c_str() + t.size() || !std::isfinite(d) ||
                        std::fabs(d) > std::numeric_limits<float>::max())
                        Fail(value,
                             key + ": expected a number within a Single's range, not '" + t + "'");
                    set(key, vb::Variant(static_cast<vb::Single>(d)));
                    break;
                }
                case PersistedType::Boolean: set(key, vb::Variant(vb::Boolean(Bool(value)))); break;
                case PersistedType::Font:
                    set(key,
                        vb::Variant(vb::Object(std::make_shared<vb::StdFont>(Font(value, base)))));
                    break;
                case PersistedType::Picture:
                    set(key, vb::Variant(vb::Object(Picture(value, key))));
                    break;
            }
        }
        if (exact_at) ExactFonts(*exact_at, exact_fonts, c);
        form.controls.push_back(std::move(c));
    }

    // The parts of the fonts the .ui format rounds, for each font that still matches
    // them once rounded (Designer may have changed it since).
    void ExactFonts(const Node& at, const std::string& text, ControlDescription& c) const {
        std::size_t from = 0;
        while (from <= text.size()) {
            const std::size_t end = std::min(text.find(';', from), text.size());
            const std::string part = text.substr(from, end - from);
            from = end + 1;
            if (part.empty()) continue;
            double size = 0;
            int weight = 0, charset = 0;
            const auto eq = part.find('=');
            char tail = 0;
            if (eq == std::string::npos ||
                std::sscanf(part.c_str() + eq + 1, "%lf,%d,%d%c", &size, &weight, &charset,
                            &tail) != 3 ||
                !(size > 0 && size <= 2160) || weight < 0 || weight > 1000 || charset < -32768 ||
                charset > 32767)
                Fail(at, "ExactFonts: cannot use '" + part + "'");
            const std::string key = part.substr(0, eq);
            for (FormFileProperty& p : c.properties) {
                if (p.key != key) continue;
                const auto font = vb::CObj(p.value).As<vb::StdFont>();
                if (!font || std::lround(font->Size()) != std::lround(size) ||
                    (font->Weight() > 550) != (weight > 550))
                    continue;
                auto exact = std::make_shared<vb::StdFont>(*font);
                exact->Size(size);
                exact->Weight(static_cast<std::int16_t>(weight));
                exact->Charset(static_cast<std::int16_t>(charset));
                p.value = vb::Variant(vb::Object(exact));
            }
        }
    }

    host::PictureRef Picture(const Node& value, const std::string& key) const {
        const std::string given = Text(value, "string");
        if (given.empty()) return picture::LoadPicture("");
        std::filesystem::path file(given);
        if (file.is_relative()) file = path_.parent_path() / file;
        std::error_code ec;
        if (std::filesystem::exists(file, ec) && !std::filesystem::is_regular_file(file, ec))
            Fail(value, key + ": " + file.string() + " is not a regular file");
        try {
            auto picture = picture::LoadPicture(file.string());
            picture->SourceFile(std::filesystem::absolute(file, ec).lexically_normal().string());
            return picture;
        } catch (const vb::RuntimeError& e) {
            Fail(value, key + ": " + e.Description());
        }
    }

    std::filesystem::path path_;
    std::string file_;
    std::vector<std::string>& notes_;
};

}  // namespace

FormFile ParseUiFile(std::string_view text, const std::filesystem::path& path,
                     std::vector<std::string>& notes) {
    if (text.size() > kMaxUiFileBytes)
        throw FormFileError(
            {{path.string(), 0, 0, "larger than " + std::to_string(kMaxUiFileBytes) + " bytes"}});
    const std::unique_ptr<Node> root = TreeBuilder(path.string()).Parse(text);
    return UiReader(path, notes).Read(*root);
}

}  // namespace sheenwork::cli
