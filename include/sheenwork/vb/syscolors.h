// The system-colour table: what a colour value with the top bit set stands for.
//
// One table per process, indexed like GetSysColor (15 = button face, 16 = button
// shadow, 17 = grey text, ...). It starts with the Windows XP Luna values and the host
// may replace entries, e.g. to follow the desktop's theme or to mirror a real system.
#pragma once

#include <cstdint>

namespace sheenwork::vb {

constexpr int kSysColorCount = 31;

// 0x00BBGGRR of system colour `index`; 0 for an index outside the table, as
// GetSysColor answers.
std::uint32_t SysColor(int index);
void SetSysColor(int index, std::uint32_t color);
// Back to the Luna defaults (tests call this between cases).
void ResetSysColors();

}  // namespace sheenwork::vb
