// The runtime's timers, on its clock. As the platform's timers do: an interval below the
// platform minimum of 10 ms runs at 10 ms (so a 1 ms timer means "as often as the host's
// timer allows"), an overdue timer ticks once and not once per missed interval, and the
// next tick is due one interval after the tick ran.
#pragma once

#include <sheenwork/runtime/clock.h>

#include <functional>
#include <map>
#include <optional>

namespace sheenwork::runtime {

inline constexpr Millis kTimerMinimum{10};

class Timers {
public:
    using Id = int;
    explicit Timers(const Clock& clock) : clock_(clock) {}

    // A new timer, disabled, that calls `tick` when it is due.
    Id Create(std::function<void()> tick);
    void Destroy(Id id);
    // Enabling (or changing the interval of an enabled timer) starts a fresh interval.
    void Enable(Id id, bool on);
    void Interval(Id id, Millis interval);
    bool Enabled(Id id) const;
    // The effective interval: the one set, at least the platform minimum.
    Millis EffectiveInterval(Id id) const;

    // When the next enabled timer is due, if any.
    std::optional<Millis> NextDue() const;
    // Runs the timer that is due earliest, if one is due at the clock's time (ties in the
    // order the timers were created). Returns whether one ran. A tick may create, destroy
    // or switch timers, itself included.
    bool RunOneDue();

private:
    struct Timer {
        std::function<void()> tick;
        Millis interval{0};
        bool enabled = false;
        Millis due{0};
    };
    const Clock& clock_;
    std::map<Id, Timer> timers_;
    Id next_ = 1;
};

}  // namespace sheenwork::runtime
