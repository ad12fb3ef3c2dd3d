// SpEv: the public utility object. Whole text files, list files, a wave sound, file
// existence, the active XP colour scheme and the mouse button held. It has no state; its
// members can be used through the predeclared global instance without creating one.
#pragma once

#include <sheenwork/control/enums.h>
#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/variant.h>

#include <string>

namespace sheenwork {

class SpEv {
public:
    // Files are text in the ANSI code page (vb/ansi.h): what is written is converted to it
    // (a character it lacks becomes "?") and what is read comes back from it. File names
    // are the file system's own and go as they are. The String parameters are taken by
    // reference, as the members declare them; nothing here changes them, so a C++ caller
    // may hand a temporary.

    // The whole file as it is; "" for an empty file. A missing file is an error.
    std::string TextRead(const std::string& Filename);
    // Creates or empties the file and writes Text with no line end added.
    void TextSave(const std::string& Filename, const std::string& Text);
    // Starts the wave file asynchronously; a missing file plays nothing.
    void PlayMusic(const std::string& Filename);
    // One line per item of the list (any object with ListCount, List(i) and AddItem):
    // before & item & after & CR LF.
    void ListSave(vb::Variant& List, const std::string& Filename,
                  const std::string& TextBeforeListText = "",
                  const std::string& TextAfterListText = "");
    // Adds each line of the file to the list, keeping what the list already holds.
    void ListRead(vb::Variant& List, const std::string& Filename);
    vb::Boolean FileExists(const std::string& sFile);
    cActiveXPTheme ActiveXPTheme();
    cMouseButton MouseButtonPressed();

private:
    vb::Boolean IsWinXP();
    std::string ConvUnicode(std::string& s);
};

// The predeclared global instance.
SpEv& SpEvObject() noexcept;

}  // namespace sheenwork
