// What the form file's reader and writer share: which classes a form may hold, the keys
// of each kind of block, and how names look.
#pragma once

#include <sheenwork/runtime/description.h>

#include <string>
#include <string_view>
#include <vector>

namespace sheenwork::runtime::formfile {

using Libraries = std::vector<const LibraryDescription*>;

// The control class a programmatic name ("Sheenwork.sheenButton") names; null when none
// of `libraries` has such a control.
const ClassDescription* FindControlClass(const Libraries& libraries, std::string_view prog_id);
// "Sheenwork.sheenButton" (or a list of every control class, comma separated), for
// messages.
std::string ControlClassList(const Libraries& libraries);

const PersistedProperty* FindKey(const ClassDescription& cls, std::string_view key);

// A form's, control's or key's name: a letter, then letters, digits or "_".
bool IsName(std::string_view s);

}  // namespace sheenwork::runtime::formfile
