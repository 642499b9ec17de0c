// Reading the rate field's text as the number a creation uses.
#pragma once

#include <cstdint>
#include <string_view>

namespace quintorel {

// The text read as a whole number: leading spaces, an optional sign, then decimal digits up to
// the end (or "$" and hexadecimal digits), within the 32-bit signed range. Any other text
// yields `minimum`. The result is not brought into the field's range.
[[nodiscard]] std::int32_t readSpinEditValue(std::string_view text, std::int32_t minimum);

}  // namespace quintorel
