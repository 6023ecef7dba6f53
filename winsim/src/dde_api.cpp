// DdeInitializeA and the other DDEML client functions, over the machine's DDE area.
#include <windows.h>
#include <ddeml.h>

#include "api.h"

using winsim::machine;

namespace {

winsim::Dde& dde() { return machine().dde; }

// Every DDEML call is logged in order before the fault-injection hook runs.
std::optional<DWORD> Enter(const char* name) {
  dde().calls.emplace_back(name);
  return winsim::api::Enter(name);
}

}  // namespace

UINT WINAPI DdeInitializeA(LPDWORD pidInst, PFNCALLBACK, DWORD afCmd, DWORD) {
  if (auto e = Enter("DdeInitializeA")) return *e;
  // Re-initialising an existing instance is not modelled: the identifier must be 0.
  if (!pidInst || *pidInst != 0) return DMLERR_INVALIDPARAMETER;
  *pidInst = dde().Initialize(afCmd);
  return DMLERR_NO_ERROR;
}

BOOL WINAPI DdeUninitialize(DWORD idInst) {
  if (Enter("DdeUninitialize")) return FALSE;
  return dde().Uninitialize(idInst) ? TRUE : FALSE;
}

HSZ WINAPI DdeCreateStringHandleA(DWORD idInst, LPCSTR psz, int iCodePage) {
  if (Enter("DdeCreateStringHandleA")) return nullptr;
  if (!psz || iCodePage != CP_WINANSI) return nullptr;  // only ANSI names are modelled
  return dde().CreateString(idInst, psz);
}

BOOL WINAPI DdeFreeStringHandle(DWORD idInst, HSZ hsz) {
  if (Enter("DdeFreeStringHandle")) return FALSE;
  return dde().FreeString(idInst, hsz) ? TRUE : FALSE;
}

HCONV WINAPI DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, PCONVCONTEXT pCC) {
  if (Enter("DdeConnect")) return nullptr;
  return dde().Connect(idInst, hszService, hszTopic, pCC);
}

BOOL WINAPI DdeDisconnect(HCONV hConv) {
  if (Enter("DdeDisconnect")) return FALSE;
  return dde().Disconnect(hConv) ? TRUE : FALSE;
}

HDDEDATA WINAPI DdeCreateDataHandle(DWORD idInst, LPBYTE pSrc, DWORD cb, DWORD cbOff, HSZ,
                                    UINT wFmt, UINT) {
  if (Enter("DdeCreateDataHandle")) return nullptr;
  return dde().CreateData(idInst, pSrc, cb, cbOff, wFmt);
}

HDDEDATA WINAPI DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ, UINT wFmt,
                                     UINT wType, DWORD dwTimeout, LPDWORD pdwResult) {
  if (Enter("DdeClientTransaction")) return nullptr;
  return dde().Transact(pData, cbData, hConv, wFmt, wType, dwTimeout, pdwResult);
}
