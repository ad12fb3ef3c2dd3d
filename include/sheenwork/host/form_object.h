// What makes an object a form to the library (TypeOf x Is Form): a top-level window of
// the host, which can own the library's popups (a tooltip). A host's form object derives
// from it besides its late-bound interface.
#pragma once

namespace sheenwork::host {

class FormObject {
public:
    virtual ~FormObject() = default;
};

}  // namespace sheenwork::host
