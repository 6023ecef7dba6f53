#include "tvtrace/hex_text.h"

#include <charconv>

std::string HexText(unsigned long long value, int digits) {
  char hex[16];
  const auto end = std::to_chars(hex, hex + sizeof hex, value, 16).ptr;
  std::string text(hex, end);
  for (char& c : text) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto wanted = static_cast<std::size_t>(digits);
  if (text.size() < wanted) text.insert(0, wanted - text.size(), '0');
  return "0x" + text;
}
