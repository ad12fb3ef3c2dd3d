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
    // The whole file as it is; "" for an empty file. A missing file is an error.
    std::string TextRead(std::string& Filename);
    // Creates or empties the file and writes Text with no line end added.
    void TextSave(std::string& Filename, std::string& Text);
    // Starts the wave file asynchronously; a missing file plays nothing.
    void PlayMusic(std::string& Filename);
    // One line per item of the list (any object with ListCount, List(i) and AddItem):
    // before & item & after & CR LF.
    void ListSave(vb::Variant& List, std::string& Filename, std::string TextBeforeListText = "",
                  std::string TextAfterListText = "");
    // Adds each line of the file to the list, keeping what the list already holds.
    void ListRead(vb::Variant& List, std::string& Filename);
    vb::Boolean FileExists(std::string& sFile);
    cActiveXPTheme ActiveXPTheme();
    cMouseButton MouseButtonPressed();

private:
    vb::Boolean IsWinXP();
    std::string ConvUnicode(std::string& s);
};

// The predeclared global instance.
SpEv& SpEvObject() noexcept;

}  // namespace sheenwork
