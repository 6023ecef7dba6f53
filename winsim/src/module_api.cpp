// GetModuleHandleA and GetProcAddress: the program finds the KERNEL32 functions that only
// later versions of Windows have, and does without them where the machine lacks them.
#include <windows.h>

#include <winsim/text.h>

#include <cstring>
#include <string_view>

#include "api.h"

namespace {

// The modules every process has loaded, at fixed addresses: the program itself, and
// KERNEL32, the only library winsim models the exports of.
const HMODULE kProgram = reinterpret_cast<HMODULE>(0x00400000);
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(0x77F00000);

// "kernel32", "KERNEL32.DLL": the loader adds ".dll" to a name without an extension and
// compares without case.
bool NamesKernel32(std::string_view name) {
  if (name.size() > 4 && winsim::SameName(name.substr(name.size() - 4), ".dll")) {
    name.remove_suffix(4);
  }
  return winsim::SameName(name, "kernel32");
}

// The address of a function KERNEL32 exports that the program looks up by name, or null.
FARPROC Kernel32Export(const char* name) {
  if (std::strcmp(name, "GetFinalPathNameByHandleA") == 0 &&
      winsim::machine().system.finalPathNameAvailable) {
    // Through the one function type that converts to any other without a warning.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetFinalPathNameByHandleA));
  }
  return nullptr;
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (auto e = winsim::api::Enter("GetModuleHandleA")) return winsim::api::FailWith(*e, HMODULE{});
  if (!lpModuleName) return kProgram;
  if (NamesKernel32(lpModuleName)) return kKernel32;
  return winsim::api::FailWith(ERROR_MOD_NOT_FOUND, HMODULE{});
}

// Names are looked up with their case, as exports are; an ordinal (a name below 0x10000)
// finds nothing.
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (auto e = winsim::api::Enter("GetProcAddress")) return winsim::api::FailWith(*e, FARPROC{});
  if (hModule != kKernel32 && hModule != kProgram) {
    return winsim::api::FailWith(ERROR_MOD_NOT_FOUND, FARPROC{});
  }
  const bool byName = reinterpret_cast<ULONG_PTR>(lpProcName) > 0xFFFF;
  const FARPROC address = hModule == kKernel32 && byName ? Kernel32Export(lpProcName) : nullptr;
  return address ? address : winsim::api::FailWith(ERROR_PROC_NOT_FOUND, FARPROC{});
}
