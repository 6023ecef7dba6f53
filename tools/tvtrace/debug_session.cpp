#include "tvtrace/debug_session.h"

#include <vector>

#include "support/handles.h"
#include "tvtrace/hex_text.h"

namespace {

// Longer pieces are cut: a trace line is never near this long.
constexpr DWORD kLongestPiece = 64 * 1024;

// The text of an OUTPUT_DEBUG_STRING_EVENT, read out of the traced program's memory.
std::string ReadPiece(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  const DWORD characters =
      info.nDebugStringLength < kLongestPiece ? info.nDebugStringLength : kLongestPiece;
  const SIZE_T bytes = characters * (info.fUnicode ? sizeof(WCHAR) : 1);
  std::vector<char> raw(bytes + sizeof(WCHAR), '\0');
  SIZE_T read = 0;
  if (bytes == 0 || !ReadProcessMemory(process, info.lpDebugStringData, raw.data(), bytes, &read)) {
    return {};
  }
  if (!info.fUnicode) return std::string(raw.data(), strnlen(raw.data(), read));

  const auto* wide = reinterpret_cast<const WCHAR*>(raw.data());
  int length = 0;
  while (static_cast<SIZE_T>(length) < read / sizeof(WCHAR) && wide[length] != 0) ++length;
  if (length == 0) return {};
  int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), size, nullptr, nullptr);
  return text;
}

// The debugger receives a handle to each loaded image file; it is not needed here.
void CloseImageFile(HANDLE file) {
  if (file) CloseHandle(file);
}

// Should tvtrace itself be closed or fail, the program goes on untraced: an uninstall
// cut off halfway would leave the product half removed. Windows before XP has no way to
// ask for this (and no DebugSetProcessKillOnExit, which is therefore looked up rather than
// imported: tvtrace must load on Windows NT); there the program ends with its debugger.
void KeepProgramIfEnded() {
  // The pointer takes its type from the function's declaration, calling convention
  // included: a pointer declared by hand without WINAPI would unbalance the x86 stack.
  using KillOnExitSetter = decltype(&DebugSetProcessKillOnExit);
  const FARPROC found =
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "DebugSetProcessKillOnExit");
  if (!found) return;
  // Through the generic function pointer type, which converts to any other without a
  // warning about incompatible function types.
  const auto setKillOnExit =
      reinterpret_cast<KillOnExitSetter>(reinterpret_cast<void (*)()>(found));
  setKillOnExit(FALSE);
}

bool IsBreakpoint(DWORD code) {
  const DWORD kWow64Breakpoint = 0x4000001F;  // a 32-bit program's, seen from a 64-bit debugger
  return code == EXCEPTION_BREAKPOINT || code == kWow64Breakpoint;
}

}  // namespace

std::optional<DWORD> TraceProgram(const std::string& commandLine, TraceLog& log) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::string mutableCommandLine = commandLine;  // CreateProcessA may write into it
  if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &startup, &started)) {
    return std::nullopt;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  KeepProgramIfEnded();

  bool loaderBreakpointSeen = false;
  for (;;) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, INFINITE)) {
      log.WriteNote("lost the program: WaitForDebugEvent failed with error " +
                    std::to_string(GetLastError()));
      return std::nullopt;
    }
    DWORD continueStatus = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        CloseImageFile(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseImageFile(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        log.WritePiece(ReadPiece(process.Get(), event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
        if (IsBreakpoint(record.ExceptionCode) && !loaderBreakpointSeen) {
          loaderBreakpointSeen = true;  // the system's stop at start-up, meant for debuggers
          break;
        }
        continueStatus = DBG_EXCEPTION_NOT_HANDLED;  // the program's own to handle
        if (!event.u.Exception.dwFirstChance) {
          log.WriteNote("unhandled exception " + HexText(record.ExceptionCode) + " at " +
                        HexText(reinterpret_cast<ULONG_PTR>(record.ExceptionAddress)));
        }
        break;
      }
      case EXIT_PROCESS_DEBUG_EVENT: {
        const DWORD exitCode = event.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return exitCode;
      }
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
  }
}
