// The desktop host on SDL2. One loop serves every window: it sleeps until input, a
// command or the runtime's next timer is due (SleepFor), hands each input to the runtime
// as the scripted driver would, runs the posted work and the due timers, and then shows
// what changed: a window per form and per visible popup, composed only when something
// was drawn or moved. Message boxes and the About window run the same loop modally, so
// timers, tooltips and the other windows' repaints go on while they are open.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/desktop/app.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/runtime/controls.h>
#include <sheenwork/runtime/form_file.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/color.h>

#include <poll.h>
#include <unistd.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "desktop/dialogs.h"
#include "desktop/tracking_gdi.h"
#include "desktop/translate.h"

namespace sheenwork::desktop {

using runtime::Millis;

namespace {

// Lines from standard input, read on a thread of their own (the loop sleeps in SDL,
// which waits for nothing but its own events) and handed over with an SDL event that
// wakes the loop.
class CommandReader {
public:
    explicit CommandReader(std::uint32_t wake_event) : wake_event_(wake_event) {
        if (pipe(stop_) != 0) stop_[0] = stop_[1] = -1;
        thread_ = std::thread([this] { Read(); });
    }
    ~CommandReader() {
        if (stop_[1] >= 0) {
            const char c = 0;
            (void)!write(stop_[1], &c, 1);
        }
        thread_.join();
        for (int fd : stop_)
            if (fd >= 0) close(fd);
    }
    std::deque<std::string> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

private:
    void Read() {
        std::string pending;
        for (;;) {
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(fds, stop_[0] >= 0 ? 2 : 1, -1) < 0) return;
            if (fds[1].revents) return;
            char buf[256];
            const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
            if (n <= 0) return;
            pending.append(buf, static_cast<std::size_t>(n));
            bool any = false;
            for (std::size_t at; (at = pending.find('\n')) != std::string::npos;) {
                std::lock_guard lock(mutex_);
                lines_.push_back(pending.substr(0, at));
                pending.erase(0, at + 1);
                any = true;
            }
            if (any) {
                SDL_Event e{};
                e.type = wake_event_;
                SDL_PushEvent(&e);
            }
        }
    }
    std::uint32_t wake_event_;
    int stop_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<std::string> lines_;
    std::thread thread_;
};

struct FormWindow {
    SDL_Window* window = nullptr;
    gdi::Rect rect;
    std::string caption;
    std::vector<std::tuple<long, gdi::Rect, bool>> layout;  // the controls as last shown
};

struct PopupWindow {
    SDL_Window* window = nullptr;
    gdi::Rect rect;
    bool shown = false;
};

}  // namespace

class App::Host {
public:
    explicit Host(Options options);
    ~Host();

    Options options;
    std::ostream* trace = nullptr;
    runtime::SteadyClock clock;
    TrackingGdi gdi{gdi::MakeRasterGdi()};
    std::unique_ptr<runtime::Runtime> runtime;

    runtime::Form& NewForm(const std::string& name, runtime::Position at, runtime::Size size,
                           bool popup);
    int Run();
    void Quit(int code) {
        quit_ = true;
        exit_code_ = code;
    }

private:
    void Iterate();
    void Fill(std::optional<int> timeout);
    void Handle(const SDL_Event& e, const SDL_Event* next);
    void HandleWindowEvent(const SDL_WindowEvent& e);
    void HandleCommand(const std::string& line);
    void Sync();
    void SyncForm(runtime::Form& form, bool& present_all);
    void SyncPopups(bool& present_all);
    void Present(SDL_Window* window, const std::vector<gdi::ColorRef>& pixels, int width,
                 int height, gdi::ColorRef fill = 0);
    void UpdateCursor();
    int RunModal(Dialog& dialog);

    // Which form a window shows: its form's hwnd (a popup's form for a popup window), and
    // the screen point its top-left pixel shows; false for none of ours.
    bool Locate(std::uint32_t window_id, long& form, gdi::Point& origin) const;
    bool Blocked(long form) const { return !modal_.empty() && form != modal_.back(); }
    SDL_Window* WindowOf(long form) const;
    void Move(gdi::Point screen);
    void ClosePopupForms(long except);
    void GiveFocusBack();
    void Say(const std::string& line);

    std::map<long, FormWindow> forms_;
    std::map<long, PopupWindow> popups_;
    std::set<long> popup_forms_;
    std::vector<long> modal_;  // dialog forms, the innermost last
    std::map<long, Dialog*> dialogs_;
    std::deque<SDL_Event> queue_;
    std::set<std::uint32_t> exposed_;
    bool quit_ = false;
    int exit_code_ = 0;
    bool ready_ = false;
    bool handled_ = false;  // input or a command since the last "settled"
    bool altgr_ = false;
    std::set<int> swallowed_keys_;  // keys the host took (Escape closing a menu)
    std::vector<std::string> replies_;
    std::vector<std::pair<Millis, long long>> waits_;
    std::uint32_t command_event_ = 0;
    std::unique_ptr<CommandReader> commands_;
    std::map<int, SDL_Cursor*> system_cursors_;
    std::map<const void*, SDL_Cursor*> picture_cursors_;
    SDL_Cursor* cursor_ = nullptr;
};

App::Host::Host(Options o) : options(std::move(o)) {
    options.scale = std::clamp(options.scale, 1, 8);
    trace = options.trace;
    if (const char* env = std::getenv("SHEENWORK_TRACE"); !trace && env && std::string(env) == "1")
        trace = &std::cout;
    // The press that brings a window the keyboard reaches it, as on Windows (SDL would
    // drop one that comes within 10 ms of the focus).
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Windows show the runtime's pixels through the window system's own framebuffer: a
    // framebuffer through a 3-D renderer would make SDL replace each window by a new one
    // at its first picture, losing what was set on the first (the title's UTF-8 names).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        throw DisplayError(std::string("cannot open the display: ") + SDL_GetError());
    // Without a display SDL would quietly pick a driver that shows nothing; only a driver
    // asked for by name may be one of those.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if ((driver == "offscreen" || driver == "dummy") && !(asked && driver == asked)) {
        SDL_Quit();
        throw DisplayError("cannot open the display: no X11 or Wayland display (DISPLAY unset?)");
    }
    TolerateGoneWindows();
    SDL_Rect bounds{0, 0, 1024, 768};
    SDL_GetDisplayBounds(0, &bounds);
    runtime = std::make_unique<runtime::Runtime>(
        clock, gdi, WithLabels(options.controls ? options.controls : runtime::LinkedControls()));
    const int s = options.scale;
    runtime->Screen(
        {bounds.x / s, bounds.y / s, (bounds.x + bounds.w) / s, (bounds.y + bounds.h) / s});
    runtime->OnMessageBox([this](const runtime::MessageBoxRequest& request) {
        runtime::Form* owner = runtime->ActiveForm();
        const auto box =
            MakeMessageBox(*runtime, request, owner ? owner->ScreenRect() : runtime->Screen());
        const int answer = RunModal(*box);
        return answer != 0 ? answer : box->cancel_answer;
    });
    runtime->OnAbout([this](const host::AboutInfo& info) {
        runtime::Form* owner = runtime->ActiveForm();
        const auto about =
            MakeAbout(*runtime, info, owner ? owner->ScreenRect() : runtime->Screen());
        RunModal(*about);
    });
    command_event_ = SDL_RegisterEvents(1);
    if (trace) commands_ = std::make_unique<CommandReader>(command_event_);
}

App::Host::~Host() {
    commands_.reset();
    // The forms first (their controls may still call the services), then the windows.
    runtime.reset();
    for (auto& [hwnd, f] : forms_) SDL_DestroyWindow(f.window);
    for (auto& [hwnd, p] : popups_) SDL_DestroyWindow(p.window);
    for (auto& [id, c] : system_cursors_) SDL_FreeCursor(c);
    for (auto& [picture, c] : picture_cursors_) SDL_FreeCursor(c);
    SDL_Quit();
}

runtime::Form& App::Host::NewForm(const std::string& name, runtime::Position at, runtime::Size size,
                                  bool popup) {
    runtime::Form& form = runtime->CreateForm(name, at, size);
    if (popup) popup_forms_.insert(form.Hwnd());
    return form;
}

void App::Host::Say(const std::string& line) {
    if (trace) *trace << "@" << clock.Now().count() << " " << line << "\n";
}

int App::Host::Run() {
    while (!quit_) {
        bool any = false;
        for (runtime::Form* f : runtime->Forms()) any = any || !dialogs_.count(f->Hwnd());
        if (!any) break;
        Iterate();
    }
    Sync();
    if (trace) trace->flush();
    return exit_code_;
}

void App::Host::Iterate() {
    Sync();
    std::optional<Millis> deadline;
    for (const auto& w : waits_)
        if (!deadline || w.first < *deadline) deadline = w.first;
    const auto sleep = SleepFor(clock.Now(), runtime->Pending() || !queue_.empty(),
                                runtime->NextTimerDue(), deadline);
    if (queue_.empty()) Fill(sleep);
    while (!queue_.empty() && !quit_) {
        const SDL_Event e = queue_.front();
        queue_.pop_front();
        Handle(e, queue_.empty() ? nullptr : &queue_.front());
    }
    runtime->DoEvents();
    const Millis now = clock.Now();
    std::erase_if(waits_, [&](const auto& w) {
        if (w.first > now) return false;
        replies_.push_back("waited " + std::to_string(w.second));
        return true;
    });
}

void App::Host::Fill(std::optional<int> timeout) {
    SDL_Event e;
    const int got = timeout ? SDL_WaitEventTimeout(&e, *timeout) : SDL_WaitEvent(&e);
    if (!got) return;
    queue_.push_back(e);
    while (SDL_PollEvent(&e)) queue_.push_back(e);
}

bool App::Host::Locate(std::uint32_t window_id, long& form, gdi::Point& origin) const {
    SDL_Window* w = SDL_GetWindowFromID(window_id);
    if (!w) return false;
    for (const auto& [hwnd, f] : forms_)
        if (f.window == w) {
            form = hwnd;
            origin = {f.rect.left, f.rect.top};
            return true;
        }
    for (runtime::Form* f : runtime->Forms())
        for (runtime::Popup* p : f->Popups())
            if (const auto it = popups_.find(p->Hwnd());
                it != popups_.end() && it->second.window == w) {
                form = f->Hwnd();
                origin = {p->ScreenRect().left, p->ScreenRect().top};
                return true;
            }
    return false;
}

SDL_Window* App::Host::WindowOf(long form) const {
    const auto it = forms_.find(form);
    return it == forms_.end() ? nullptr : it->second.window;
}

void App::Host::Move(gdi::Point screen) {
    if (screen == runtime->CursorPos()) return;  // the pointer did not move for the runtime
    Say("input move " + std::to_string(screen.x) + " " + std::to_string(screen.y));
    handled_ = true;
    runtime->MouseMove(screen);
}

void App::Host::ClosePopupForms(long except) {
    for (const long hwnd : std::set(popup_forms_)) {
        if (hwnd == except) continue;
        popup_forms_.erase(hwnd);
        for (runtime::Form* f : runtime->Forms())
            if (f->Hwnd() == hwnd) runtime->DestroyForm(*f);
    }
}

void App::Host::GiveFocusBack() {
    // Without a window manager every window SDL shows takes the keyboard; the form the
    // runtime holds active keeps it.
    runtime::Form* active = runtime->ActiveForm();
    if (SDL_Window* w = active ? WindowOf(active->Hwnd()) : nullptr) SDL_SetWindowInputFocus(w);
}

void App::Host::Handle(const SDL_Event& e, const SDL_Event* next) {
    const int scale = options.scale;
    runtime::KeyState& keys = runtime->Keys();
    long form = 0;
    gdi::Point origin;
    switch (e.type) {
        case SDL_QUIT: quit_ = true; break;
        case SDL_WINDOWEVENT: HandleWindowEvent(e.window); break;
        case SDL_MOUSEMOTION:
            if (IsLeaveEcho(e, next) || !Locate(e.motion.windowID, form, origin) || Blocked(form))
                break;
            Move(ScreenPointOf(origin, e.motion.x, e.motion.y, scale));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int button = ButtonOf(e.button.button);
            if (!button || !Locate(e.button.windowID, form, origin) || Blocked(form)) break;
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            // A press outside a menu closes it, as the press would on the platform.
            if (down) ClosePopupForms(form);
            Move(ScreenPointOf(origin, e.button.x, e.button.y, scale));
            Say(std::string(down ? "input down " : "input up ") + std::to_string(button));
            handled_ = true;
            if (down)
                runtime->MouseDown(button);
            else
                runtime->MouseUp(button);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int vk = VirtualKeyOf(e.key.keysym.sym);
            if (!vk) break;
            const bool down = e.type == SDL_KEYDOWN;
            if (e.key.keysym.sym == SDLK_MODE) altgr_ = down;
            handled_ = true;
            if (!down) {
                if (swallowed_keys_.erase(vk)) break;
                Say("input keyup " + std::to_string(vk));
                runtime->KeyUp(vk);
                break;
            }
            // Escape closes an open menu and goes no further.
            runtime::Form* active = runtime->ActiveForm();
            if (vk == runtime::VK_ESCAPE && active && popup_forms_.count(active->Hwnd())) {
                swallowed_keys_.insert(vk);
                ClosePopupForms(0);
                break;
            }
            Say("input keydown " + std::to_string(vk));
            runtime->KeyDown(vk);
            if (const char c = ControlCharOf(vk, keys.IsDown(runtime::VK_CONTROL),
                                             keys.IsDown(runtime::VK_MENU))) {
                Say("input char " + std::to_string(static_cast<unsigned char>(c)));
                runtime->Char(c);
            }
            break;
        }
        case SDL_TEXTINPUT: {
            if (!TypesText(keys.IsDown(runtime::VK_MENU), keys.IsDown(runtime::VK_CONTROL), altgr_))
                break;
            for (const char c : vb::ToAnsi(e.text.text)) {
                Say("input char " + std::to_string(static_cast<unsigned char>(c)));
                handled_ = true;
                runtime->Char(c);
            }
            break;
        }
        default:
            if (e.type == command_event_ && commands_)
                for (const std::string& line : commands_->Take()) HandleCommand(line);
            break;
    }
}

void App::Host::HandleWindowEvent(const SDL_WindowEvent& e) {
    long form = 0;
    gdi::Point origin;
    const bool ours = Locate(e.windowID, form, origin);
    const bool is_form = ours && SDL_GetWindowFromID(e.windowID) == WindowOf(form);
    switch (e.event) {
        case SDL_WINDOWEVENT_EXPOSED: exposed_.insert(e.windowID); break;
        case SDL_WINDOWEVENT_CLOSE:
            if (!is_form) break;
            if (const auto d = dialogs_.find(form); d != dialogs_.end()) {
                if (d->second->cancel_answer) d->second->answer = d->second->cancel_answer;
            } else if (!Blocked(form)) {
                for (runtime::Form* f : runtime->Forms())
                    if (f->Hwnd() == form) runtime->DestroyForm(*f);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (!is_form || Blocked(form)) {
                GiveFocusBack();
                break;
            }
            for (runtime::Form* f : runtime->Forms())
                if (f->Hwnd() == form && runtime->ActiveForm() != f) runtime->Activate(*f);
            break;
        case SDL_WINDOWEVENT_MOVED:
            // A window manager may place a window elsewhere than asked: the form is where
            // its window is.
            if (!is_form) break;
            for (runtime::Form* f : runtime->Forms())
                if (f->Hwnd() == form) {
                    const gdi::Rect r = f->ScreenRect();
                    const gdi::Point at = ScreenPointOf({0, 0}, e.data1, e.data2, options.scale);
                    if (at.x != r.left || at.y != r.top) {
                        f->Move({at.x, at.y}, runtime::SizeOf(r));
                        forms_[form].rect = f->ScreenRect();
                    }
                }
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // A window manager (a tiling one, or a user's drag) gave the window another
            // size: the form takes it, so every pixel shows the form (its colour where no
            // control is), and it is presented again.
            if (!is_form) break;
            for (runtime::Form* f : runtime->Forms())
                if (f->Hwnd() == form) {
                    const runtime::Size size = ClientSizeOf(e.data1, e.data2, options.scale);
                    const gdi::Rect r = f->ScreenRect();
                    if (size != runtime::SizeOf(r)) {
                        f->Move(runtime::PositionOf(r), size);
                        forms_[form].rect = f->ScreenRect();
                        Say("form size " + f->Name() + " " + std::to_string(size.width) + " " +
                            std::to_string(size.height));
                        handled_ = true;
                    }
                    exposed_.insert(e.windowID);
                }
            break;
        case SDL_WINDOWEVENT_LEAVE: {
            // The pointer went off our window: the runtime learns where it is now, so that
            // the hover timers see it gone. While a button is held the window keeps it.
            int x = 0, y = 0;
            if (SDL_GetMouseState(nullptr, nullptr) != 0) break;
            SDL_GetGlobalMouseState(&x, &y);
            Move(ScreenPointOf({0, 0}, x, y, options.scale));
            break;
        }
        default: break;
    }
}

void App::Host::HandleCommand(const std::string& line) {
    std::istringstream words(line);
    std::string verb, arg;
    words >> verb >> arg;
    handled_ = true;
    if (verb == "wait") {
        long long ms = 0;
        try {
            ms = std::stoll(arg);
        } catch (...) {
            replies_.push_back("error " + line);
            return;
        }
        waits_.emplace_back(clock.Now() + Millis(ms), ms);
    } else if (verb == "focus") {
        runtime::Form* form = runtime->ActiveForm();
        runtime::Window* w = form ? form->Find(arg) : nullptr;
        if (w) runtime->SetFocus(w);
        replies_.push_back(w ? "focused " + arg : "error " + line);
    } else if (!verb.empty()) {
        replies_.push_back("error " + line);
    }
}

void App::Host::Sync() {
    bool present_all = gdi.TakeDrawn();
    bool closed = false;
    const auto forms = runtime->Forms();
    // Windows whose form is gone.
    for (auto it = forms_.begin(); it != forms_.end();) {
        const bool alive = std::any_of(forms.begin(), forms.end(),
                                       [&](runtime::Form* f) { return f->Hwnd() == it->first; });
        if (alive) {
            ++it;
            continue;
        }
        SDL_DestroyWindow(it->second.window);
        popup_forms_.erase(it->first);
        Say("form hide " + std::to_string(it->first));
        it = forms_.erase(it);
        closed = true;
    }
    for (runtime::Form* f : forms) SyncForm(*f, present_all);
    // The keyboard of a window that went (a dialog, a menu) goes to the active form.
    if (closed) GiveFocusBack();
    SyncPopups(present_all);
    for (runtime::Form* f : forms) {
        FormWindow& w = forms_[f->Hwnd()];
        if (present_all || exposed_.count(SDL_GetWindowID(w.window)))
            Present(w.window, f->Compose(), f->Width(), f->Height(),
                    vb::TranslateColor(f->BackColor()));
    }
    for (runtime::Form* f : forms)
        for (runtime::Popup* p : f->Popups()) {
            const auto it = popups_.find(p->Hwnd());
            if (it == popups_.end() || !it->second.shown) continue;
            if (present_all || exposed_.count(SDL_GetWindowID(it->second.window)))
                Present(it->second.window, p->Surface().Pixels(), p->ScreenRect().Width(),
                        p->ScreenRect().Height());
        }
    exposed_.clear();
    UpdateCursor();
    if (!trace) return;
    if (!ready_ && !forms.empty()) {
        ready_ = true;
        Say("ready");
    }
    for (const std::string& r : replies_) Say(r);
    if (handled_ || !replies_.empty()) Say("settled");
    replies_.clear();
    handled_ = false;
    trace->flush();
}

void App::Host::SyncForm(runtime::Form& f, bool& present_all) {
    FormWindow& w = forms_[f.Hwnd()];
    const int s = options.scale;
    const gdi::Rect r = f.ScreenRect();
    if (!w.window) {
        const bool popup = popup_forms_.count(f.Hwnd()) > 0;
        const Uint32 flags = popup ? SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU |
                                         SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP
                                   : SDL_WINDOW_RESIZABLE;
        w.window = SDL_CreateWindow("", r.left * s, r.top * s, std::max(r.Width(), 1) * s,
                                    std::max(r.Height(), 1) * s, flags | SDL_WINDOW_HIDDEN);
        SetWindowTitle(w.window, f.Caption());
        SDL_ShowWindow(w.window);
        w.rect = r;
        w.caption = f.Caption();
        present_all = true;
        Say("form show " + f.Name() + " " + std::to_string(r.left) + " " + std::to_string(r.top) +
            " " + std::to_string(r.right) + " " + std::to_string(r.bottom));
        return;
    }
    if (r != w.rect) {
        if (r.left != w.rect.left || r.top != w.rect.top)
            SDL_SetWindowPosition(w.window, r.left * s, r.top * s);
        if (r.Width() != w.rect.Width() || r.Height() != w.rect.Height())
            SDL_SetWindowSize(w.window, std::max(r.Width(), 1) * s, std::max(r.Height(), 1) * s);
        w.rect = r;
        present_all = true;
    }
    if (f.Caption() != w.caption) {
        w.caption = f.Caption();
        SetWindowTitle(w.window, w.caption);
    }
    // A control moved, shown or hidden draws nothing, but the form's picture changed.
    std::vector<std::tuple<long, gdi::Rect, bool>> layout;
    for (runtime::Window* c : f.Windows()) layout.emplace_back(c->Hwnd(), c->Rect(), c->Visible());
    if (layout != w.layout) {
        w.layout = std::move(layout);
        present_all = true;
    }
}

void App::Host::SyncPopups(bool& present_all) {
    const int s = options.scale;
    std::set<long> alive;
    bool shown_one = false;
    for (runtime::Form* f : runtime->Forms())
        for (runtime::Popup* p : f->Popups()) {
            alive.insert(p->Hwnd());
            PopupWindow& w = popups_[p->Hwnd()];
            const gdi::Rect r = p->ScreenRect();
            const bool show = p->Visible() && r.Width() > 0 && r.Height() > 0;
            if (show && !w.window) {
                w.window = SDL_CreateWindow(
                    "", r.left * s, r.top * s, r.Width() * s, r.Height() * s,
                    SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_TOOLTIP |
                        SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP);
                w.rect = r;
            }
            if (show && r != w.rect) {
                SDL_SetWindowPosition(w.window, r.left * s, r.top * s);
                SDL_SetWindowSize(w.window, r.Width() * s, r.Height() * s);
                w.rect = r;
                present_all = true;
            }
            if (show && !w.shown) {
                SDL_ShowWindow(w.window);
                w.shown = true;
                shown_one = present_all = true;
                Say("popup show " + std::to_string(p->Hwnd()) + " " + std::to_string(r.left) + " " +
                    std::to_string(r.top) + " " + std::to_string(r.right) + " " +
                    std::to_string(r.bottom));
            } else if (!show && w.shown) {
                SDL_HideWindow(w.window);
                w.shown = false;
                Say("popup hide " + std::to_string(p->Hwnd()));
            }
        }
    for (auto it = popups_.begin(); it != popups_.end();) {
        if (alive.count(it->first)) {
            ++it;
            continue;
        }
        if (it->second.shown) Say("popup hide " + std::to_string(it->first));
        SDL_DestroyWindow(it->second.window);
        it = popups_.erase(it);
    }
    if (shown_one) GiveFocusBack();
}

void App::Host::Present(SDL_Window* window, const std::vector<gdi::ColorRef>& pixels, int width,
                        int height, gdi::ColorRef fill) {
    SDL_Surface* s = SDL_GetWindowSurface(window);
    const int scale = options.scale;
    if (!s || width <= 0 || height <= 0 || s->w < width * scale || s->h < height * scale) return;
    // A window a little larger than the picture (a size that is no multiple of the scale)
    // shows the form's colour there, never what was last in the buffer.
    if (s->w > width * scale || s->h > height * scale)
        SDL_FillRect(
            s, nullptr,
            SDL_MapRGB(s->format, gdi::RedOf(fill), gdi::GreenOf(fill), gdi::BlueOf(fill)));
    if (s->format->format == SDL_PIXELFORMAT_RGB888) {
        SDL_LockSurface(s);
        Magnify(pixels, width, height, scale, static_cast<std::uint32_t*>(s->pixels), s->pitch);
        SDL_UnlockSurface(s);
    } else {
        std::vector<std::uint32_t> rgb(static_cast<std::size_t>(width) * scale * height * scale);
        Magnify(pixels, width, height, scale, rgb.data(), width * scale * 4);
        SDL_ConvertPixels(width * scale, height * scale, SDL_PIXELFORMAT_RGB888, rgb.data(),
                          width * scale * 4, s->format->format, s->pixels, s->pitch);
    }
    SDL_UpdateWindowSurface(window);
}

void App::Host::UpdateCursor() {
    const runtime::CursorShape shape = runtime->CurrentCursor();
    SDL_Cursor* want = nullptr;
    if (shape.cursor == runtime::Cursor::Custom && shape.picture) {
        const void* key = shape.picture.get();
        auto& c = picture_cursors_[key];
        if (!c) {
            const vb::StdPicture& pic = *shape.picture;
            const int s = options.scale;
            // The hand pointers point where their cursor files say; another picture, as
            // an icon does, at its centre.
            gdi::Point hot{pic.PixelWidth() / 2, pic.PixelHeight() / 2};
            for (int i = 0; i < 2; ++i)
                if (shape.picture == picture::XPPointer(i)) hot = picture::XPPointerHotSpot(i);
            auto argb = CursorPixels(pic, s);
            SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
                argb.data(), pic.PixelWidth() * s, pic.PixelHeight() * s, 32,
                pic.PixelWidth() * s * 4, SDL_PIXELFORMAT_ARGB8888);
            if (surface) {
                c = SDL_CreateColorCursor(surface, hot.x * s, hot.y * s);
                SDL_FreeSurface(surface);
            }
        }
        want = c;
    }
    if (!want) {
        const SDL_SystemCursor id = SystemCursorOf(shape.cursor);
        auto& c = system_cursors_[id];
        if (!c) c = SDL_CreateSystemCursor(id);
        want = c;
    }
    if (want && want != cursor_) {
        SDL_SetCursor(want);
        cursor_ = want;
    }
}

int App::Host::RunModal(Dialog& dialog) {
    if (quit_) return dialog.cancel_answer;
    runtime::Form* owner = nullptr;
    for (runtime::Form* f : runtime->Forms())
        if (f != dialog.form && f == runtime->ActiveForm()) owner = f;
    const long owner_hwnd = owner ? owner->Hwnd() : 0;
    runtime->Activate(*dialog.form);
    const long hwnd = dialog.form->Hwnd();
    modal_.push_back(hwnd);
    dialogs_[hwnd] = &dialog;
    const auto open = [&] {
        for (runtime::Form* f : runtime->Forms())
            if (f->Hwnd() == hwnd) return true;
        return false;
    };
    while (!quit_ && dialog.answer == 0 && open()) Iterate();
    modal_.pop_back();
    dialogs_.erase(hwnd);
    if (open()) runtime->DestroyForm(*dialog.form);
    for (runtime::Form* f : runtime->Forms())
        if (f->Hwnd() == owner_hwnd) {
            runtime->Activate(*f);
            Sync();
            if (SDL_Window* w = WindowOf(owner_hwnd)) SDL_RaiseWindow(w);
            GiveFocusBack();
        }
    return dialog.answer;
}

// ---- App ----

App::App(Options options) : host_(std::make_unique<Host>(std::move(options))) {
    loader_ = DefaultFormLoader();
}

App::~App() = default;

runtime::Runtime& App::Runtime() { return *host_->runtime; }

runtime::Form& App::CreateForm(const std::string& name, runtime::Size size) {
    runtime::CheckPlacement("form " + name, {}, size);
    const gdi::Rect screen = host_->runtime->Screen();
    const gdi::Rect at = CentredOn(screen, size.width, size.height, screen);
    return CreateForm(name, {at.left, at.top}, size);
}

runtime::Form& App::CreateForm(const std::string& name, runtime::Position at, runtime::Size size) {
    return host_->NewForm(name, at, size, false);
}

runtime::Form& App::CreatePopupForm(const std::string& name, runtime::Position at,
                                    runtime::Size size) {
    return host_->NewForm(name, at, size, true);
}

runtime::Form& App::Open(const std::string& path) {
    if (!loader_) throw std::runtime_error(path + ": no form loader");
    return loader_(*host_->runtime, path);
}

std::shared_ptr<sheenButton> App::AddButton(runtime::Form& form, const std::string& name,
                                            runtime::Position at, runtime::Size size) {
    return form.Add("Sheenwork.sheenButton", name, at, size).Native<sheenButton>();
}

int App::Run() { return host_->Run(); }

void App::Quit(int code) { host_->Quit(code); }

std::ostream* App::Trace() const { return host_->trace; }

FormLoader DefaultFormLoader() {
    // A form file read strictly (its problems come back as file:line:column) and made
    // live in the runtime.
    return [](runtime::Runtime& rt, const std::string& path) -> runtime::Form& {
        return runtime::LoadForm(rt, runtime::ReadFormFile(path));
    };
}

}  // namespace sheenwork::desktop
