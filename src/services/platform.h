// Which family of Windows the program runs on, asked afresh at every call.
#pragma once

constexpr int kPlatformOther = 0;    // also when the version cannot be read
constexpr int kPlatformWindows = 1;  // the Windows 95/98 family
constexpr int kPlatformNt = 2;

int QueryPlatform();
