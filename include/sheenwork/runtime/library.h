// The Sheenwork library as a component: its description (the control sheenButton, the
// global objects SpEv and Error, the enumerations and the toolbox bitmap) and its four
// entry points, exported from libsheenwork.so. Each entry point only hands the
// description to the runtime's matching service (runtime/registration.h).
#pragma once

#include <sheenwork/runtime/description.h>

#include <cstdint>

namespace sheenwork {

const runtime::LibraryDescription& SheenworkLibrary() noexcept;

// The bitmap resource of sheenButton's toolbox picture.
inline constexpr int kToolboxBitmapId = 30000;

}  // namespace sheenwork

// The entry points where the runtime's registration serves the platform (Linux). On
// Windows they are COM's own, as <objbase.h> declares them.
#if !defined(_WIN32)
extern "C" {
std::int32_t DllRegisterServer() noexcept;
std::int32_t DllUnregisterServer() noexcept;
std::int32_t DllGetClassObject(const sheenwork::runtime::Guid* clsid,
                               const sheenwork::runtime::Guid* iid, void** factory) noexcept;
std::int32_t DllCanUnloadNow() noexcept;
}
#endif
