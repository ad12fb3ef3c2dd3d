// The control's event interface (__sheenButton in the type library): one method per
// event, every parameter by reference so that a handler can change it and the control
// sees the change. A host derives from sheenButtonEvents and overrides what it handles;
// the defaults do nothing.
#pragma once

#include <sheenwork/host/data_object.h>
#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/convert.h>

namespace sheenwork {

class sheenButtonEvents {
public:
    virtual ~sheenButtonEvents() = default;

    virtual void Click() {}
    virtual void MouseUp(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void MouseMove(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void MouseDown(vb::Integer& Button, vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
        (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void MouseLeave() {}
    virtual void MouseEnter() {}
    virtual void KeyDown(vb::Integer& KeyCode, vb::Integer& Shift) { (void)KeyCode, (void)Shift; }
    virtual void KeyPress(vb::Integer& KeyAscii) { (void)KeyAscii; }
    virtual void KeyUp(vb::Integer& KeyCode, vb::Integer& Shift) { (void)KeyCode, (void)Shift; }
    virtual void OLECompleteDrag(vb::Long& Effect) { (void)Effect; }
    virtual void OLEDragDrop(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                             vb::Integer& Shift, vb::Single& X, vb::Single& Y) {
        (void)Data, (void)Effect, (void)Button, (void)Shift, (void)X, (void)Y;
    }
    virtual void OLEDragOver(host::DataObjectRef& Data, vb::Long& Effect, vb::Integer& Button,
                             vb::Integer& Shift, vb::Single& X, vb::Single& Y, vb::Integer& State) {
        (void)Data, (void)Effect, (void)Button, (void)Shift, (void)X, (void)Y, (void)State;
    }
    virtual void OLEGiveFeedback(vb::Long& Effect, vb::Boolean& DefaultCursors) {
        (void)Effect, (void)DefaultCursors;
    }
    virtual void OLESetData(host::DataObjectRef& Data, vb::Integer& DataFormat) {
        (void)Data, (void)DataFormat;
    }
    virtual void OLEStartDrag(host::DataObjectRef& Data, vb::Long& AllowedEffects) {
        (void)Data, (void)AllowedEffects;
    }
    virtual void DropDown() {}
};

}  // namespace sheenwork
