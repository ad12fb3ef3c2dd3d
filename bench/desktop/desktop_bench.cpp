// The window host on a real display (run it under Xvfb: make bench does): what a pointer
// resting on a button costs, and how long a press takes to reach the screen.
//
// The host runs its own loop on the benchmark's thread; a second thread plays the user,
// putting mouse events into the host's queue as the display would and reading the host's
// trace to see when their frame is on screen.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/desktop/app.h>

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A trace stream that tells a waiting thread how many frames it has seen: the first
// ("ready") and each after input ("settled").
class Frames final : public std::streambuf {
public:
    int Count() {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    // Waits until more than `seen` frames are on screen; the time the last one came.
    Clock::time_point WaitBeyond(int seen) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return frames_ > seen; });
        return at_;
    }

protected:
    int overflow(int c) override {
        if (c == '\n') {
            const auto ends = [&](const std::string& end) {
                return line_.size() > end.size() &&
                       line_.compare(line_.size() - end.size(), end.size(), end) == 0;
            };
            if (ends(" settled") || ends(" ready")) {
                std::lock_guard lock(mutex_);
                ++frames_;
                at_ = Clock::now();
                changed_.notify_all();
            }
            line_.clear();
        } else if (c != EOF) {
            line_ += static_cast<char>(c);
        }
        return c;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string line_;
    int frames_ = 0;
    Clock::time_point at_;
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Push(Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_MOUSEMOTION) {
        e.motion.windowID = 1;  // the form's window, the first this process made
        e.motion.x = x;
        e.motion.y = y;
    } else {
        e.button.windowID = 1;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
    }
    SDL_PushEvent(&e);
}

// A form of one button; `user` plays on another thread, then the host is told to quit.
template <class User>
void WithHost(benchmark::State& state, User user) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs a display: run under Xvfb (make bench does)");
        return;
    }
    Frames frames;
    std::ostream trace(&frames);
    sheenwork::desktop::Options options;
    options.trace = &trace;
    sheenwork::desktop::App app(options);
    sheenwork::runtime::Form& form = app.CreateForm("Bench", {100, 100}, {200, 60});
    app.AddButton(form, "b", {10, 10}, {90, 26});
    std::thread player([&] {
        frames.WaitBeyond(0);  // shown
        user(frames);
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    app.Run();
    player.join();
}

// The pointer rests on a button for 5 s: its hover timer asks every 10 ms whether the
// pointer is still there, and nothing is drawn. The CPU time of the whole process over
// those 5 s, as a share of one core.
void BM_RestingPointer(benchmark::State& state) {
    for (auto _ : state) {
        double cpu = 0, wall = 0;
        WithHost(state, [&](Frames& frames) {
            Push(SDL_MOUSEMOTION, 20, 20);
            frames.WaitBeyond(frames.Count());
            std::this_thread::sleep_for(std::chrono::milliseconds(30));  // a tick sees it
            const int seen = frames.Count();
            Push(SDL_MOUSEMOTION, 21, 20);  // and now it has entered
            frames.WaitBeyond(seen);
            const double c0 = CpuSeconds();
            const auto t0 = Clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(5));
            cpu = CpuSeconds() - c0;
            wall = std::chrono::duration<double>(Clock::now() - t0).count();
        });
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / std::max(wall, 1e-9);
    }
}
BENCHMARK(BM_RestingPointer)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A press from the moment the display hands it over until its frame (the pressed button)
// is on screen, and the same for the release; the median of 50 each. A frame at 60 Hz
// lasts 16.7 ms.
void BM_PressToScreen(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> ms;
        WithHost(state, [&](Frames& frames) {
            Push(SDL_MOUSEMOTION, 20, 20);
            frames.WaitBeyond(frames.Count());
            for (int i = 0; i < 100; ++i) {
                const int seen = frames.Count();
                const auto t0 = Clock::now();
                Push(i % 2 == 0 ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 20, 20);
                const auto t1 = frames.WaitBeyond(seen);
                ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            }
        });
        if (ms.empty()) continue;
        std::sort(ms.begin(), ms.end());
        state.SetIterationTime(ms[ms.size() / 2] / 1000.0);
        state.counters["median_ms"] = ms[ms.size() / 2];
        state.counters["max_ms"] = ms.back();
    }
}
BENCHMARK(BM_PressToScreen)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
