// Forms and control windows: creation through the factory, z-order, hit testing, tab
// order, the default and cancel buttons, and the composed picture of a form.
#include <sheenwork/host/picture_holder.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/color.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/units.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "runtime/window_site.h"
#include "util/ascii.h"

namespace sheenwork::runtime {
namespace {

bool Contains(const gdi::Rect& r, gdi::Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string Range(const char* what, int from, int to) {
    return std::string(what) + " run from " + std::to_string(from) + " to " + std::to_string(to);
}

}  // namespace

void CheckPlacement(const std::string& what, Position at, Size size) {
    const auto refuse = [&](const std::string& why) {
        throw std::invalid_argument(what + ": " + why);
    };
    const std::string sides =
        "a size of " + std::to_string(size.width) + " x " + std::to_string(size.height) + " pixels";
    const std::string want = ": " + Range("width and height", 1, kMaxSide) + " pixels";
    if (size.width < 0 || size.height < 0) refuse(sides + " is inverted" + want);
    if (size.width == 0 || size.height == 0) refuse(sides + " is empty" + want);
    if (size.width > kMaxSide || size.height > kMaxSide) refuse(sides + " is too large" + want);
    if (at.left < kMinPosition || at.left > kMaxPosition || at.top < kMinPosition ||
        at.top > kMaxPosition)
        refuse("the position " + std::to_string(at.left) + ", " + std::to_string(at.top) +
               " is out of range: " + Range("left and top", kMinPosition, kMaxPosition));
}

Held Hold(Window& window) { return {window.Owner().shared_from_this(), window.shared_from_this()}; }

// ---- Window ----

Window::Window(Form& form, long hwnd, std::string name, std::string class_name, Position at,
               Size size)
    : form_(&form),
      hwnd_(hwnd),
      name_(std::move(name)),
      class_name_(std::move(class_name)),
      rect_(RectOf(at, size)) {}

Window::~Window() {
    // The control goes before its site: it may still talk to the site while it ends.
    control_.reset();
    site_.reset();
}

gdi::Rect Window::ScreenRect() const {
    const gdi::Rect f = form_->ScreenRect();
    return {f.left + rect_.left, f.top + rect_.top, f.left + rect_.right, f.top + rect_.bottom};
}

void Window::Move(Position at, Size size) {
    CheckPlacement(name_, at, size);
    const gdi::Rect rect = RectOf(at, size);
    const bool resized = rect.Width() != rect_.Width() || rect.Height() != rect_.Height();
    rect_ = rect;
    if (!resized) return;
    Surface().Resize(std::max(rect.Width(), 1), std::max(rect.Height(), 1));
    if (control_) {
        const Held keep = Hold(*this);
        control_->Resize();
    }
}

CursorShape Window::Pointer() const {
    if (mouse_pointer_ == static_cast<int>(Cursor::Custom)) return {Cursor::Custom, mouse_icon_};
    if (mouse_pointer_ >= 1 && mouse_pointer_ <= 15)
        return {static_cast<Cursor>(mouse_pointer_), nullptr};
    return {Cursor::Arrow, nullptr};
}

host::ControlSite& Window::Site() { return *site_; }
host::Surface& Window::Surface() { return site_->Surface(); }

std::shared_ptr<runtime::Object> Window::Instance() {
    const auto object = control_ ? control_->Instance() : nullptr;
    if (!object) return nullptr;
    // Whoever holds the object holds its window and form too: the control never outlives
    // its site.
    struct Keep {
        Held held;
        std::shared_ptr<runtime::Object> object;
    };
    auto keep = std::make_shared<Keep>(Keep{Hold(*this), object});
    return std::shared_ptr<runtime::Object>(keep, object.get());
}

// ---- Popup ----

Popup::Popup(Form& form, long hwnd, gdi::Gdi& gdi)
    : form_(&form), hwnd_(hwnd), surface_(gdi, 1, 1) {}

void Popup::Move(gdi::Rect screen_rect) {
    const bool resized =
        screen_rect.Width() != rect_.Width() || screen_rect.Height() != rect_.Height();
    rect_ = screen_rect;
    if (resized) surface_.Resize(std::max(rect_.Width(), 1), std::max(rect_.Height(), 1));
}

// ---- Form ----

Form::Form(Runtime& runtime, long hwnd, std::string name, Position at, Size size)
    : runtime_(&runtime),
      hwnd_(hwnd),
      name_(std::move(name)),
      caption_(name_),
      rect_(RectOf(at, size)),
      // The form's font is the one its controls take as their container's: the XP
      // dialog font.
      font_(std::make_shared<vb::StdFont>("Tahoma", 8.25)) {}

Form::~Form() = default;

void Form::Move(Position at, Size size) {
    CheckPlacement("form " + name_, at, size);
    rect_ = RectOf(at, size);
}

void Form::BackColor(std::uint32_t color) {
    back_color_ = color;
    const auto keep = shared_from_this();
    for (const auto& w : std::vector(windows_))
        if (w->alive_ && w->control_) w->control_->AmbientChanged("BackColor");
}

void Form::Font(host::FontRef font) {
    font_ = std::move(font);
    const auto keep = shared_from_this();
    for (const auto& w : std::vector(windows_))
        if (w->alive_ && w->control_) w->control_->AmbientChanged("Font");
}

Window& Form::Add(const std::string& class_name, const std::string& name, Position at, Size size) {
    CheckPlacement(name, at, size);
    return Create(class_name, name, RectOf(at, size), true);
}

Window& Form::AddUninitialised(const std::string& class_name, const std::string& name, Position at,
                               Size size) {
    CheckPlacement(name, at, size);
    return Create(class_name, name, RectOf(at, size), false);
}

Window& Form::Create(const std::string& class_name, const std::string& name, gdi::Rect rect,
                     bool initialise) {
    if (name.empty()) throw std::invalid_argument("a control needs a name");
    if (Find(name)) throw std::invalid_argument("the form already has a control named " + name);
    auto window = std::make_shared<Window>(*this, runtime_->NewHwnd(), name, class_name,
                                           PositionOf(rect), SizeOf(rect));
    window->site_ = std::make_unique<WindowSite>(*runtime_, *window);
    CreatedControl created =
        runtime_->factory_ ? runtime_->factory_(class_name, *window->site_) : CreatedControl{};
    if (!created.control) throw std::runtime_error("no control class named " + class_name);
    window->control_ = std::move(created.control);
    window->misc_status_ = created.misc_status;
    windows_.push_back(window);
    by_name_[util::AsciiLower(name)] = window.get();
    by_hwnd_[window->hwnd_] = window.get();
    window->tab_index_ = static_cast<int>(windows_.size()) - 1;
    if (initialise) window->control_->InitProperties();
    return *window;
}

void Form::Remove(Window& window) {
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w.get() == &window; });
    if (it == windows_.end()) return;
    // Kept alive until this returns: the caller may be inside the window's own handler,
    // which holds a reference of its own for as long as it runs.
    const auto keep = *it;
    windows_.erase(it);
    by_name_.erase(util::AsciiLower(keep->name_));
    by_hwnd_.erase(keep->hwnd_);
    keep->alive_ = false;
    if (Focused() == keep.get()) focused_.reset();
    if (runtime_->Captured() == keep.get()) runtime_->capture_.reset();
    // Its timers stop now; the rest goes with the window.
    static_cast<WindowSite&>(*keep->site_).Detach();
    UpdateDisplayAsDefault();
}

Window* Form::Find(const std::string& name) {
    const auto it = by_name_.find(util::AsciiLower(name));
    return it == by_name_.end() ? nullptr : it->second;
}

Window* Form::FindByHwnd(long hwnd) {
    const auto it = by_hwnd_.find(hwnd);
    return it == by_hwnd_.end() ? nullptr : it->second;
}

std::vector<Window*> Form::Windows() const {
    std::vector<Window*> out;
    for (const auto& w : windows_) out.push_back(w.get());
    return out;
}

void Form::BringToFront(Window& window) {
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w.get() == &window; });
    if (it == windows_.end()) return;
    auto keep = *it;
    windows_.erase(it);
    windows_.push_back(std::move(keep));
}

Window* Form::WindowAt(gdi::Point client) const {
    // Hidden and disabled windows are not found: the point belongs to the form then.
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if ((*it)->visible_ && Contains((*it)->rect_, client))
            return (*it)->enabled_ ? it->get() : nullptr;
    return nullptr;
}

std::vector<Window*> Form::TabOrder() const {
    std::vector<Window*> out;
    for (const auto& w : windows_)
        if (w->tab_stop_ && w->visible_ && w->enabled_) out.push_back(w.get());
    std::stable_sort(out.begin(), out.end(), [](const Window* a, const Window* b) {
        return a->tab_index_ < b->tab_index_;
    });
    return out;
}

void Form::DefaultButton(Window* window) {
    if (window && !window->ActsLikeButton())
        throw std::invalid_argument(window->name_ + " does not act like a button");
    const Window* before = DefaultButton();
    default_ = window ? window->weak_from_this() : std::weak_ptr<Window>();
    if (before != window) UpdateDisplayAsDefault();
}

void Form::CancelButton(Window* window) {
    if (window && !window->ActsLikeButton())
        throw std::invalid_argument(window->name_ + " does not act like a button");
    cancel_ = window ? window->weak_from_this() : std::weak_ptr<Window>();
}

void Form::UpdateDisplayAsDefault() {
    // A button-like control shows as the default while it has the focus; otherwise the
    // default button does.
    Window* focused = Focused();
    Window* shown = focused && focused->ActsLikeButton() ? focused : DefaultButton();
    const auto before = display_as_default_.lock();
    if (before.get() == shown) return;
    display_as_default_ = shown ? shown->weak_from_this() : std::weak_ptr<Window>();
    for (Window* w : {before.get(), shown}) {
        if (!w || !w->alive_ || !w->control_) continue;
        const Held keep = Hold(*w);
        keep->control_->AmbientChanged("DisplayAsDefault");
    }
}

std::vector<gdi::ColorRef> Form::Compose() const {
    const int w = std::max(Width(), 0), h = std::max(Height(), 0);
    std::vector<gdi::ColorRef> out(static_cast<std::size_t>(w) * h,
                                   vb::TranslateColor(back_color_));
    for (const auto& win : windows_) {
        if (!win->visible_) continue;
        host::Surface& s = win->Surface();
        const auto px = s.Pixels();
        const int sw = static_cast<int>(s.ScaleWidth()), sh = static_cast<int>(s.ScaleHeight());
        // The window's columns that fall on the form, copied a row at a time.
        const int left = win->rect_.left;
        const int x0 = std::max(0, -left), x1 = std::min(sw, w - left);
        if (x0 >= x1) continue;
        for (int y = 0; y < sh; ++y) {
            const int fy = win->rect_.top + y;
            if (fy < 0 || fy >= h) continue;
            const auto row = px.begin() + static_cast<std::ptrdiff_t>(y) * sw;
            std::copy(row + x0, row + x1,
                      out.begin() + static_cast<std::ptrdiff_t>(fy) * w + left + x0);
        }
    }
    return out;
}

Popup& Form::AddPopup() {
    popups_.push_back(std::make_unique<Popup>(*this, runtime_->NewHwnd(), runtime_->Gdi()));
    popups_by_hwnd_[popups_.back()->hwnd_] = popups_.back().get();
    return *popups_.back();
}

void Form::RemovePopup(Popup& popup) {
    popups_by_hwnd_.erase(popup.hwnd_);
    std::erase_if(popups_, [&](const auto& p) { return p.get() == &popup; });
}

Popup* Form::FindPopup(long hwnd) const {
    const auto it = popups_by_hwnd_.find(hwnd);
    return it == popups_by_hwnd_.end() ? nullptr : it->second;
}

std::vector<Popup*> Form::Popups() const {
    std::vector<Popup*> out;
    for (const auto& p : popups_) out.push_back(p.get());
    return out;
}

vb::Variant Form::Invoke(const std::string& name, vb::InvokeKind kind,
                         std::vector<vb::Variant>& args) {
    const bool get = kind == vb::InvokeKind::PropertyGet || kind == vb::InvokeKind::Method;
    if (SameName(name, "Font") && get && args.empty()) return vb::Variant(vb::Object(font_));
    if (SameName(name, "BackColor") && get && args.empty())
        return vb::Variant(static_cast<vb::Long>(back_color_));
    if (SameName(name, "BackColor") && kind == vb::InvokeKind::PropertyLet && args.size() == 1) {
        BackColor(static_cast<std::uint32_t>(vb::CLng(args[0])));
        return {};
    }
    if (SameName(name, "hWnd") && get && args.empty())
        return vb::Variant(static_cast<vb::Long>(hwnd_));
    if (SameName(name, "Name") && get && args.empty()) return vb::Variant(name_);
    if (SameName(name, "Caption") && get && args.empty()) return vb::Variant(caption_);
    if (SameName(name, "ScaleMode") && get && args.empty()) return vb::Variant(vb::Integer{3});
    vb::Raise(438);
}

}  // namespace sheenwork::runtime
