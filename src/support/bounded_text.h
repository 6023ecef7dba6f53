// Bounded copies into fixed character buffers. Every call leaves the buffer terminated
// inside its capacity and says whether the whole text fitted; nothing is ever written
// past the end.
#pragma once

#include <cstddef>
#include <string_view>

// Copies `text` into `buffer` (capacity in characters, terminator included).
// Returns false when the text had to be cut.
bool CopyText(char* buffer, std::size_t capacity, std::string_view text);

// Appends `text` to the terminated string in `buffer`; returns false when it was cut.
bool AppendText(char* buffer, std::size_t capacity, std::string_view text);

// Terminates raw bytes read into `buffer` (such as registry data, which need not end
// in a terminator) within its capacity: at the first NUL, or after `length` bytes, or
// at the last character when the data filled the whole buffer.
void TerminateText(char* buffer, std::size_t capacity, std::size_t length);

template <std::size_t N>
bool CopyText(char (&buffer)[N], std::string_view text) {
  return CopyText(buffer, N, text);
}

template <std::size_t N>
bool AppendText(char (&buffer)[N], std::string_view text) {
  return AppendText(buffer, N, text);
}
