// VB run-time errors: the classic numbers and texts, thrown as C++ exceptions.
//
// The control's code relies on VB raising errors (Overflow from CLng, Invalid property
// value from a property Let, ...) and on callers seeing VB's number and text, so every
// error this layer raises is a RuntimeError carrying both.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace sheenwork::vb {

// Err.Number is a VB Long; `long` holds every value including vbObjectError + n.
inline constexpr long vbObjectError = -2147221504;  // 0x80040000

class RuntimeError : public std::exception {
public:
    RuntimeError(long number, std::string description, std::string source = {});

    long Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    // Empty unless the raiser named one (VB would put the project name there).
    const std::string& Source() const noexcept { return source_; }
    // VB's message box text on one line: "Run-time error '6': Overflow".
    const char* what() const noexcept override { return what_.c_str(); }

private:
    long number_;
    std::string description_;
    std::string source_;
    std::string what_;
};

// Err.Raise: an empty description becomes ErrorText(number). Raising 0 is itself an
// invalid call in VB, so it raises 5 instead.
[[noreturn]] void Raise(long number, std::string source = {}, std::string description = {});

// The description VB gives error `number`: its own text for the numbers it knows,
// "Automation error" for negative numbers (HRESULTs; no system text is looked up), ""
// for 0, and "Application-defined or object-defined error" for anything else.
std::string_view ErrorText(long number);

}  // namespace sheenwork::vb
