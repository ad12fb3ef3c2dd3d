// The four entry points of libsheenwork.so: each hands the library's description to the
// runtime's matching service (runtime/registration.h). Windows has COM's own
// (platform/host/win32).
#include <sheenwork/runtime/library.h>
#include <sheenwork/runtime/registration.h>

extern "C" {

std::int32_t DllRegisterServer() noexcept {
    return static_cast<std::int32_t>(
        sheenwork::runtime::RegisterServer(sheenwork::SheenworkLibrary()));
}

std::int32_t DllUnregisterServer() noexcept {
    return static_cast<std::int32_t>(
        sheenwork::runtime::UnregisterServer(sheenwork::SheenworkLibrary()));
}

std::int32_t DllGetClassObject(const sheenwork::runtime::Guid* clsid,
                               const sheenwork::runtime::Guid* iid, void** factory) noexcept {
    return static_cast<std::int32_t>(
        sheenwork::runtime::GetClassObject(sheenwork::SheenworkLibrary(), clsid, iid, factory));
}

std::int32_t DllCanUnloadNow() noexcept {
    return static_cast<std::int32_t>(sheenwork::runtime::CanUnloadNow());
}

}  // extern "C"
