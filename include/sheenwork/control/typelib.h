// The type library: every member of the control's default interface in interface order,
// with its type, access, help string and dispatch identifier, and the events with
// theirs. One table drives late-bound calls, the form file reader and the property list.
#pragma once

#include <sheenwork/vb/variant.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork {

class sheenButton;

enum class Access { Get, GetLet, GetSet, Method };

struct MemberInfo {
    const char* name;
    const char* type;  // "String", "OLE_COLOR", an enumeration's name, "" for a method
    Access access;
    const char* help;  // as the property browser shows it
    long dispid;
    vb::Variant (*get)(const sheenButton&);
    void (*put)(sheenButton&, const vb::Variant&);
    void (*call)(sheenButton&);
};

struct EventInfo {
    long dispid;
    const char* name;
    const char* parameters;  // as declared, every one by reference
    const char* help;
};

// The standard About-box dispatch identifier.
inline constexpr long DISPID_ABOUTBOX = -552;

std::span<const MemberInfo> sheenButtonMembers();
std::span<const EventInfo> sheenButtonEventInfo();

// A member by name (without regard to case, as late binding finds it) or by dispatch
// identifier; null when there is none.
const MemberInfo* FindMember(std::string_view name);
const MemberInfo* FindMember(long dispid);

// The outcome of a late-bound call: error 0 and the value, or the error that a caller
// of IDispatch::Invoke would see (438 no such member, 450 wrong use, 13 type mismatch).
// Errors inside the member itself never come back: the member's own trap handles them.
struct InvokeResult {
    long error = 0;
    std::string description;
    vb::Variant value;
};

InvokeResult Invoke(sheenButton& button, std::string_view name, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);
InvokeResult Invoke(sheenButton& button, long dispid, vb::InvokeKind kind,
                    std::vector<vb::Variant>& args);

}  // namespace sheenwork
