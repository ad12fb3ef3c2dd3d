// Bodies painted before, kept so that a repaint copies its body instead of painting it.
//
// A body follows from nothing but the look, scheme and state, the surface's size, the
// button's colours and the surface's back colour as the paint found it: Redraw clears the
// surface just before the body, so no earlier pixel shows through, and every body draws
// in colours of its own (the fore colour it finds draws nothing). A repaint that finds
// a body painted with the same inputs through the same Gdi copies its pixels in one blit
// and leaves behind what the body left: the back and fore colours, the current position
// of the surface's DC and the band rectangle rcGradient, each only where the body set it.
//
// A body is kept only when every statement of its paint ran without error, and none is
// used while a step probe is installed (a test failing statements one by one sees every
// statement run), so that a failing statement skips what it skipped without the cache.
// The classic scheme and unknown schemes are always painted: they depend on system
// colours through DrawEdge and cost little.
//
// Bounded: at most kMaxBodies bodies and kMaxBytes bytes of pixels on each thread, the
// least recently used going first; a body larger than a quarter of kMaxBytes is not kept.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "render/redraw.h"

namespace sheenwork {

class BodyCache {
public:
    static constexpr std::size_t kMaxBytes = std::size_t{4} << 20;
    static constexpr std::size_t kMaxBodies = 256;

    // Everything a body follows from, as plain words.
    using Key = std::array<std::uint32_t, 34>;

    struct Body {
        int width = 0, height = 0;
        std::vector<gdi::ColorRef> pixels;  // the whole surface, as ReadBitmap gives it
        std::uint32_t back = 0, fore = 0;
        bool back_set = false, fore_set = false;
        std::optional<gdi::Point> position;  // where the body left the DC's pen position
        std::optional<RECT> rcGradient;
    };

    // The cache of the calling thread.
    static BodyCache& OfThisThread();

    // The key of the body this paint is about to draw; none when the body must be painted
    // (see above, and: the surface was not cleared in this paint, or caching is off).
    std::optional<Key> KeyOf(const PaintContext& c) const;
    // The body kept under `key`, now the most recently used; null when there is none.
    const Body* Find(const Key& key);
    // Keeps `body` under `key`, dropping the least recently used ones beyond the bounds.
    void Keep(const Key& key, Body body);

    // Paints the body through `paint`, or copies a body kept from an earlier paint.
    template <class PaintBody>
    void Paint(PaintContext& c, PaintBody&& paint) {
        const std::optional<Key> key = KeyOf(c);
        if (!key) {
            paint();
            return;
        }
        if (const Body* body = Find(*key)) {
            ++hits_;
            Replay(c, *body);
            return;
        }
        const Watch watch = Begin(c);
        paint();
        Finish(c, *key, watch);
    }

    // Off, every body is painted and nothing is kept (the tests compare both ways).
    void Enable(bool on);
    void Clear();
    std::size_t Count() const { return order_.size(); }
    std::size_t Bytes() const { return bytes_; }
    // How many bodies were copied rather than painted.
    std::size_t Hits() const { return hits_; }

private:
    // What the surface was before a body is painted for keeping.
    struct Watch {
        unsigned long failed_steps;
        std::uint32_t back;
        gdi::Point position;
    };
    Watch Begin(PaintContext& c) const;
    void Finish(PaintContext& c, const Key& key, const Watch& watch);
    static void Replay(PaintContext& c, const Body& body);

    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    using Order = std::list<std::pair<Key, Body>>;  // most recently used first
    Order order_;
    std::unordered_map<Key, Order::iterator, KeyHash> index_;
    std::size_t bytes_ = 0;
    std::size_t hits_ = 0;
    bool enabled_ = true;
};

}  // namespace sheenwork
