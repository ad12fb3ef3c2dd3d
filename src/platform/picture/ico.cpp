// ICO and CUR files: a directory of entries, each a DIB (colour rows and an AND mask) or
// a PNG. The host shows one entry, chosen by ChooseIconEntry.
#include <sheenwork/picture/load.h>

#include <string>
#include <vector>

#include "decode.h"

namespace sheenwork::picture {

std::size_t ChooseIconEntry(std::span<const std::uint8_t> widths) {
    for (std::size_t i = 0; i < widths.size(); ++i)
        if (widths[i] == 32) return i;
    return 0;
}

namespace detail {

Pixels DecodeIcon(Bytes file) {
    const Reader r(file);
    r.Need(0, 6, "the icon directory header");
    const std::size_t count = r.U16(4);
    if (count == 0) Fail("an icon directory without entries");
    if (!r.Has(6, count * 16))
        Fail("an icon directory of " + std::to_string(count) +
             " entries that runs past the end of the file");
    std::vector<std::uint8_t> widths(count);
    for (std::size_t i = 0; i < count; ++i) widths[i] = r.U8(6 + i * 16);
    const std::size_t chosen = ChooseIconEntry(widths);
    const std::size_t entry = 6 + chosen * 16;
    const std::uint32_t size = r.U32(entry + 8), offset = r.U32(entry + 12);
    if (!r.Has(offset, size))
        Fail("icon entry " + std::to_string(chosen) + " of " + std::to_string(size) +
             " bytes at offset " + std::to_string(offset) + " runs past the end of the file (" +
             std::to_string(file.size()) + " bytes)");
    if (offset < 6 + count * 16)
        Fail("icon entry " + std::to_string(chosen) + " starts inside the directory");
    const Bytes data = file.subspan(offset, size);
    if (IsPng(data)) return DecodePng(data);
    return DecodeDib(DibSource{data, 0, true});
}

}  // namespace detail
}  // namespace sheenwork::picture
