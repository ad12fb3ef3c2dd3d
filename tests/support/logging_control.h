// A control for runtime tests: logs every notification the runtime sends it, with its
// arguments, as "<name> <notification> <arguments>".
#pragma once

#include <sheenwork/runtime/form.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sheenwork::testing {

struct NotificationLog {
    std::vector<std::string> entries;
    const runtime::Clock* clock = nullptr;             // stamps timer ticks when set
    std::function<void(const std::string&)> on_entry;  // told of each entry as it is added
};

// A factory for "Test.Logger" (an ordinary control) and "Test.Button" (one that acts
// like a button), and the linked controls for classes not of "Test.". Each test control
// answers InitProperties by giving its surface `keys` as access keys when its name is
// listed in `access_keys` ("name=keys").
runtime::ControlFactory LoggingFactory(std::shared_ptr<NotificationLog> log,
                                       std::vector<std::string> access_keys = {});

}  // namespace sheenwork::testing
