#include <sheenwork/vb/error.h>
#include <sheenwork/vb/variant.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace sheenwork::vb {
namespace {

constexpr long kTypeMismatch = 13;

// A string as VB reads a number from it: blanks around, "True"/"False", otherwise a
// decimal number with the C locale's point. Anything else is a type mismatch; a number
// beyond a Double ("1e999") or an &H literal beyond 32 bits overflows, and one too small
// for a Double ("1e-999") is 0.
Double ParseNumber(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) Raise(kTypeMismatch);
    const auto last = s.find_last_not_of(" \t");
    const std::string t = s.substr(first, last - first + 1);
    if (t == "True" || t == "true" || t == "TRUE") return -1;
    if (t == "False" || t == "false" || t == "FALSE") return 0;
    // The C conversions read more than VB does (blanks and a sign after "&H"; "inf", "nan"
    // and hexadecimal numbers for strtod): only VB's own characters reach them.
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        if (t.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
            Raise(kTypeMismatch);
        errno = 0;
        const unsigned long long v = std::strtoull(t.c_str() + 2, nullptr, 16);
        if (errno == ERANGE || v > 0xFFFFFFFFull) Raise(kErrOverflow);
        // &H literals are Longs: &HFFFFFFFF is -1.
        return static_cast<Double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
    }
    if (t.find_first_not_of("0123456789+-.eE") != std::string::npos) Raise(kTypeMismatch);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end) Raise(kTypeMismatch);
    if (std::isinf(v)) Raise(kErrOverflow);
    return v;
}

Double ToDouble(const Variant& v) {
    struct Visitor {
        Double operator()(Empty) const { return 0; }
        Double operator()(Boolean b) const { return b.Bits(); }
        Double operator()(Integer i) const { return i; }
        Double operator()(Long l) const { return l; }
        Double operator()(Single s) const { return s; }
        Double operator()(Double d) const { return d; }
        Double operator()(const std::string& s) const { return ParseNumber(s); }
        Double operator()(const Object&) const { Raise(kTypeMismatch); }
    };
    return std::visit(Visitor{}, v);
}

std::string NumberText(Double d) {
    if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<long long>(d));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}

}  // namespace

const char* TypeName(const Variant& v) noexcept {
    static constexpr const char* kNames[] = {"Empty",  "Boolean", "Integer", "Long",
                                             "Single", "Double",  "String",  "Object"};
    return kNames[v.index()];
}

Boolean CBool(const Variant& v) {
    if (const auto* b = std::get_if<Boolean>(&v)) return *b;
    return Boolean(ToDouble(v) != 0);
}

Integer CInt(const Variant& v) {
    if (const auto* b = std::get_if<Boolean>(&v)) return b->Bits();
    return CInt(ToDouble(v));
}

Long CLng(const Variant& v) {
    if (const auto* b = std::get_if<Boolean>(&v)) return b->Bits();
    return CLng(ToDouble(v));
}

Single CSng(const Variant& v) { return CSng(ToDouble(v)); }

Double CDbl(const Variant& v) { return ToDouble(v); }

std::string CStr(const Variant& v) {
    struct Visitor {
        std::string operator()(Empty) const { return {}; }
        std::string operator()(Boolean b) const { return b ? "True" : "False"; }
        std::string operator()(Integer i) const { return std::to_string(i); }
        std::string operator()(Long l) const { return std::to_string(l); }
        std::string operator()(Single s) const {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(s));
            return buf;
        }
        std::string operator()(Double d) const { return NumberText(d); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(const Object&) const { Raise(kTypeMismatch); }
    };
    return std::visit(Visitor{}, v);
}

Object CObj(const Variant& v) {
    if (const auto* o = std::get_if<Object>(&v)) return *o;
    Raise(kTypeMismatch);
}

}  // namespace sheenwork::vb
