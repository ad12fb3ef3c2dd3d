// Small arithmetic shared by the painters that place things with Single coordinates.
#pragma once

#include <sheenwork/vb/convert.h>
#include <sheenwork/vb/error.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace sheenwork {

// Single arithmetic that leaves the finite range is a run-time Overflow, as the host's
// floating-point checks make it; NaN (an invalid operation) counts the same.
inline vb::Single CheckedSingle(vb::Single v) {
    if (!std::isfinite(v)) vb::Raise(vb::kErrOverflow);
    return v;
}

inline bool OneOf(vb::Long v, std::initializer_list<vb::Long> values) {
    return std::find(values.begin(), values.end(), v) != values.end();
}

}  // namespace sheenwork
