// Texts in the fixed character arrays of binary records: zero-terminated, never read or
// written past the array, and zero-filled after the terminator so that no tail of an
// earlier, longer text reaches a file.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tessel {

// The text of the array up to its terminator, or the whole array when a damaged record
// has none.
template <std::size_t N>
std::string RecordText(const char (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string(field, length);
}

// Stores at most N - 1 characters and zero-fills the rest of the array.
template <std::size_t N>
void SetRecordText(char (&field)[N], std::string_view text) {
  const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
  if (length > 0) std::memmove(field, text.data(), length);
  std::memset(field + length, 0, N - length);
}

// Keeps the array's text (cut to N - 1 characters) and zero-fills everything after it.
template <std::size_t N>
void NormalizeRecordText(char (&field)[N]) {
  std::size_t length = 0;
  while (length < N - 1 && field[length] != '\0') ++length;
  std::memset(field + length, 0, N - length);
}

}  // namespace tessel
