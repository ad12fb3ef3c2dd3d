// Loading picture files into the host's picture object, as its LoadPicture does.
//
// The format is recognised by the file's content, never its name: BMP (1, 4, 8, 16, 24
// and 32 bits, RLE4 and RLE8, bit fields, either row order), ICO and CUR, GIF (the first
// frame), JPEG and PNG. Icons come back as PictureType::Icon, everything else as
// PictureType::Bitmap, which is what the host reports for them.
//
// Transparency: ICO entries take their alpha from the AND mask (mask bit 1 ->
// transparent), or from the alpha bytes of a 32-bit entry when any of them is not zero;
// GIF from the transparent index of the frame's graphic control block (and the screen
// outside the frame); PNG from its own alpha or tRNS. A BMP is opaque: the host copies a
// bitmap with a block transfer, so its fourth byte is not transparency.
//
// Refusals are run-time errors: 53 "File not found" when the path does not exist,
// 75 "Path/File access error" when it cannot be read, 7 "Out of memory", and 481
// "Invalid picture" for anything that is not a whole, honest picture (unknown format,
// truncated data, sizes or offsets that point past the end, short palettes, RLE runs
// past the picture, corrupt compressed data). The description names the file and what
// is wrong, e.g. "Invalid picture: logo.bmp: pixel data needs 3072 bytes at offset 54,
// the file has 1000". Nothing is returned half-decoded.
#pragma once

#include <sheenwork/vb/stdpicture.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace sheenwork::picture {

// Limits against allocation bombs: no side longer than kMaxSide pixels and no picture of
// more than kMaxPixels pixels (64 MiB of ARGB), whatever a header claims; files larger
// than kMaxFileBytes are not read.
inline constexpr int kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;
inline constexpr std::int64_t kMaxFileBytes = std::int64_t{256} << 20;

// The file at `path`. An empty path gives the empty picture (PictureType::None, 0 x 0),
// as LoadPicture("") does.
std::shared_ptr<vb::StdPicture> LoadPicture(const std::string& path);

// The same from bytes in memory; `name` stands for the file in error descriptions. No
// bytes give the empty picture.
std::shared_ptr<vb::StdPicture> LoadPictureFromMemory(std::span<const std::uint8_t> bytes,
                                                      std::string_view name = "<memory>");

// Which entry of an icon directory the host shows: the first that is 32 pixels wide
// (a width byte of 0 means 256), else the first. `widths` are the directory's width
// bytes in file order; an empty list gives 0.
std::size_t ChooseIconEntry(std::span<const std::uint8_t> widths);

}  // namespace sheenwork::picture
