// The product's services and drivers, by the names of their keys under
// "SYSTEM\CurrentControlSet\Services": the scanner services, the agent service, the
// service the scanners are registered under, and the on-access drivers.
#pragma once

// Where every service's key lies, below HKEY_LOCAL_MACHINE.
inline constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

inline constexpr const char* kProductServiceKeys[] = {
    "Varden Tessor", "Varden Mirel",  "Tessor Anti-Virus Service", "Varden Anti-Virus Service",
    "Varden Filter", "Varden Wardel", "Varden Recognizer",
};
