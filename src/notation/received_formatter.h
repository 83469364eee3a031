#pragma once
// What one receive notification appends to the Data Monitor for the bytes it drained.

#include <string>
#include <string_view>

#include "notation/byte_notation.h"

namespace kestrum {

// The text appended for `bytes` in notation `mainMode`; processCrLf: ProcessCrLf is 1.
// It is exactly what writing the bytes as Decimal tokens and converting that text with
// ChangeMode would give, built directly:
//   Hex:     "48 69 0D 0A " (two digits and a space per byte);
//   Decimal: "072 105 013 010  " (one extra space per notification);
//   Ascii:   "Hi^M^J", or "Hi\r\n" with processCrLf (raw carriage returns and line feeds break
//            the lines); other bytes below 32 as caret pairs, 94 as "^|".
// No bytes give the empty string. Cost: linear in the number of bytes, one allocation.
std::string FormatReceived(std::string_view bytes, DisplayMode mainMode, bool processCrLf);

}  // namespace kestrum
