// sheenwork props: the members of sheenButton as a form designer's property browser shows
// them, with the value a new instance on a form has.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdio>
#include <iomanip>
#include <ostream>

#include "cli.h"

namespace sheenwork::cli {
namespace {

const char* AccessName(Access a) {
    switch (a) {
        case Access::Get: return "read";
        case Access::GetLet: return "read/write";
        case Access::GetSet: return "read/set";
        case Access::Method: return "method";
    }
    return "";
}

std::string Hex(long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08lX&", static_cast<unsigned long>(v) & 0xFFFFFFFFul);
    return buf;
}

// The enumeration a member is typed with; null for another type.
const EnumInfo* EnumerationOf(const MemberInfo& m) {
    for (const EnumInfo& e : Enumerations())
        if (std::string_view(e.name) == m.type) return &e;
    return nullptr;
}

// A value as the property browser writes it: an enumeration's by its member's name.
std::string Shown(const MemberInfo& m, const vb::Variant& v) {
    const std::string type = m.type;
    if (const EnumInfo* e = EnumerationOf(m))
        for (const EnumMember& member : e->members)
            if (member.value == vb::CLng(v)) return member.name;
    if (const auto* o = std::get_if<vb::Object>(&v)) {
        if (o->IsNothing()) return "(none)";
        if (const auto font = o->As<vb::StdFont>()) {
            std::ostringstream s;
            s << font->Name() << " " << font->Size() << (font->Bold() ? " bold" : "");
            return s.str();
        }
        return "(picture)";
    }
    if (type == "OLE_COLOR") return Hex(vb::CLng(v));
    if (type == "Boolean") return vb::CBool(v) ? "True" : "False";
    if (type == "String") return "\"" + vb::CStr(v) + "\"";
    return vb::CStr(v);
}

struct Row {
    const MemberInfo* member;
    std::string value;  // "" for a method and a read-only handle
};

}  // namespace

int Props(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    std::string format = "text";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format" && i + 1 < args.size()) {
            format = args[++i];
            if (format != "text" && format != "json")
                throw UsageError{"--format takes text or json, not '" + format + "'"};
        } else {
            throw UsageError{"props: unexpected '" + args[i] + "'"};
        }
    }
    // A new instance on a form, as the designer places one.
    runtime::VirtualClock clock;
    auto gdi = gdi::MakePlatformGdi();
    runtime::Runtime rt(clock, *gdi, runtime::LinkedControls());
    runtime::Form& form = rt.CreateForm("Form1", {0, 0}, {200, 100});
    runtime::Window& w = form.Add("Sheenwork.sheenButton", "sheenButton1", {10, 10}, {90, 26});
    const auto object = w.Instance();

    std::vector<Row> rows;
    for (const MemberInfo& m : sheenButtonMembers()) {
        Row row{&m, {}};
        if (m.access != Access::Method && std::string_view(m.name) != "hwnd") {
            std::vector<vb::Variant> none;
            const InvokeResult got = object->Invoke(m.name, vb::InvokeKind::PropertyGet, none);
            row.value =
                got.error == 0 ? Shown(m, got.value) : "(error " + std::to_string(got.error) + ")";
        }
        rows.push_back(row);
    }
    if (format == "json") {
        out << "[\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const MemberInfo& m = *rows[i].member;
            out << "  {\"name\": " << JsonString(m.name) << ", \"type\": " << JsonString(m.type)
                << ", \"access\": " << JsonString(AccessName(m.access))
                << ", \"default\": " << JsonString(rows[i].value)
                << ", \"help\": " << JsonString(m.help) << ", \"dispid\": " << m.dispid;
            if (const EnumInfo* e = EnumerationOf(m)) {
                out << ", \"values\": {";
                for (std::size_t v = 0; v < e->members.size(); ++v)
                    out << (v ? ", " : "") << JsonString(e->members[v].name) << ": "
                        << e->members[v].value;
                out << "}";
            }
            out << "}" << (i + 1 < rows.size() ? ",\n" : "\n");
        }
        out << "]\n";
        return kOk;
    }
    out << std::left << std::setw(24) << "Name" << std::setw(22) << "Type" << std::setw(11)
        << "Access" << std::setw(16) << "Default"
        << "Help\n";
    for (const Row& row : rows) {
        const MemberInfo& m = *row.member;
        out << std::setw(24) << m.name << std::setw(22) << m.type << std::setw(11)
            << AccessName(m.access) << std::setw(16) << row.value << m.help << "\n";
    }
    // The members of each enumeration: a form file takes a name or its value.
    out << "\nEnumerations (a form file takes a member's name or its value):\n";
    for (const EnumInfo& e : Enumerations()) {
        std::string typed;
        for (const MemberInfo& m : sheenButtonMembers())
            if (std::string_view(m.type) == e.name)
                typed += (typed.empty() ? "" : ", ") + std::string(m.name);
        out << e.name << (typed.empty() ? "" : " (" + typed + ")") << "\n";
        for (const EnumMember& m : e.members)
            out << "  " << std::setw(22) << m.name << m.value << "\n";
    }
    return kOk;
}

}  // namespace sheenwork::cli
