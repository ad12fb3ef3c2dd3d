// The clock the form runtime's timers run on: virtual in tests and scripted replays (time
// moves only when told to, so every run is the same), the system's steady clock in a real
// host.
#pragma once

#include <chrono>

namespace sheenwork::runtime {

using Millis = std::chrono::milliseconds;

class Clock {
public:
    virtual ~Clock() = default;
    // Time since an arbitrary start; never goes back.
    virtual Millis Now() const = 0;
};

// Time that moves only through Advance.
class VirtualClock final : public Clock {
public:
    Millis Now() const override { return now_; }
    void Advance(Millis by) { now_ += by.count() > 0 ? by : Millis(0); }
    void AdvanceTo(Millis at) {
        if (at > now_) now_ = at;
    }

private:
    Millis now_{0};
};

class SteadyClock final : public Clock {
public:
    Millis Now() const override {
        return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - start_);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace sheenwork::runtime
