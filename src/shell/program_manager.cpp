#include "shell/program_manager.h"

#include <windows.h>
#include <ddeml.h>

#include <string>

namespace {

constexpr DWORD kExecuteTimeoutMs = 10000;
constexpr DWORD kDataIsHandle = 0xFFFFFFFF;

// One client conversation with Program Manager (service and topic "PROGMAN"), from
// the DDE instance to the disconnection.
class ProgramManagerConversation {
 public:
  ProgramManagerConversation() {
    if (DdeInitializeA(&instance_, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return;
    initialized_ = true;
    name_ = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
    if (!name_) return;
    CONVCONTEXT context{};
    context.cb = sizeof context;
    // A refused connection leaves no conversation; the commands then simply fail.
    conversation_ = DdeConnect(instance_, name_, name_, &context);
  }
  ProgramManagerConversation(const ProgramManagerConversation&) = delete;
  ProgramManagerConversation& operator=(const ProgramManagerConversation&) = delete;

  // The service name goes first, then the conversation, then the instance.
  ~ProgramManagerConversation() {
    if (name_) DdeFreeStringHandle(instance_, name_);
    if (conversation_) DdeDisconnect(conversation_);
    if (initialized_) DdeUninitialize(instance_);
  }

  // False when DDE is not available at all.
  bool Initialized() const { return initialized_; }

  // Sends one command. Program Manager's answer changes nothing for the caller.
  void Execute(std::string command) const {
    if (!name_) return;  // no conversation was attempted
    HDDEDATA data = DdeCreateDataHandle(instance_, reinterpret_cast<LPBYTE>(command.data()),
                                        static_cast<DWORD>(command.size() + 1), 0, nullptr,
                                        CF_TEXT, 0);
    // The data handle passes to the system with the transaction: it is not ours to free.
    DWORD result = 0;
    DdeClientTransaction(reinterpret_cast<LPBYTE>(data), kDataIsHandle, conversation_, nullptr, 0,
                         XTYP_EXECUTE, kExecuteTimeoutMs, &result);
  }

 private:
  DWORD instance_ = 0;
  bool initialized_ = false;
  HSZ name_ = nullptr;
  HCONV conversation_ = nullptr;
};

}  // namespace

// Names go into the commands as they are, and each command is built to its full length:
// a long name is never cut.

int DeleteProgramGroup(const char* groupName) {
  ProgramManagerConversation programManager;
  if (!programManager.Initialized()) return 0;
  programManager.Execute(std::string("[DeleteGroup(") + groupName + ")]");
  return 1;
}

int DeleteProgramItem(const char* groupName, const char* itemName) {
  ProgramManagerConversation programManager;
  if (!programManager.Initialized()) return 0;
  // DeleteItem works on the active group: the named group is made active first, and the
  // item command goes out whatever the answer to that.
  programManager.Execute(std::string("[ShowGroup(") + groupName + ",1)]");
  programManager.Execute(std::string("[DeleteItem(") + itemName + ")]");
  return 1;
}
