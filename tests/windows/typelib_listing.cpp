// typelib-listing.exe DLL: the type library inside a registered sheenwork.dll, read back
// through LoadTypeLib and ITypeInfo as a host reads it, written in the line format of
// tests/data/typelib.txt. The class lines take the status flags and the toolbox bitmap
// from the registration, as a form designer does.
#include <windows.h>
// The rest need the types windows.h declares first.
#include <ole2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "windows/typelib_format.h"

namespace {

using Microsoft::WRL::ComPtr;

std::string Utf8(const wchar_t* w) {
    if (!w || !*w) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::string Take(BSTR b) {
    std::string s = Utf8(b);
    SysFreeString(b);
    return s;
}

std::string Guid(const GUID& g) {
    wchar_t text[64];
    StringFromGUID2(g, text, 64);
    return Utf8(text);
}

// A member's name (MEMBERID_NIL: the type's own), or with `help` its help string.
std::string Doc(ITypeInfo* info, MEMBERID id = MEMBERID_NIL, bool help = false) {
    BSTR text = nullptr;
    info->GetDocumentation(id, help ? nullptr : &text, help ? &text : nullptr, nullptr, nullptr);
    return Take(text);
}

// A type as a host's property browser names it: the innermost type of a pointer chain.
std::string TypeName(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return TypeName(info, *t.lptdesc);
    switch (t.vt) {
        case VT_BSTR: return "String";
        case VT_I4: return "Long";
        case VT_I2: return "Integer";
        case VT_R4: return "Single";
        case VT_R8: return "Double";
        case VT_BOOL: return "Boolean";
        case VT_VARIANT: return "Variant";
        case VT_DISPATCH: return "Object";
        case VT_VOID:
        case VT_HRESULT: return "";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> ref;
            return SUCCEEDED(info->GetRefTypeInfo(t.hreftype, &ref)) ? Doc(ref.Get()) : "?";
        }
        default: return "vt" + std::to_string(t.vt);
    }
}

std::string Line(const std::vector<std::string>& fields) {
    return sheenwork::testing::Joined(fields);
}

// "ByRef Filename As String, Optional ByRef Text As String = """: every parameter but the
// result.
std::string Params(ITypeInfo* info, const FUNCDESC* f) {
    std::vector<BSTR> names(f->cParams + 1);
    UINT got = 0;
    info->GetNames(f->memid, names.data(), static_cast<UINT>(names.size()), &got);
    std::vector<std::string> out;
    for (SHORT i = 0; i < f->cParams; ++i) {
        const ELEMDESC& e = f->lprgelemdescParam[i];
        const USHORT flags = e.paramdesc.wParamFlags;
        if (flags & PARAMFLAG_FRETVAL) continue;
        std::optional<std::string> default_value;
        if (flags & PARAMFLAG_FHASDEFAULT) {
            VARIANT text;
            VariantInit(&text);
            VariantChangeType(&text, &e.paramdesc.pparamdescex->varDefaultValue, 0, VT_BSTR);
            default_value = Utf8(text.bstrVal);
            VariantClear(&text);
        } else if (flags & PARAMFLAG_FOPT) {
            default_value = "";
        }
        out.push_back(
            sheenwork::testing::Parameter(flags & PARAMFLAG_FOPT, flags & PARAMFLAG_FOUT,
                                          static_cast<UINT>(i + 1) < got ? Utf8(names[i + 1]) : "?",
                                          TypeName(info, e.tdesc), default_value));
    }
    for (BSTR b : names) SysFreeString(b);
    return sheenwork::testing::Joined(out, ", ");
}

// The members of a dispatch interface in order, a property's accessors as one member: a
// "member" line each, or for an event interface an "event" line.
void Members(ITypeInfo* itf, const char* kind, std::vector<std::string>& out) {
    TYPEATTR* attr = nullptr;
    itf->GetTypeAttr(&attr);
    struct Member {
        std::string name, type, help, params;
        bool let = false, set = false, method = false;
    };
    std::vector<MEMBERID> order;
    std::map<MEMBERID, Member> members;
    for (WORD i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        itf->GetFuncDesc(i, &f);
        if (!members.count(f->memid)) order.push_back(f->memid);
        Member& m = members[f->memid];
        m.name = Doc(itf, f->memid);
        m.help = Doc(itf, f->memid, true);
        switch (f->invkind) {
            case INVOKE_PROPERTYGET: break;
            case INVOKE_PROPERTYPUT: m.let = true; break;
            case INVOKE_PROPERTYPUTREF: m.set = true; break;
            default:
                m.method = true;
                m.params = Params(itf, f);
                break;
        }
        // The type: a result parameter's, else a property's assigned value, else the
        // function's own result.
        std::string type = TypeName(itf, f->elemdescFunc.tdesc);
        for (SHORT p = 0; p < f->cParams; ++p)
            if ((f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) ||
                f->invkind != INVOKE_FUNC)
                type = TypeName(itf, f->lprgelemdescParam[p].tdesc);
        if (m.type.empty()) m.type = type;
        itf->ReleaseFuncDesc(f);
    }
    itf->ReleaseTypeAttr(attr);
    for (MEMBERID id : order) {
        const Member& m = members[id];
        const char* access = m.method ? "method" : m.set ? "Get/Set" : m.let ? "Get/Let" : "Get";
        out.push_back(std::string(kind) + " " +
                      (kind == std::string("event")
                           ? Line({std::to_string(id), m.name, m.params, m.help})
                           : Line({m.name, m.type, access, std::to_string(id), m.help, m.params})));
    }
}

// The toolbox bitmap the registration names, when the library file holds it.
std::string ToolboxBitmap(const std::string& clsid, HMODULE library) {
    char value[1024] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ("CLSID\\" + clsid + "\\ToolboxBitmap32").c_str(), value,
                       &size) != ERROR_SUCCESS)
        return "0";
    const std::string text = value;
    const int id = std::atoi(text.substr(text.rfind(',') + 1).c_str());
    HANDLE bitmap = LoadImageA(library, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
    if (!bitmap) return "missing " + std::to_string(id);
    DeleteObject(bitmap);
    return std::to_string(id);
}

// The class line of a coclass and the lines of its default interface's members and its
// default source's events.
void Class(ITypeInfo* info, const TYPEATTR* attr, HMODULE module, std::vector<std::string>& out) {
    ComPtr<ITypeInfo> def, source;
    for (WORD k = 0; k < attr->cImplTypes; ++k) {
        INT flags = 0;
        HREFTYPE ref = 0;
        info->GetImplTypeFlags(k, &flags);
        info->GetRefTypeOfImplType(k, &ref);
        if (flags & IMPLTYPEFLAG_FDEFAULT)
            info->GetRefTypeInfo(ref, flags & IMPLTYPEFLAG_FSOURCE ? &source : &def);
    }
    const auto named = [](ITypeInfo* itf) {
        if (!itf) return std::string();
        TYPEATTR* a = nullptr;
        itf->GetTypeAttr(&a);
        const std::string text = Doc(itf) + " " + Guid(a->guid);
        itf->ReleaseTypeAttr(a);
        return text;
    };
    const std::string clsid = Guid(attr->guid);
    DWORD status = 0;
    OleRegGetMiscStatus(attr->guid, DVASPECT_CONTENT, &status);
    char misc[16];
    std::snprintf(misc, sizeof misc, "0x%lX", static_cast<unsigned long>(status));
    const bool control = (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0;
    out.push_back("class " + Line({Doc(info), control ? "control" : "global",
                                   sheenwork::testing::TypeFlags(attr->wTypeFlags), misc,
                                   control ? ToolboxBitmap(clsid, module) : "0", clsid,
                                   named(def.Get()), named(source.Get())}));
    if (def) Members(def.Get(), "member", out);
    if (source) Members(source.Get(), "event", out);
}

void Enumeration(ITypeInfo* info, const TYPEATTR* attr, std::vector<std::string>& out) {
    out.push_back("enum " + Doc(info));
    for (WORD v = 0; v < attr->cVars; ++v) {
        VARDESC* d = nullptr;
        info->GetVarDesc(v, &d);
        VARIANT value;
        VariantInit(&value);
        VariantChangeType(&value, d->lpvarValue, 0, VT_I4);
        out.push_back("value " + Line({Doc(info, d->memid), std::to_string(value.lVal),
                                       Doc(info, d->memid, true)}));
        info->ReleaseVarDesc(d);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typelib-listing.exe LIBRARY\n");
        return 2;
    }
    CoInitialize(nullptr);
    const std::wstring path(argv[1], argv[1] + std::strlen(argv[1]));
    ComPtr<ITypeLib> lib;
    if (FAILED(LoadTypeLib(path.c_str(), &lib))) {
        std::fprintf(stderr, "typelib-listing: %s holds no type library\n", argv[1]);
        return 1;
    }
    HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::vector<std::string> lines, enums;
    TLIBATTR* la = nullptr;
    lib->GetLibAttr(&la);
    BSTR lib_name = nullptr;
    lib->GetDocumentation(-1, &lib_name, nullptr, nullptr, nullptr);
    lines.push_back("library " +
                    Line({Take(lib_name),
                          std::to_string(la->wMajorVerNum) + "." + std::to_string(la->wMinorVerNum),
                          Guid(la->guid)}));
    lib->ReleaseTLibAttr(la);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        lib->GetTypeInfo(i, &info);
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        if (attr->typekind == TKIND_ENUM) Enumeration(info.Get(), attr, enums);
        if (attr->typekind == TKIND_COCLASS) Class(info.Get(), attr, module, lines);
        info->ReleaseTypeAttr(attr);
    }
    lines.insert(lines.end(), enums.begin(), enums.end());
    for (const auto& l : lines) std::printf("%s\n", l.c_str());
    lib.Reset();
    CoUninitialize();
    return 0;
}
