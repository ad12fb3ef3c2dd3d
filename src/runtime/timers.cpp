#include <sheenwork/runtime/timers.h>

#include <algorithm>

namespace sheenwork::runtime {

Timers::Id Timers::Create(std::function<void()> tick) {
    const Id id = next_++;
    timers_[id].tick = std::move(tick);
    return id;
}

void Timers::Destroy(Id id) { timers_.erase(id); }

void Timers::Enable(Id id, bool on) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    Timer& t = it->second;
    if (on && !t.enabled) t.due = clock_.Now() + std::max(t.interval, kTimerMinimum);
    t.enabled = on;
}

void Timers::Interval(Id id, Millis interval) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    Timer& t = it->second;
    t.interval = interval;
    if (t.enabled) t.due = clock_.Now() + std::max(t.interval, kTimerMinimum);
}

bool Timers::Enabled(Id id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second.enabled;
}

Millis Timers::EffectiveInterval(Id id) const {
    const auto it = timers_.find(id);
    return it == timers_.end() ? kTimerMinimum : std::max(it->second.interval, kTimerMinimum);
}

std::optional<Millis> Timers::NextDue() const {
    std::optional<Millis> next;
    for (const auto& [id, t] : timers_)
        if (t.enabled && (!next || t.due < *next)) next = t.due;
    return next;
}

bool Timers::RunOneDue() {
    const Millis now = clock_.Now();
    auto earliest = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->second.enabled && it->second.due <= now &&
            (earliest == timers_.end() || it->second.due < earliest->second.due))
            earliest = it;
    if (earliest == timers_.end()) return false;
    // One tick however late it is; the next interval starts now.
    Timer& t = earliest->second;
    t.due = now + std::max(t.interval, kTimerMinimum);
    const auto tick = t.tick;  // the tick may destroy its own timer
    if (tick) tick();
    return true;
}

}  // namespace sheenwork::runtime
