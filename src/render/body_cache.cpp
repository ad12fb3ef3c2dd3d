#include "render/body_cache.h"

#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/color.h>

namespace sheenwork {
namespace {

// A pen position no body leaves: painted lines end inside the surface.
constexpr gdi::Point kUnmoved{-30001, -30002};

bool Kept(const ButtonRecord& r) {
    if (r.ButtonStyle == cButtonOffice || r.ButtonStyle == cButtonIExplorer) return true;
    if (r.ButtonStyle != cButtonWinXP) return false;
    const vb::Long s = r.ColorStyle;
    return s == cXPBlue || s == cXPSilver || s == cXPOlive || s == cCustom;
}

// A colour as given and as it shows: a system colour shows what the table holds now.
void PutColor(BodyCache::Key& key, std::size_t& at, std::uint32_t color) {
    key[at++] = color;
    key[at++] = vb::TranslateColor(color);
}

}  // namespace

BodyCache& BodyCache::OfThisThread() {
    thread_local BodyCache cache;
    return cache;
}

std::optional<BodyCache::Key> BodyCache::KeyOf(const PaintContext& c) const {
    const ButtonRecord& r = c.rec;
    if (!enabled_ || !c.ps.cleared || !Kept(r) || CurrentStepProbe()) return std::nullopt;
    host::Surface& s = c.surface;
    Key key{};
    std::size_t at = 0;
    const std::uint64_t serial = s.Gdi().Serial();
    key[at++] = static_cast<std::uint32_t>(serial);
    key[at++] = static_cast<std::uint32_t>(serial >> 32);
    key[at++] = static_cast<std::uint32_t>(r.ButtonStyle);
    key[at++] = static_cast<std::uint32_t>(r.ColorStyle);
    key[at++] = r.Enabled ? 1 : 0;
    key[at++] = c.ps.sDrawState == "down" ? 1 : 0;
    key[at++] = r.bMouseOver ? 1 : 0;
    key[at++] = r.bSpaceDown ? 1 : 0;
    key[at++] = r.bHasFocus ? 1 : 0;
    key[at++] = static_cast<std::uint32_t>(s.ScaleWidth());
    key[at++] = static_cast<std::uint32_t>(s.ScaleHeight());
    PutColor(key, at, s.BackColor());
    for (const OLE_COLOR color : {r.BackColor, r.BackColorOver, r.BackColorDown, r.BackColorDis,
                                  r.BorderColor, r.CornerColor, r.OfficeBackColor,
                                  r.OfficeBackColorDown, r.OfficeBorder, r.OfficeBorderDown})
        PutColor(key, at, color);
    key[at++] = r.OfficeBorderOnMouseOut ? 1 : 0;
    if (at != key.size()) return std::nullopt;  // a word left out or one too many
    return key;
}

std::size_t BodyCache::KeyHash::operator()(const Key& key) const noexcept {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the words
    for (const std::uint32_t w : key) h = (h ^ w) * 1099511628211ull;
    return static_cast<std::size_t>(h);
}

const BodyCache::Body* BodyCache::Find(const Key& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, found->second);
    return &found->second->second;
}

void BodyCache::Keep(const Key& key, Body body) {
    const std::size_t bytes = body.pixels.size() * sizeof(gdi::ColorRef);
    if (!enabled_ || bytes > kMaxBytes / 4 || index_.count(key) != 0) return;
    while (!order_.empty() && (order_.size() >= kMaxBodies || bytes_ + bytes > kMaxBytes)) {
        bytes_ -= order_.back().second.pixels.size() * sizeof(gdi::ColorRef);
        index_.erase(order_.back().first);
        order_.pop_back();
    }
    order_.emplace_front(key, std::move(body));
    index_.emplace(key, order_.begin());
    bytes_ += bytes;
}

void BodyCache::Enable(bool on) {
    enabled_ = on;
    if (!on) Clear();
}

void BodyCache::Clear() {
    index_.clear();
    order_.clear();
    bytes_ = 0;
}

BodyCache::Watch BodyCache::Begin(PaintContext& c) const {
    host::Surface& s = c.surface;
    Watch w{FailedSteps(), s.BackColor(), {}};
    s.Gdi().MoveToEx(s.hDC(), kUnmoved.x, kUnmoved.y, &w.position);
    c.ps.gradient_set = false;
    return w;
}

void BodyCache::Finish(PaintContext& c, const Key& key, const Watch& watch) {
    host::Surface& s = c.surface;
    gdi::Point after;
    s.Gdi().MoveToEx(s.hDC(), watch.position.x, watch.position.y, &after);
    const bool moved = after.x != kUnmoved.x || after.y != kUnmoved.y;
    if (moved) s.Gdi().MoveToEx(s.hDC(), after.x, after.y, nullptr);
    if (FailedSteps() != watch.failed_steps) return;

    Body body;
    body.width = static_cast<int>(s.ScaleWidth());
    body.height = static_cast<int>(s.ScaleHeight());
    body.pixels = s.Pixels();
    if (body.pixels.size() !=
        static_cast<std::size_t>(body.width) * static_cast<std::size_t>(body.height))
        return;
    body.back = s.BackColor();
    body.back_set = body.back != watch.back;
    // Every XP body leaves the fore colour its frame takes; the flat looks never set one.
    body.fore = s.ForeColor();
    body.fore_set = c.rec.ButtonStyle == cButtonWinXP;
    if (moved) body.position = after;
    if (c.ps.gradient_set) body.rcGradient = c.rec.rcGradient;
    Keep(key, std::move(body));
}

void BodyCache::Replay(PaintContext& c, const Body& body) {
    host::Surface& s = c.surface;
    if (body.back_set) s.BackColor(body.back);
    s.Gdi().PutPixels(s.hDC(), body.pixels.data(), body.width, body.height);
    if (body.fore_set) s.ForeColor(body.fore);
    if (body.position) s.Gdi().MoveToEx(s.hDC(), body.position->x, body.position->y, nullptr);
    if (body.rcGradient) c.rec.rcGradient = *body.rcGradient;
}

}  // namespace sheenwork
