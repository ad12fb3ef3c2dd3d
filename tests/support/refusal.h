// What a call that must refuse says: the text of the error it throws, so that a test
// compares it in one expectation, and "accepted" when it throws nothing.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace sheenwork::testing {

// The error of type E that `call` throws, as `text` gives it (its what() unless given).
// An error of another type goes on to the test, which fails with it.
template <class E = std::exception, class F>
std::string Refusal(
    F&& call, const std::function<std::string(const E&)>& text = [](const E& e) {
        return std::string(e.what());
    }) {
    try {
        call();
    } catch (const E& e) {
        return text(e);
    }
    return "accepted";
}

}  // namespace sheenwork::testing
