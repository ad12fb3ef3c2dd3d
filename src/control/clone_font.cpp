// CloneFont of module basButton.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdfont.h>

namespace sheenwork {

host::FontRef CloneFont(const host::FontRef& font) {
    Procedure p{"CloneFont", ModuleKind::StandardModule, "basButton"};
    host::FontRef copy;
    p([&] {
        if (font) copy = font->Clone();
    });
    return copy;
}

}  // namespace sheenwork
