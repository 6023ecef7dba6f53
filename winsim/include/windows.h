// winsim's windows.h: the part of the Win32 API that tvuninst uses, with Win32's
// names, signatures and error codes, implemented over the simulated machine.
// Each area of the API has its own header under winsim/api/.
#pragma once

#include <winsim/api/base.h>
#include <winsim/api/errors.h>
#include <winsim/api/system.h>
#include <winsim/api/registry.h>
#include <winsim/api/services.h>
#include <winsim/api/files.h>
#include <winsim/api/process.h>
#include <winsim/api/user.h>
