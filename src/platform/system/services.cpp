#include <sheenwork/system/services.h>

namespace sheenwork::system {

namespace {
Services* g_installed = nullptr;
}  // namespace

Services& Current() noexcept {
    if (g_installed) return *g_installed;
    static const std::unique_ptr<Services> fallback = MakeDefaultServices();
    return *fallback;
}

void Install(Services* services) noexcept { g_installed = services; }
Services* Installed() noexcept { return g_installed; }

ServicesOverlay::ServicesOverlay() : ForwardingServices(Current()), previous_(Installed()) {
    Install(this);
}

ServicesOverlay::~ServicesOverlay() {
    if (Installed() == this) Install(previous_);
}

}  // namespace sheenwork::system
