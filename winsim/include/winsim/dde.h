// The simulated DDE management library and the one DDE server the program talks to,
// Program Manager. Every instance, string handle, data handle and conversation a
// program holds is tracked, and every transaction is recorded with the text it sent.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

struct ProgramGroup {
  std::string name;
  std::vector<std::string> items;
};

// Program Manager's DDE side, service and topic "PROGMAN". It obeys the commands
// "[ShowGroup(group,show)]", "[DeleteGroup(group)]" and "[DeleteItem(item)]" (the
// last one on the active group), and, as a setup sends them, "[CreateGroup(group)]"
// (which makes the group active) and "[AddItem(command line,name)]" (to the active
// group), several to one execute string, in order; it stops at
// the first command it cannot carry out (an unknown command, group or item) and refuses
// the string. Arguments are split at commas outside double quotes; the quotes and the
// blanks around an argument are dropped. Names are compared without case.
class ProgramManager {
 public:
  bool running = false;  // absent: every connection is refused

  void AddGroup(std::string_view group);
  void AddItem(std::string_view group, std::string_view item);  // adds the group too
  bool HasGroup(std::string_view group) const;
  bool HasItem(std::string_view group, std::string_view item) const;
  std::vector<std::string> GroupNames() const;
  std::string Dump() const;  // every group, then each of its items as "group : item"
  std::string activeGroup;

  // Carries out one execute string; false when Program Manager refused it.
  bool Execute(std::string_view commands);

 private:
  const ProgramGroup* Find(std::string_view group) const;
  ProgramGroup* Find(std::string_view group);
  bool Obey(std::string_view name, const std::vector<std::string>& arguments);
  std::vector<ProgramGroup> groups_;
};

struct DdeTransaction {
  DWORD instance = 0;
  bool connected = false;  // sent in a live conversation
  UINT type = 0;
  UINT format = 0;  // the format of the data handle, or the one passed with plain data
  DWORD timeoutMs = 0;
  bool dataHandle = false;  // the data came as a data handle
  std::string command;      // the data up to its first NUL
  bool terminated = false;  // the data held a NUL
  bool accepted = false;    // the server acknowledged it
};

struct DdeConnection {
  std::string service;
  std::string topic;
  bool withContext = false;
  UINT contextSize = 0;
  bool contextOtherwiseZero = false;  // every field after the size is zero
  bool established = false;
};

class Dde {
 public:
  ProgramManager programManager;
  std::vector<DdeTransaction> transactions;
  std::vector<DdeConnection> connections;  // every DdeConnect, established or not
  std::vector<std::string> calls;          // every DDEML function called, in order
  std::vector<DWORD> initializeFlags;      // the afCmd of every DdeInitializeA
  // String handles and conversations that the program left for DdeUninitialize to end.
  std::size_t leftForUninitialize = 0;

  std::size_t OpenHandles() const {
    return instances_.size() + strings_.size() + data_.size() + conversations_.size();
  }

  // For the API layer.
  DWORD Initialize(DWORD flags);
  bool Uninitialize(DWORD instance);
  void DropHandles();  // the program that held them has ended
  HSZ CreateString(DWORD instance, std::string text);
  bool FreeString(DWORD instance, HSZ handle);
  HCONV Connect(DWORD instance, HSZ service, HSZ topic, const CONVCONTEXT* context);
  bool Disconnect(HCONV conversation);
  HDDEDATA CreateData(DWORD instance, const BYTE* bytes, DWORD size, DWORD offset, UINT format);
  HDDEDATA Transact(const BYTE* data, DWORD size, HCONV conversation, UINT format, UINT type,
                    DWORD timeoutMs, LPDWORD result);

 private:
  struct StringHandle {
    DWORD instance;
    std::string text;
  };
  struct DataHandle {
    DWORD instance;
    std::vector<BYTE> bytes;
    UINT format;
  };
  struct Conversation {
    DWORD instance;
  };
  std::vector<DWORD> instances_;
  std::map<ULONG_PTR, StringHandle> strings_;
  std::map<ULONG_PTR, DataHandle> data_;
  std::map<ULONG_PTR, Conversation> conversations_;
  DWORD nextInstance_ = 0x100;
  ULONG_PTR nextHandle_ = 0xD000;
};

}  // namespace winsim
