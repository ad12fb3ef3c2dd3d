// The in-process COM server inside sheenwork.dll: what its parts share. The entry points
// and the class factory are in server.cpp, late binding in automation.cpp, the ActiveX
// control in control.cpp and its site in site.cpp.
#pragma once

#include <sheenwork/control/typelib.h>
#include <sheenwork/host/site.h>
#include <sheenwork/runtime/description.h>

#include <span>

#include "platform/win32/com.h"

namespace sheenwork::win32 {

// The library file.
HMODULE Module();

// The description of one of the library's classes, and their identifiers both ways.
GUID ToGuid(const runtime::Guid& guid);
runtime::Guid FromGuid(const GUID& guid);

// A type of the library's own type library (its TYPELIB resource), by identifier.
ComPtr<ITypeInfo> TypeInfoOf(const GUID& guid);

// IDispatch::GetIDsOfNames and Invoke over a class's members (runtime::Object::Invoke
// by dispatch identifier): positional arguments in declaration order, the value of a
// property assignment as the named argument, trailing optional arguments left out, the
// member's errors as the automation errors a caller expects.
HRESULT IdsOfNames(std::span<const MemberInfo> members, LPOLESTR* names, UINT count, DISPID* ids);
HRESULT InvokeMember(runtime::Object& object, std::span<const MemberInfo> members, DISPID id,
                     WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                     UINT* arg_error);

// New instances for the class factory: the automation objects SpEv and Error, and the
// control.
ComPtr<IUnknown> NewAutomationObject(const runtime::ClassDescription& cls);
ComPtr<IUnknown> NewButtonControl(const runtime::ClassDescription& cls);

// The modal About window, owned by `owner`: the texts, a button per link (opened through
// the shell) and one that closes it.
void ShowAboutWindow(HWND owner, const host::AboutInfo& info);

}  // namespace sheenwork::win32
