// Numbers as tvtrace writes them: "0x" and upper-case hexadecimal digits, at least
// `digits` of them. Formatted without the C library's printf family, whose MinGW
// implementation imports functions that Windows NT 3.51 does not have.
#pragma once

#include <string>

std::string HexText(unsigned long long value, int digits = 1);
