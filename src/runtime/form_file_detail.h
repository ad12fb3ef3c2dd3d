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

// The enumeration a control's key takes its values from: the type of the class's member
// of the key's name, when one of `libraries` publishes an enumeration of that name
// (ButtonStyle takes cButtonStyle). Null for a key of plain values.
const EnumInfo* KeyEnumeration(const Libraries& libraries, const ClassDescription& cls,
                               std::string_view key);
// The member of that name (spelled exactly), or of that value; null when there is none.
const EnumMember* FindEnumMember(const EnumInfo& e, std::string_view name);
const EnumMember* FindEnumMember(const EnumInfo& e, long value);
// "cButtonWinXP = 0, cButtonOffice = 1, cButtonIExplorer = 2", for messages.
std::string EnumMemberList(const EnumInfo& e);

// The one of `names` a person most likely meant by `word`: the one equal to it but for
// case, else the nearest within two typing slips (a letter wrong, missing, extra or two
// letters swapped; one slip for a word of four letters or fewer). "" when none is near.
std::string Nearest(const std::vector<std::string>& names, std::string_view word);

// A form's, control's or key's name: a letter, then letters, digits or "_".
bool IsName(std::string_view s);

}  // namespace sheenwork::runtime::formfile
