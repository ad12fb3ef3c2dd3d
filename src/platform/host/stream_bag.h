// A control's saved properties as bytes, for hosts that keep them in a stream (COM's
// IPersistStreamInit): the entries of a property bag, each key with its typed value,
// fonts with every attribute and pictures with their pixels, so that the bytes read back
// give the same bag.
//
//   "SWPB", format 1 (u32), the entry count (u32), then per entry its key (a string) and
//   its value: a tag byte, then
//     0 Empty | 1 Boolean i16 | 2 Integer i16 | 3 Long i32 | 4 Single f32 | 5 Double f64 |
//     6 String | 7 Nothing |
//     8 Font: name (string), size in ten-thousandths of a point (i64), weight i16,
//       italic, underline, strikethrough (u8 each, 0 or 1), charset i16 |
//     9 Picture: type i32 (0, 1 or 3), width i32, height i32, the pixels (u32 0xAARRGGBB
//       each, rows from the top), the file it came from (string).
//   A string is a u32 length and that many bytes of UTF-8. Little-endian throughout.
#pragma once

#include <sheenwork/host/property_bag.h>

#include <string>
#include <string_view>

namespace sheenwork::host {

std::string EncodeBag(const MemoryPropertyBag& bag);

// Fills `bag` from bytes EncodeBag wrote. Bytes of another shape (a wrong signature or
// format, a tag or size out of range, a picture larger than a loaded one may be, a
// string longer than the bytes, anything left over) are refused whole: throws
// std::runtime_error saying what is wrong, and `bag` is left as it was.
void DecodeBag(std::string_view bytes, MemoryPropertyBag& bag);

}  // namespace sheenwork::host
