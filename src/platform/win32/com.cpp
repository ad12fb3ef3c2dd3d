// COM plumbing: the module count, strings, and values and objects crossing IDispatch.
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include "platform/win32/com.h"

#include <dispex.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace sheenwork::win32 {
namespace {

std::atomic<long> g_module_count{0};

// IDispatchEx, which the import libraries do not define.
const IID kIDispatchEx = {
    0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// Objects of this module that carry a library object: what DispatchFromObject made.
// Another module's carriers are other copies of the library, whose objects are not ours.
const IID IID_ICarrier = {
    0x5b8f3c91, 0x6a0d, 0x4e57, {0x9c, 0x1e, 0x31, 0x7a, 0x52, 0xd0, 0x8e, 0x44}};
const char g_module_tag = 0;

struct ICarrier : IUnknown {
    virtual const void* STDMETHODCALLTYPE Module() = 0;
    virtual vb::Object STDMETHODCALLTYPE Carried() = 0;
};

// A dispatch interface of fixed members, named and numbered by a table; GetTypeInfo
// has nothing to give.
struct Member {
    const wchar_t* name;
    DISPID id;
};

template <class... Interfaces>
class FixedDispatch : public Unknown<IDispatch, ICarrier, Interfaces...> {
public:
    explicit FixedDispatch(std::vector<Member> members) : members_(std::move(members)) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Member& m : members_)
                if (i == 0 && _wcsicmp(m.name, names[0]) == 0) ids[0] = m.id;
            if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    const void* STDMETHODCALLTYPE Module() override { return &g_module_tag; }

private:
    std::vector<Member> members_;
};

// The library's font, shared: a change through COM is a change of the font the control
// holds, as with the platform's font object.
class FontObject final : public FixedDispatch<> {
public:
    explicit FontObject(std::shared_ptr<vb::StdFont> font)
        : FixedDispatch({{L"Name", DISPID_FONT_NAME},
                         {L"Size", DISPID_FONT_SIZE},
                         {L"Bold", DISPID_FONT_BOLD},
                         {L"Italic", DISPID_FONT_ITALIC},
                         {L"Underline", DISPID_FONT_UNDER},
                         {L"Strikethrough", DISPID_FONT_STRIKE},
                         {L"Weight", DISPID_FONT_WEIGHT},
                         {L"Charset", DISPID_FONT_CHARSET}}),
          font_(std::move(font)) {}

    vb::Object STDMETHODCALLTYPE Carried() override { return vb::Object(font_); }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        try {
            vb::StdFont& f = *font_;
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
                const vb::Variant v = FromVariant(params->rgvarg[0]);
                switch (id) {
                    case DISPID_FONT_NAME: f.Name(vb::CStr(v)); break;
                    case DISPID_FONT_SIZE: f.Size(vb::CDbl(v)); break;
                    case DISPID_FONT_BOLD: f.Bold(vb::CBool(v)); break;
                    case DISPID_FONT_ITALIC: f.Italic(vb::CBool(v)); break;
                    case DISPID_FONT_UNDER: f.Underline(vb::CBool(v)); break;
                    case DISPID_FONT_STRIKE: f.Strikethrough(vb::CBool(v)); break;
                    case DISPID_FONT_WEIGHT: f.Weight(vb::CInt(v)); break;
                    case DISPID_FONT_CHARSET: f.Charset(vb::CInt(v)); break;
                    default: return DISP_E_MEMBERNOTFOUND;
                }
                return S_OK;
            }
            if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            vb::Variant v;
            switch (id) {
                case DISPID_FONT_NAME: v = f.Name(); break;
                case DISPID_FONT_SIZE: {
                    // The platform's font reports its size as a Currency.
                    if (result) {
                        VariantInit(result);
                        result->vt = VT_CY;
                        result->cyVal.int64 = std::llround(f.Size() * 10000.0);
                    }
                    return S_OK;
                }
                case DISPID_FONT_BOLD: v = f.Bold(); break;
                case DISPID_FONT_ITALIC: v = f.Italic(); break;
                case DISPID_FONT_UNDER: v = f.Underline(); break;
                case DISPID_FONT_STRIKE: v = f.Strikethrough(); break;
                case DISPID_FONT_WEIGHT: v = vb::Integer{f.Weight()}; break;
                case DISPID_FONT_CHARSET: v = vb::Integer{f.Charset()}; break;
                default: return DISP_E_MEMBERNOTFOUND;
            }
            if (result) ToVariant(v, result);
            return S_OK;
        } catch (const vb::RuntimeError& e) {
            return DispatchError(e.Number());
        } catch (...) {
            return E_FAIL;
        }
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IFontDisp)
            return static_cast<IDispatch*>(this);
        if (iid == IID_ICarrier) return static_cast<ICarrier*>(this);
        return nullptr;
    }

private:
    std::shared_ptr<vb::StdFont> font_;
};

// Any other late-bound object of the library: members numbered as they are first named.
class ObjectDispatch final : public FixedDispatch<> {
public:
    explicit ObjectDispatch(vb::Object object) : FixedDispatch({}), object_(std::move(object)) {}
    vb::Object STDMETHODCALLTYPE Carried() override { return object_; }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count == 0) return S_OK;
        const std::string name = Utf8(names[0]);
        auto it = std::find_if(names_.begin(), names_.end(), [&](const std::string& n) {
            return _stricmp(n.c_str(), name.c_str()) == 0;
        });
        if (it == names_.end()) it = names_.insert(names_.end(), name);
        ids[0] = static_cast<DISPID>(it - names_.begin()) + 1;
        for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
        try {
            const auto dispatch = object_.AsDispatch();
            if (!dispatch) return DISP_E_MEMBERNOTFOUND;
            const UINT count = params ? params->cArgs : 0;
            std::vector<vb::Variant> args;
            for (UINT i = count; i > 0; --i) args.push_back(FromVariant(params->rgvarg[i - 1]));
            const vb::InvokeKind kind =
                (flags & DISPATCH_PROPERTYPUTREF) ? vb::InvokeKind::PropertySet
                : (flags & DISPATCH_PROPERTYPUT)  ? vb::InvokeKind::PropertyLet
                : (flags & DISPATCH_METHOD)       ? vb::InvokeKind::Method
                                                  : vb::InvokeKind::PropertyGet;
            const vb::Variant value = dispatch->Invoke(names_[id - 1], kind, args);
            for (UINT i = 0; i < count; ++i) StoreBack(args[i], &params->rgvarg[count - 1 - i]);
            if (result) ToVariant(value, result);
            return S_OK;
        } catch (const vb::RuntimeError& e) {
            return DispatchError(e.Number());
        } catch (...) {
            return E_FAIL;
        }
    }

protected:
    void* Find(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) return static_cast<IDispatch*>(this);
        if (iid == IID_ICarrier) return static_cast<ICarrier*>(this);
        return nullptr;
    }

private:
    vb::Object object_;
    std::vector<std::string> names_;
};

// An object from outside, called late-bound by name.
class ForeignObject final : public vb::Dispatch {
public:
    explicit ForeignObject(IDispatch* d) : dispatch_(d) {}
    vb::Variant Invoke(const std::string& name, vb::InvokeKind kind,
                       std::vector<vb::Variant>& args) override {
        std::wstring wide = Wide(name);
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
            // A script's objects may answer to names only through IDispatchEx.
            ComPtr<IDispatchEx> ex;
            BSTR bstr = SysAllocString(wide.c_str());
            const bool found = SUCCEEDED(dispatch_->QueryInterface(
                                   kIDispatchEx, reinterpret_cast<void**>(ex.put()))) &&
                               SUCCEEDED(ex->GetDispID(bstr, fdexNameCaseInsensitive, &id));
            SysFreeString(bstr);
            if (!found) vb::Raise(438);
        }
        // Arguments go by reference, last first, so that the callee may change them.
        std::vector<VARIANT> values(args.size()), refs(args.size());
        for (std::size_t i = 0; i < args.size(); ++i) {
            ToVariant(args[i], &values[i]);
            VariantInit(&refs[args.size() - 1 - i]);
            refs[args.size() - 1 - i].vt = VT_BYREF | VT_VARIANT;
            refs[args.size() - 1 - i].pvarVal = &values[i];
        }
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{refs.data(), nullptr, static_cast<UINT>(refs.size()), 0};
        WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
        if (kind == vb::InvokeKind::PropertyLet || kind == vb::InvokeKind::PropertySet) {
            flags = kind == vb::InvokeKind::PropertySet ? DISPATCH_PROPERTYPUTREF
                                                        : DISPATCH_PROPERTYPUT;
            // The assigned value goes by value, named as the property's.
            if (!refs.empty()) refs[0] = values.back();
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO info{};
        const HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                             &result, &info, nullptr);
        vb::Variant out;
        std::string failure;
        if (SUCCEEDED(hr)) {
            for (std::size_t i = 0; i < args.size(); ++i) args[i] = FromVariant(values[i]);
            out = FromVariant(result);
        } else if (hr == DISP_E_EXCEPTION) {
            failure = FromBstr(info.bstrDescription);
        }
        for (VARIANT& v : values) VariantClear(&v);
        VariantClear(&result);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrHelpFile);
        if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) vb::Raise(438);
        if (hr == DISP_E_BADPARAMCOUNT) vb::Raise(450);
        if (hr == DISP_E_TYPEMISMATCH) vb::Raise(13);
        if (FAILED(hr))
            vb::Raise(hr == DISP_E_EXCEPTION && info.scode ? info.scode : hr, {}, failure);
        return out;
    }
    IDispatch* Dispatch() const { return dispatch_.get(); }

private:
    ComPtr<IDispatch> dispatch_;
};

// Pictures keep their identity across the boundary: a picture that came in as the
// platform's picture goes out as that same object, and one the library made goes out
// as the same platform picture each time, for as long as the library's picture lives.
struct PictureEntry {
    std::weak_ptr<vb::StdPicture> picture;
    ComPtr<IDispatch> object;
};
std::mutex g_pictures_mutex;
std::vector<PictureEntry> g_pictures;

void ForgetGonePictures() {
    std::erase_if(g_pictures, [](const PictureEntry& e) { return e.picture.expired(); });
}

bool SameObject(IUnknown* a, IUnknown* b) {
    ComPtr<IUnknown> x, y;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(x.put()));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(y.put()));
    return x.get() == y.get();
}

// 32-bit top-down pixels of a bitmap (B, G, R, A in memory as 0xAARRGGBB), empty when
// GDI cannot give them.
std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int& width, int& height) {
    BITMAP bm{};
    if (!::GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return {};
    width = bm.bmWidth;
    height = bm.bmHeight;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> px(static_cast<std::size_t>(width) * height);
    HDC dc = ::CreateCompatibleDC(nullptr);
    const int lines =
        ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), px.data(), &info, DIB_RGB_COLORS);
    ::DeleteDC(dc);
    if (lines != height) return {};
    return px;
}

// The platform's picture in the library's terms: a bitmap opaque, an icon with the
// alpha of its 32-bit image or else of its mask.
std::shared_ptr<vb::StdPicture> CopyPicture(IPicture* picture) {
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    picture->get_Type(&type);
    picture->get_Handle(&handle);
    const auto h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
    int w = 0, hh = 0;
    if (type == PICTYPE_BITMAP) {
        auto px = BitmapPixels(static_cast<HBITMAP>(h), w, hh);
        if (px.empty()) vb::Raise(481);
        // A 32-bit DIB section keeps the alpha the library's pictures carry; any other
        // bitmap is opaque.
        DIBSECTION section{};
        const bool alpha = ::GetObjectA(h, sizeof section, &section) == sizeof section &&
                           section.dsBm.bmBitsPixel == 32 &&
                           std::any_of(px.begin(), px.end(), [](auto p) { return p >> 24; });
        if (!alpha)
            for (auto& p : px) p |= 0xFF000000u;
        return std::make_shared<vb::StdPicture>(w, hh, std::move(px));
    }
    if (type == PICTYPE_ICON) {
        ICONINFO ii{};
        if (!::GetIconInfo(static_cast<HICON>(h), &ii)) vb::Raise(481);
        int mw = 0, mh = 0;
        auto mask = BitmapPixels(ii.hbmMask, mw, mh);
        auto px = ii.hbmColor ? BitmapPixels(ii.hbmColor, w, hh) : std::vector<std::uint32_t>{};
        if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
        ::DeleteObject(ii.hbmMask);
        if (px.empty() || mask.empty()) vb::Raise(481);
        const bool has_alpha = std::any_of(px.begin(), px.end(), [](auto p) { return p >> 24; });
        for (std::size_t i = 0; i < px.size(); ++i)
            if (!has_alpha) px[i] = (mask[i] & 0xFFFFFF) ? 0 : (px[i] | 0xFF000000u);
        return std::make_shared<vb::StdPicture>(w, hh, std::move(px), vb::PictureType::Icon);
    }
    return std::make_shared<vb::StdPicture>(0, 0, std::vector<std::uint32_t>{},
                                            vb::PictureType::None);
}

// A 32-bit top-down DIB section holding straight ARGB pixels.
HBITMAP DibOf(const vb::StdPicture& p, bool premultiply) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p.PixelWidth();
    info.bmiHeader.biHeight = -p.PixelHeight();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP b = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!b) return nullptr;
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < p.Pixels().size(); ++i) {
        std::uint32_t c = p.Pixels()[i];
        if (premultiply) {
            const unsigned a = c >> 24;
            const auto mul = [a](unsigned v) { return (v * a + 127) / 255; };
            c = (a << 24) | (mul((c >> 16) & 0xFF) << 16) | (mul((c >> 8) & 0xFF) << 8) |
                mul(c & 0xFF);
        }
        out[i] = c;
    }
    return b;
}

// The platform's picture for one of the library's: a bitmap, or an icon with its alpha.
ComPtr<IDispatch> NewPlatformPicture(const vb::StdPicture& p) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_NONE;
    if (p.Type() == vb::PictureType::Icon && p.PixelWidth() > 0) {
        ICONINFO ii{};
        ii.fIcon = TRUE;
        ii.hbmColor = DibOf(p, false);
        ii.hbmMask = ::CreateBitmap(p.PixelWidth(), p.PixelHeight(), 1, 1, nullptr);
        desc.picType = PICTYPE_ICON;
        desc.icon.hicon = ::CreateIconIndirect(&ii);
        ::DeleteObject(ii.hbmColor);
        ::DeleteObject(ii.hbmMask);
    } else if (p.PixelWidth() > 0) {
        desc.picType = PICTYPE_BITMAP;
        desc.bmp.hbitmap = DibOf(p, false);
    }
    ComPtr<IDispatch> out;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                        reinterpret_cast<void**>(out.put()))))
        vb::Raise(7);
    return out;
}

}  // namespace

ComPtr<IDispatch> NewPlatformFont(const vb::StdFont& f) {
    const std::wstring name = Wide(f.Name());
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(name.c_str());
    desc.cySize.int64 = std::llround(f.Size() * 10000.0);
    desc.sWeight = f.Weight();
    desc.sCharset = f.Charset();
    desc.fItalic = f.Italic() ? TRUE : FALSE;
    desc.fUnderline = f.Underline() ? TRUE : FALSE;
    desc.fStrikethrough = f.Strikethrough() ? TRUE : FALSE;
    ComPtr<IDispatch> out;
    if (FAILED(::OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(out.put()))))
        vb::Raise(7);
    return out;
}

void ModuleAddRef() noexcept { ++g_module_count; }
void ModuleRelease() noexcept { --g_module_count; }
long ModuleCount() noexcept { return g_module_count; }

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

BSTR ToBstr(std::string_view utf8) {
    const std::wstring w = Wide(utf8);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string FromBstr(BSTR text) {
    return text ? Utf8(std::wstring_view(text, SysStringLen(text))) : std::string();
}

std::string GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

vb::Variant FromVariant(const VARIANT& in) {
    const VARIANT* v = &in;
    while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    const bool ref = (v->vt & VT_BYREF) != 0;
    switch (v->vt & ~VT_BYREF) {
        case VT_EMPTY: return vb::Empty{};
        case VT_NULL: vb::Raise(94);
        case VT_BOOL: return vb::Boolean((ref ? *v->pboolVal : v->boolVal) != VARIANT_FALSE);
        case VT_I2: return vb::Integer{ref ? *v->piVal : v->iVal};
        case VT_I4: return vb::Long{ref ? *v->plVal : v->lVal};
        case VT_R4: return vb::Single{ref ? *v->pfltVal : v->fltVal};
        case VT_R8: return vb::Double{ref ? *v->pdblVal : v->dblVal};
        case VT_BSTR: return FromBstr(ref ? *v->pbstrVal : v->bstrVal);
        case VT_UI1: return vb::Integer{ref ? *v->pbVal : v->bVal};
        case VT_I1: return vb::Integer{ref ? *v->pcVal : v->cVal};
        case VT_UI2: return vb::Long{ref ? *v->puiVal : v->uiVal};
        case VT_INT: return vb::Long{ref ? *v->pintVal : v->intVal};
        case VT_UI4:
        case VT_UINT: {
            const unsigned long u = ref ? *v->pulVal : v->ulVal;
            if (u <= 0x7FFFFFFFul) return vb::Long{static_cast<vb::Long>(u)};
            return vb::Double{static_cast<double>(u)};
        }
        case VT_CY:
            return vb::Double{static_cast<double>((ref ? *v->pcyVal : v->cyVal).int64) / 10000.0};
        case VT_DISPATCH: return ObjectFromDispatch(ref ? *v->ppdispVal : v->pdispVal);
        case VT_UNKNOWN: {
            IUnknown* u = ref ? *v->ppunkVal : v->punkVal;
            if (!u) return vb::Object();
            ComPtr<IDispatch> d;
            if (FAILED(u->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.put()))))
                vb::Raise(13);
            return ObjectFromDispatch(d.get());
        }
        default: vb::Raise(13);
    }
}

void ToVariant(const vb::Variant& value, VARIANT* out) {
    VariantInit(out);
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, vb::Empty>) {
                out->vt = VT_EMPTY;
            } else if constexpr (std::is_same_v<T, vb::Boolean>) {
                out->vt = VT_BOOL;
                out->boolVal = x ? VARIANT_TRUE : VARIANT_FALSE;
            } else if constexpr (std::is_same_v<T, vb::Integer>) {
                out->vt = VT_I2;
                out->iVal = x;
            } else if constexpr (std::is_same_v<T, vb::Long>) {
                out->vt = VT_I4;
                out->lVal = x;
            } else if constexpr (std::is_same_v<T, vb::Single>) {
                out->vt = VT_R4;
                out->fltVal = x;
            } else if constexpr (std::is_same_v<T, vb::Double>) {
                out->vt = VT_R8;
                out->dblVal = x;
            } else if constexpr (std::is_same_v<T, std::string>) {
                out->vt = VT_BSTR;
                out->bstrVal = ToBstr(x);
            } else {
                out->vt = VT_DISPATCH;
                out->pdispVal = DispatchFromObject(x).detach();
            }
        },
        value);
}

void StoreBack(const vb::Variant& value, VARIANT* arg) {
    if (!(arg->vt & VT_BYREF)) return;
    if (arg->vt == (VT_BYREF | VT_VARIANT)) {
        VariantClear(arg->pvarVal);
        ToVariant(value, arg->pvarVal);
        return;
    }
    VARIANT made, converted;
    ToVariant(value, &made);
    VariantInit(&converted);
    const VARTYPE want = arg->vt & ~VT_BYREF;
    const HRESULT hr = VariantChangeType(&converted, &made, 0, want);
    VariantClear(&made);
    if (FAILED(hr)) {
        VariantClear(&converted);
        return;
    }
    switch (want) {
        case VT_BOOL: *arg->pboolVal = converted.boolVal; break;
        case VT_I2: *arg->piVal = converted.iVal; break;
        case VT_I4: *arg->plVal = converted.lVal; break;
        case VT_R4: *arg->pfltVal = converted.fltVal; break;
        case VT_R8: *arg->pdblVal = converted.dblVal; break;
        case VT_CY: *arg->pcyVal = converted.cyVal; break;
        case VT_BSTR:
            SysFreeString(*arg->pbstrVal);
            *arg->pbstrVal = converted.bstrVal;
            converted.vt = VT_EMPTY;
            break;
        case VT_DISPATCH:
            if (*arg->ppdispVal) (*arg->ppdispVal)->Release();
            *arg->ppdispVal = converted.pdispVal;
            converted.vt = VT_EMPTY;
            break;
        default: break;
    }
    VariantClear(&converted);
}

ComPtr<IDispatch> DispatchFromObject(const vb::Object& object) {
    if (object.IsNothing()) return nullptr;
    if (const auto font = object.As<vb::StdFont>()) return Make<FontObject, IDispatch>(font);
    if (const auto picture = object.As<vb::StdPicture>()) {
        std::lock_guard lock(g_pictures_mutex);
        ForgetGonePictures();
        for (const PictureEntry& e : g_pictures)
            if (e.picture.lock() == picture) return e.object;
        auto made = NewPlatformPicture(*picture);
        g_pictures.push_back({picture, made});
        return made;
    }
    if (const auto foreign = object.AsDispatch()) {
        if (const auto* f = dynamic_cast<ForeignObject*>(foreign.get()))
            return ComPtr<IDispatch>(f->Dispatch());
    }
    return Make<ObjectDispatch, IDispatch>(object);
}

vb::Object ObjectFromDispatch(IDispatch* dispatch) {
    if (!dispatch) return vb::Object();
    ComPtr<ICarrier> carrier;
    if (SUCCEEDED(
            dispatch->QueryInterface(IID_ICarrier, reinterpret_cast<void**>(carrier.put()))) &&
        carrier->Module() == &g_module_tag)
        return carrier->Carried();
    ComPtr<IFont> font;
    if (SUCCEEDED(dispatch->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.put())))) {
        auto f = std::make_shared<vb::StdFont>();
        BSTR name = nullptr;
        CY size{};
        BOOL bold = FALSE, italic = FALSE, under = FALSE, strike = FALSE;
        SHORT weight = 400, charset = 0;
        font->get_Name(&name);
        font->get_Size(&size);
        font->get_Bold(&bold);
        font->get_Italic(&italic);
        font->get_Underline(&under);
        font->get_Strikethrough(&strike);
        font->get_Weight(&weight);
        font->get_Charset(&charset);
        f->Name(FromBstr(name));
        SysFreeString(name);
        f->Size(static_cast<double>(size.int64) / 10000.0);
        f->Weight(weight);
        f->Italic(vb::Boolean(italic != FALSE));
        f->Underline(vb::Boolean(under != FALSE));
        f->Strikethrough(vb::Boolean(strike != FALSE));
        f->Charset(charset);
        return vb::Object(f);
    }
    // Any other font object (another copy of the library's among them) by its properties.
    ComPtr<IDispatch> font_disp;
    if (SUCCEEDED(
            dispatch->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(font_disp.put())))) {
        auto f = std::make_shared<vb::StdFont>();
        const auto get = [&](DISPID id) {
            DISPPARAMS none{};
            VARIANT v;
            VariantInit(&v);
            if (FAILED(font_disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                         &none, &v, nullptr, nullptr)))
                vb::Raise(13);
            vb::Variant out = FromVariant(v);
            VariantClear(&v);
            return out;
        };
        f->Name(vb::CStr(get(DISPID_FONT_NAME)));
        f->Size(vb::CDbl(get(DISPID_FONT_SIZE)));
        f->Weight(vb::CInt(get(DISPID_FONT_WEIGHT)));
        f->Italic(vb::CBool(get(DISPID_FONT_ITALIC)));
        f->Underline(vb::CBool(get(DISPID_FONT_UNDER)));
        f->Strikethrough(vb::CBool(get(DISPID_FONT_STRIKE)));
        f->Charset(vb::CInt(get(DISPID_FONT_CHARSET)));
        return vb::Object(f);
    }
    ComPtr<IPicture> picture;
    if (SUCCEEDED(
            dispatch->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.put())))) {
        std::lock_guard lock(g_pictures_mutex);
        ForgetGonePictures();
        for (const PictureEntry& e : g_pictures)
            if (SameObject(e.object.get(), dispatch))
                if (auto known = e.picture.lock()) return vb::Object(known);
        auto copy = CopyPicture(picture.get());
        g_pictures.push_back({copy, ComPtr<IDispatch>(dispatch)});
        return vb::Object(copy);
    }
    return vb::Object(std::make_shared<ForeignObject>(dispatch));
}

HRESULT DispatchError(long vb_error) {
    switch (vb_error) {
        case 438: return DISP_E_MEMBERNOTFOUND;
        case 450: return DISP_E_BADPARAMCOUNT;
        case 13: return DISP_E_TYPEMISMATCH;
        case 6: return DISP_E_OVERFLOW;
        default: return DISP_E_EXCEPTION;
    }
}

}  // namespace sheenwork::win32
