// The window classes of the platform layer, as CreateWindowExA makes them.
#pragma once

#include <sheenwork/user/user.h>

#include <cstdint>
#include <memory>

namespace sheenwork::user {

// "tooltips_class32": `self` is the popup the host made for it.
std::unique_ptr<WindowProcedure> MakeToolTipWindow(WindowHost& host, Hwnd self,
                                                   std::uint32_t style);

}  // namespace sheenwork::user
