// The runtime semantics in one include: Boolean, numeric conversions and checked
// arithmetic, colours, units, run-time errors.
#pragma once

#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/color.h>
#include <sheenwork/vb/convert.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/syscolors.h>
#include <sheenwork/vb/units.h>
