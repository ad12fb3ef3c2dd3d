// The type library: the members of each published class's default interface in
// interface order, with their types, access, help strings, parameters and dispatch
// identifiers, the control's events and the enumerations. One table per class drives
// late-bound calls, the form file reader and the property list; the runtime's class
// table (runtime/library.h) points at the same rows.
#pragma once

#include <sheenwork/vb/variant.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork {

class sheenButton;
class SpEv;
class Error;

enum class Access { Get, GetLet, GetSet, Method };

// A parameter as the interface declares it. A missing optional argument takes
// `default_value`, written as the value's text ("" for an empty String).
struct ParamInfo {
    const char* name;
    const char* type;
    bool by_ref = true;
    bool optional = false;
    const char* default_value = "";
};

struct MemberInfo {
    const char* name;
    const char* type;  // the property's type or the method's result; "" for none
    Access access;
    const char* help;  // as the property browser shows it
    long dispid;
    std::span<const ParamInfo> params;
};

struct EventInfo {
    long dispid;
    const char* name;
    std::span<const ParamInfo> params;  // every one by reference
    const char* help;
};

struct EnumMember {
    const char* name;
    long value;
    const char* help;
};

struct EnumInfo {
    const char* name;
    std::span<const EnumMember> members;
};

// A key of a control's property bag and the type of the value stored under it: what a
// form file may hold for the control. Color is a Long holding a host colour value.
enum class PersistedType { String, Long, Color, Single, Integer, Boolean, Font, Picture };

struct PersistedProperty {
    const char* key;  // exactly as the control reads and writes it
    PersistedType type;
};

// The standard About-box dispatch identifier.
inline constexpr long DISPID_ABOUTBOX = -552;

std::span<const MemberInfo> sheenButtonMembers();
std::span<const EventInfo> sheenButtonEventInfo();
std::span<const MemberInfo> SpEvMembers();
std::span<const MemberInfo> ErrorMembers();
std::span<const EnumInfo> Enumerations();
// The keys sheenButton reads from its property bag, in reading order.
std::span<const PersistedProperty> sheenButtonPersisted();

// A member of `members` by name (without regard to case, as late binding finds it) or by
// dispatch identifier; null when there is none.
const MemberInfo* FindMember(std::span<const MemberInfo> members, std::string_view name);
const MemberInfo* FindMember(std::span<const MemberInfo> members, long dispid);
// The same among the button's members.
const MemberInfo* FindMember(std::string_view name);
const MemberInfo* FindMember(long dispid);

// The outcome of a late-bound call: error 0 and the value, or the error that a caller
// of IDispatch::Invoke would see (438 no such member, 450 wrong use or number of
// arguments, 13 type mismatch). Errors inside the member itself never come back: the
// member's own trap handles them.
struct InvokeResult {
    long error = 0;
    std::string description;
    vb::Variant value;
};

// Late-bound calls, by name or by dispatch identifier. Arguments are in declaration
// order; trailing optional ones may be left out.
InvokeResult Invoke(sheenButton& button, std::string_view name, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);
InvokeResult Invoke(sheenButton& button, long dispid, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);
InvokeResult Invoke(SpEv& spev, std::string_view name, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);
InvokeResult Invoke(SpEv& spev, long dispid, vb::InvokeKind kind, std::vector<vb::Variant>& args);
InvokeResult Invoke(Error& error, std::string_view name, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);
InvokeResult Invoke(Error& error, long dispid, vb::InvokeKind kind, std::vector<vb::Variant>& args);

}  // namespace sheenwork
