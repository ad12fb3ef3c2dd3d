// VB's Variant as late-bound calls carry it: Empty, a number, a string, a Boolean, or
// an object reference (which may be Nothing). The conversions follow VB's coercion:
// numbers round half to even into integers and overflow with error 6, strings that are
// not numbers give error 13 "Type mismatch", objects never convert to values.
#pragma once

#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/convert.h>

#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <variant>
#include <vector>

namespace sheenwork::vb {

class Dispatch;

struct Empty {
    friend bool operator==(Empty, Empty) = default;
};

// An object reference: a shared object of some class, or Nothing (no object).
class Object {
public:
    Object() = default;  // Nothing
    template <class T>
    Object(std::shared_ptr<T> p) : type_(p ? &typeid(T) : nullptr) {
        if constexpr (std::is_base_of_v<Dispatch, T>) dispatch_ = p.get();
        ptr_ = std::move(p);
    }

    bool IsNothing() const noexcept { return ptr_ == nullptr; }
    // The object as a T, or null when it is Nothing or of another class.
    template <class T>
    std::shared_ptr<T> As() const noexcept {
        if (!ptr_ || *type_ != typeid(T)) return nullptr;
        return std::static_pointer_cast<T>(ptr_);
    }
    // The object's late-bound interface, or null when its class has none.
    std::shared_ptr<Dispatch> AsDispatch() const noexcept {
        if (!dispatch_) return nullptr;
        return std::shared_ptr<Dispatch>(ptr_, dispatch_);
    }
    template <class T>
    bool Is() const noexcept {
        return ptr_ && *type_ == typeid(T);
    }
    // Is: the same object (VB's `Is` operator).
    friend bool operator==(const Object& a, const Object& b) noexcept { return a.ptr_ == b.ptr_; }

private:
    std::shared_ptr<void> ptr_;
    const std::type_info* type_ = nullptr;
    Dispatch* dispatch_ = nullptr;
};

using Variant = std::variant<Empty, Boolean, Integer, Long, Single, Double, std::string, Object>;

enum class InvokeKind { Method, PropertyGet, PropertyLet, PropertySet };

// Late binding: a member called by name. Arguments are passed by reference (a callee may
// change them). Throws RuntimeError 438 for a member the object does not have.
class Dispatch {
public:
    virtual ~Dispatch() = default;
    virtual Variant Invoke(const std::string& name, InvokeKind kind,
                           std::vector<Variant>& args) = 0;
};

// VarType-like name of what a Variant holds, for messages: "Empty", "Integer", ...
const char* TypeName(const Variant& v) noexcept;

// The coercions of a Let through a Variant.
Boolean CBool(const Variant& v);
Integer CInt(const Variant& v);
Long CLng(const Variant& v);
Single CSng(const Variant& v);
Double CDbl(const Variant& v);
std::string CStr(const Variant& v);
// An object argument: Empty and non-objects give error 13; Nothing is allowed.
Object CObj(const Variant& v);

}  // namespace sheenwork::vb
