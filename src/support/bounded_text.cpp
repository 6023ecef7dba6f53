#include "support/bounded_text.h"

#include <algorithm>
#include <cstring>

bool CopyText(char* buffer, std::size_t capacity, std::string_view text) {
  if (capacity == 0) return text.empty();
  std::size_t length = std::min(text.size(), capacity - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length == text.size();
}

bool AppendText(char* buffer, std::size_t capacity, std::string_view text) {
  std::size_t used = strnlen(buffer, capacity);
  if (used == capacity) return false;  // not terminated: nothing can be appended safely
  return CopyText(buffer + used, capacity - used, text);
}

void TerminateText(char* buffer, std::size_t capacity, std::size_t length) {
  if (capacity == 0) return;
  buffer[std::min(length, capacity - 1)] = '\0';
}
