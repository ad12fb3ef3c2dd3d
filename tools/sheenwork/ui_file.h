// A form file as a Qt Designer .ui file and back, for `sheenwork convert`: the form is a
// QWidget, each sheenButton a sheenwork::qt::Button with its properties as the Qt
// widget's properties, so that Designer edits it, uic compiles it and QUiLoader loads it.
//
// What the .ui format cannot hold as the widget shows it travels beside it and comes back
// exactly: a font's fraction of a point, weight and character set (the button's
// ExactFonts), the form's back colour when it is a system colour, and the form's font
// (dynamic properties of the form). Colours that are not plain colours keep their value
// in the colour's alpha, as the widget's properties do.
#pragma once

#include <sheenwork/runtime/form_file.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::cli {

// The .ui text of `form`, to be written at `path` (picture paths relative to its folder).
// Throws runtime::FormFileError for a value XML cannot carry exactly (a control
// character, bytes that are not UTF-8).
std::string FormatUiFile(const runtime::FormFile& form, const std::filesystem::path& path);

// A .ui file's form: the top widget as the form, each sheenwork::qt::Button in it (in
// containers too, placed by their geometry) as a control, pictures loaded relative to
// the file's folder. What a form file cannot hold (other widgets, Qt properties the
// control has no key for) is left out with a line in `notes`. Throws
// runtime::FormFileError naming the file, line and column of what cannot be used.
runtime::FormFile ParseUiFile(std::string_view text, const std::filesystem::path& path,
                              std::vector<std::string>& notes);

// Files larger than this are not read.
inline constexpr std::size_t kMaxUiFileBytes = std::size_t{16} << 20;

}  // namespace sheenwork::cli
