// The piece log: one debug-output piece per line, so that a recorded trace keeps the
// boundaries between the program's OutputDebugStringA calls. Backslash, line feed,
// carriage return and tab are written as \\, \n, \r and \t; other control characters
// as \xHH. Everything else is written as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

std::string EscapePiece(std::string_view piece);

// The piece that EscapePiece turned into `line`; none when the line is not well formed.
std::optional<std::string> UnescapePiece(std::string_view line);
