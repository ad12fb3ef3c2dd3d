// The xp pointers: the cursor files embedded at build time (resources/pointers, turned
// into arrays by cmake/embed_files.cmake), decoded by the same loader as any picture.
#include <sheenwork/picture/load.h>
#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/error.h>

#include <array>
#include <cstddef>

namespace sheenwork::picture {
namespace detail {
extern const std::uint8_t kHandPointer[];
extern const std::size_t kHandPointerSize;
extern const std::uint8_t kClickingPointer[];
extern const std::size_t kClickingPointerSize;
}  // namespace detail

namespace {
constexpr long kErrSubscript = 9;

std::size_t Checked(int index) {
    if (index != 0 && index != 1) vb::Raise(kErrSubscript);
    return static_cast<std::size_t>(index);
}
}  // namespace

std::span<const std::uint8_t> XPPointerFile(int index) {
    return Checked(index) == 0
               ? std::span<const std::uint8_t>(detail::kHandPointer, detail::kHandPointerSize)
               : std::span<const std::uint8_t>(detail::kClickingPointer,
                                               detail::kClickingPointerSize);
}

std::shared_ptr<vb::StdPicture> XPPointer(int index) {
    static const std::array<std::shared_ptr<vb::StdPicture>, 2> pictures = {
        LoadPictureFromMemory(XPPointerFile(0), "hand.cur"),
        LoadPictureFromMemory(XPPointerFile(1), "hand-clicking.cur")};
    return pictures[Checked(index)];
}

// A cursor's directory entry keeps the hot spot where an icon's keeps its planes and
// bit count: two 16-bit values at bytes 4 and 6 of the first entry.
gdi::Point XPPointerHotSpot(int index) {
    const auto file = XPPointerFile(index);
    const auto u16 = [&](std::size_t at) { return file[at] | file[at + 1] << 8; };
    return {u16(6 + 4), u16(6 + 6)};
}

}  // namespace sheenwork::picture
