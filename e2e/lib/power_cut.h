// A power failure during a scenario's first run, at a moment of the Install Shield
// uninstaller's stand-in: as it starts, before it has removed anything, or as it ends,
// once the application keys are gone. The request and the moment's coming are kept in
// the stand-ins' record (launch_record.h), where the Wine runner watches for the moment
// and then cuts the power of the whole prefix.
#pragma once

#include <optional>
#include <string>

enum class PowerCutMoment { kInstallShieldStart, kInstallShieldEnd };

// The moment named in a scenario ("install-shield-start", "install-shield-end").
bool ParsePowerCutMoment(const std::string& name, PowerCutMoment* moment);

// Has the stand-in's next launch cut the power at `moment`.
void RequestPowerCut(PowerCutMoment moment);

// The moment the stand-in is to cut the power at; none when no cut is asked for, or
// when the power was cut already and the machine has restarted.
std::optional<PowerCutMoment> RequestedPowerCut();

// The moment has come: the record says so, and the power fails. Under Wine the stand-in
// waits for the runner to end it with every other program of the prefix; on winsim every
// call from here on fails and changes nothing until the machine restarts.
void CutPowerNow();

// How the power fails on each machine, CutPowerNow's last act (power_cut_wine.cpp,
// power_cut_winsim.cpp).
void LosePower();
