// Owners for the system's handles: each closes its handle when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  // For functions that hand out a handle through a pointer.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  // The last error stays as it was: a handle often goes out of scope between a failing
  // call and the reading of its code.
  void Reset() {
    if (handle_ != Traits::Invalid()) {
      const DWORD error = GetLastError();
      Traits::Close(handle_);
      SetLastError(error);
    }
    handle_ = Traits::Invalid();
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
struct ServiceHandleTraits {
  static SC_HANDLE Invalid() { return nullptr; }
  static void Close(SC_HANDLE handle) { CloseServiceHandle(handle); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};

using RegKey = UniqueHandle<HKEY, RegKeyTraits>;            // an opened registry key
using ServiceHandle = UniqueHandle<SC_HANDLE, ServiceHandleTraits>;  // manager or service
using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;  // a directory listing
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;  // a process or thread
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;  // an opened file or device
