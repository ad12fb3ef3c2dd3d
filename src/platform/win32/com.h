// The COM plumbing of the Windows platform layer, written by hand (mingw has no ATL):
// reference-counted objects over a table of interfaces, an owning interface pointer,
// the count of live objects and locks that DllCanUnloadNow answers from, strings as
// BSTRs, and the crossing of values between VARIANTs and the library's vb::Variant.
#pragma once

#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/variant.h>

#include <atomic>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/win32/windows_api.h"

namespace sheenwork::win32 {

// Objects and server locks alive in this module.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
long ModuleCount() noexcept;

// An owning interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() {
        if (p_) p_->Release();
    }
    // Adopts a reference already counted (what an out parameter hands back).
    static ComPtr Adopt(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held first.
    T** put() {
        *this = nullptr;
        return &p_;
    }
    // Hands a counted reference to the caller.
    T* detach() { return std::exchange(p_, nullptr); }
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, reinterpret_cast<void**>(out.put()));
        return out;
    }

private:
    T* p_ = nullptr;
};

// IUnknown for a class implementing its interfaces: the class answers QueryInterface
// through its own Find(iid), which returns the interface pointer or null. Every live
// object counts towards the module's count.
template <class First, class... Rest>
class Unknown : public First, public Rest... {
public:
    Unknown() { ModuleAddRef(); }
    virtual ~Unknown() { ModuleRelease(); }
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = Find(iid);
        if (!*out) return E_NOINTERFACE;
        static_cast<IUnknown*>(*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    // The object's IUnknown: the one of its first interface.
    IUnknown* Identity() { return static_cast<First*>(this); }

protected:
    virtual void* Find(REFIID iid) = 0;

private:
    std::atomic<long> refs_{1};
};

// A new object of T as one of its interfaces, its first reference the caller's.
template <class T, class I, class... Args>
ComPtr<I> Make(Args&&... args) {
    T* made = new T(std::forward<Args>(args)...);
    if constexpr (std::is_same_v<I, IUnknown>)
        return ComPtr<I>::Adopt(made->Identity());
    else
        return ComPtr<I>::Adopt(static_cast<I*>(made));
}

// Strings: the library's are UTF-8, COM's UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
BSTR ToBstr(std::string_view utf8);
std::string FromBstr(BSTR text);

// GUIDs in registry form, {XXXXXXXX-...}.
std::string GuidText(const GUID& guid);

// Values crossing IDispatch. A VARIANT becomes a vb::Variant (by-reference values are
// read through); objects cross as described in ObjectFromDispatch. Throws
// vb::RuntimeError 13 for a type the library has no value for (arrays, dates ...).
vb::Variant FromVariant(const VARIANT& v);
// The VARIANT of a vb::Variant, which the caller clears. Objects become IDispatch
// pointers as DispatchFromObject makes them.
void ToVariant(const vb::Variant& value, VARIANT* out);
// Writes a value back into a by-reference argument, converted to the argument's own
// type; a by-value argument is left alone.
void StoreBack(const vb::Variant& value, VARIANT* arg);

// An object as COM sees it: a font as an object with the properties of the platform's
// font (Name, Size, Bold ... by their standard dispatch identifiers), a picture as one
// with those of its picture (Handle, Type, Width, Height), an object that came from COM
// as itself, any other late-bound object through a dispatch interface that calls it by
// name. Nothing is null.
ComPtr<IDispatch> DispatchFromObject(const vb::Object& object);
// The other way: what DispatchFromObject made gives back its object; the platform's own
// fonts and pictures are copied into the library's (a picture keeps its identity: handed
// back out it is the object that came in); any other object is called late-bound by
// name. Null is Nothing.
vb::Object ObjectFromDispatch(IDispatch* dispatch);

// A new font object of the platform (one a control of any library understands) with the
// attributes of `font`.
ComPtr<IDispatch> NewPlatformFont(const vb::StdFont& font);

// The library's error numbers as the HRESULTs of an automation call: 438 no such
// member, 450 wrong number of arguments, 13 a type mismatch, 6 overflow.
HRESULT DispatchError(long vb_error);

}  // namespace sheenwork::win32
