#include <sheenwork/vb/error.h>

#include <algorithm>
#include <array>
#include <utility>

namespace sheenwork::vb {
namespace {

struct Entry {
    long number;
    std::string_view text;
};

// The texts of the VB6/VBA run-time, sorted by number for the binary search. Cross-checked
// against VBA's Error$ output; only numbers whose text is known exactly are listed,
// since a wrong text is worse than the generic one.
constexpr std::array kTexts = {
    Entry{3, "Return without GoSub"},
    Entry{5, "Invalid procedure call or argument"},
    Entry{6, "Overflow"},
    Entry{7, "Out of memory"},
    Entry{9, "Subscript out of range"},
    Entry{10, "This array is fixed or temporarily locked"},
    Entry{11, "Division by zero"},
    Entry{13, "Type mismatch"},
    Entry{14, "Out of string space"},
    Entry{16, "Expression too complex"},
    Entry{17, "Can't perform requested operation"},
    Entry{18, "User interrupt occurred"},
    Entry{20, "Resume without error"},
    Entry{28, "Out of stack space"},
    Entry{35, "Sub or Function not defined"},
    Entry{47, "Too many DLL application clients"},
    Entry{48, "Error in loading DLL"},
    Entry{49, "Bad DLL calling convention"},
    Entry{51, "Internal error"},
    Entry{52, "Bad file name or number"},
    Entry{53, "File not found"},
    Entry{54, "Bad file mode"},
    Entry{55, "File already open"},
    Entry{57, "Device I/O error"},
    Entry{58, "File already exists"},
    Entry{59, "Bad record length"},
    Entry{61, "Disk full"},
    Entry{62, "Input past end of file"},
    Entry{63, "Bad record number"},
    Entry{67, "Too many files"},
    Entry{68, "Device unavailable"},
    Entry{70, "Permission denied"},
    Entry{71, "Disk not ready"},
    Entry{74, "Can't rename with different drive"},
    Entry{75, "Path/File access error"},
    Entry{76, "Path not found"},
    Entry{91, "Object variable or With block variable not set"},
    Entry{92, "For loop not initialized"},
    Entry{93, "Invalid pattern string"},
    Entry{94, "Invalid use of Null"},
    Entry{321, "Invalid file format"},
    Entry{322, "Can't create necessary temporary file"},
    Entry{325, "Invalid format in resource file"},
    Entry{380, "Invalid property value"},
    Entry{381, "Invalid property array index"},
    Entry{382, "Set not supported at runtime"},
    Entry{383, "Set not supported (read-only property)"},
    Entry{385, "Need property array index"},
    Entry{387, "Set not permitted"},
    Entry{393, "Get not supported at runtime"},
    Entry{394, "Get not supported (write-only property)"},
    Entry{422, "Property not found"},
    Entry{423, "Property or method not found"},
    Entry{424, "Object required"},
    Entry{429, "ActiveX component can't create object"},
    Entry{430, "Class does not support Automation or does not support expected interface"},
    Entry{432, "File name or class name not found during Automation operation"},
    Entry{438, "Object doesn't support this property or method"},
    Entry{440, "Automation error"},
    Entry{443, "Automation object does not have a default value"},
    Entry{445, "Object doesn't support this action"},
    Entry{446, "Object doesn't support named arguments"},
    Entry{447, "Object doesn't support current locale setting"},
    Entry{448, "Named argument not found"},
    Entry{449, "Argument not optional"},
    Entry{450, "Wrong number of arguments or invalid property assignment"},
    Entry{451,
          "Property let procedure not defined and property get procedure did not "
          "return an object"},
    Entry{452, "Invalid ordinal"},
    Entry{454, "Code resource not found"},
    Entry{455, "Code resource lock error"},
    Entry{457, "This key is already associated with an element of this collection"},
    Entry{458, "Variable uses an Automation type not supported in Visual Basic"},
    Entry{459, "Object or class does not support the set of events"},
    Entry{460, "Invalid clipboard format"},
    Entry{461, "Method or data member not found"},
    Entry{462, "The remote server machine does not exist or is unavailable"},
    Entry{463, "Class not registered on local machine"},
    Entry{481, "Invalid picture"},
    Entry{482, "Printer error"},
    Entry{735, "Can't save file to TEMP"},
    Entry{744, "Search text not found"},
    Entry{746, "Replacements too long"},
};
static_assert(std::is_sorted(kTexts.begin(), kTexts.end(),
                             [](const Entry& a, const Entry& b) { return a.number < b.number; }));

std::string WhatText(long number, const std::string& description) {
    return "Run-time error '" + std::to_string(number) + "': " + description;
}

}  // namespace

RuntimeError::RuntimeError(long number, std::string description, std::string source)
    : number_(number),
      description_(std::move(description)),
      source_(std::move(source)),
      what_(WhatText(number_, description_)) {}

void Raise(long number, std::string source, std::string description) {
    if (number == 0) {
        number = 5;
        description.clear();
    }
    if (description.empty()) description = ErrorText(number);
    throw RuntimeError(number, std::move(description), std::move(source));
}

std::string_view ErrorText(long number) {
    if (number == 0) return {};
    if (number < 0) return "Automation error";
    const auto it = std::lower_bound(kTexts.begin(), kTexts.end(), number,
                                     [](const Entry& e, long n) { return e.number < n; });
    if (it != kTexts.end() && it->number == number) return it->text;
    return "Application-defined or object-defined error";
}

}  // namespace sheenwork::vb
