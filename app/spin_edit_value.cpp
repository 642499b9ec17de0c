// Reading the rate field's text as a whole number.
#include "app/spin_edit_value.h"

#include <cstdint>
#include <limits>

namespace quintorel {

namespace {

int digitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::int32_t readSpinEditValue(std::string_view text, std::int32_t minimum) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i == text.size()) return minimum;

  // The magnitude may reach 2^31 only when the sign makes it the smallest int32.
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = digitValue(text[i], base);
    if (digit < 0) return minimum;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return minimum;
  }
  if (!negative && magnitude == limit) return minimum;
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace quintorel
