// The desktop host's own windows: the message box and the About window, made as forms of
// the runtime (sheenButtons for their buttons, a label control of ours for their text),
// so that they look and answer exactly like the forms around them. The host shows them
// modal; here they are only built and wired.
#pragma once

#include <sheenwork/control/events.h>
#include <sheenwork/host/site.h>
#include <sheenwork/runtime/form.h>

#include <memory>
#include <string>
#include <vector>

namespace sheenwork::desktop {

// The label: text in a font on its form's back colour, wrapped at its width.
inline constexpr char kLabelClass[] = "Sheenwork.Desktop.Label";
// `inner` with the label added.
runtime::ControlFactory WithLabels(runtime::ControlFactory inner);
void SetLabel(runtime::Window& label, const std::string& text, const vb::StdFont& font,
              unsigned format);

// The buttons of a message box style (its low four bits), left to right, each with the
// answer it gives (IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7).
struct BoxButton {
    const char* caption;
    int answer;
};
std::vector<BoxButton> MessageBoxButtons(int style);
// The answer Escape and closing the window give: Cancel where the box has it, OK for a
// box of OK alone, 0 (neither works) for Yes/No and Abort/Retry/Ignore.
int CancelAnswer(int style);

// A dialog on screen: its form, and its answer once a button gave one (0 until then).
struct Dialog {
    runtime::Form* form = nullptr;
    int answer = 0;
    int cancel_answer = 0;
    std::vector<std::unique_ptr<sheenButtonEvents>> handlers;
};

// The box of `request`, centred on `owner` (a screen rectangle) and kept on `screen`.
std::unique_ptr<Dialog> MakeMessageBox(runtime::Runtime& runtime,
                                       const runtime::MessageBoxRequest& request, gdi::Rect owner);
// The About window of `info`: its lines, a button per link (opened through the shell)
// and OK.
std::unique_ptr<Dialog> MakeAbout(runtime::Runtime& runtime, const host::AboutInfo& info,
                                  gdi::Rect owner);

// Where a dialog of width x height goes: centred on `owner`, moved onto `screen` where it
// would stick out.
gdi::Rect CentredOn(gdi::Rect owner, int width, int height, gdi::Rect screen);

}  // namespace sheenwork::desktop
