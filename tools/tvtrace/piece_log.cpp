#include "tvtrace/piece_log.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EscapePiece(std::string_view piece) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(piece.size() + 8);
  for (char c : piece) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\t':
        line += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          line += "\\x";
          line += kHex[byte >> 4];
          line += kHex[byte & 0xf];
        } else {
          line += c;
        }
    }
  }
  return line;
}

std::optional<std::string> UnescapePiece(std::string_view line) {
  std::string piece;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\') {
      piece += line[i];
      continue;
    }
    if (++i == line.size()) return std::nullopt;
    switch (line[i]) {
      case '\\':
        piece += '\\';
        break;
      case 'n':
        piece += '\n';
        break;
      case 'r':
        piece += '\r';
        break;
      case 't':
        piece += '\t';
        break;
      case 'x': {
        int high = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
        int low = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        piece += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return piece;
}
