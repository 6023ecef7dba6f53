// winsim's ddeml.h: the client side of the DDE management library (USER32), with
// Win32's names and signatures, over the simulated machine's DDE area (winsim/dde.h).
// Included after windows.h, as on Windows.
#pragma once

#include <windows.h>

DECLARE_HANDLE(HCONV);
DECLARE_HANDLE(HSZ);
DECLARE_HANDLE(HDDEDATA);

typedef HDDEDATA(CALLBACK* PFNCALLBACK)(UINT wType, UINT wFmt, HCONV hConv, HSZ hsz1, HSZ hsz2,
                                        HDDEDATA hData, ULONG_PTR dwData1, ULONG_PTR dwData2);

typedef unsigned char BOOLEAN;
typedef enum _SECURITY_IMPERSONATION_LEVEL {
  SecurityAnonymous,
  SecurityIdentification,
  SecurityImpersonation,
  SecurityDelegation
} SECURITY_IMPERSONATION_LEVEL;
typedef BOOLEAN SECURITY_CONTEXT_TRACKING_MODE;

typedef struct _SECURITY_QUALITY_OF_SERVICE {
  DWORD Length;
  SECURITY_IMPERSONATION_LEVEL ImpersonationLevel;
  SECURITY_CONTEXT_TRACKING_MODE ContextTrackingMode;
  BOOLEAN EffectiveOnly;
} SECURITY_QUALITY_OF_SERVICE, *PSECURITY_QUALITY_OF_SERVICE;

typedef struct tagCONVCONTEXT {
  UINT cb;
  UINT wFlags;
  UINT wCountryID;
  int iCodePage;
  DWORD dwLangID;
  DWORD dwSecurity;
  SECURITY_QUALITY_OF_SERVICE qos;
} CONVCONTEXT, *PCONVCONTEXT;
static_assert(sizeof(CONVCONTEXT) == 36, "CONVCONTEXT has Windows' layout");

// The clipboard's text format (declared with the window functions on Windows).
#ifndef CF_TEXT
#define CF_TEXT 1
#endif

#define CP_WINANSI 1004

#define APPCMD_CLIENTONLY 0x00000010

#define XCLASS_FLAGS 0x4000
#define XTYP_EXECUTE (0x0050 | XCLASS_FLAGS)

#define TIMEOUT_ASYNC 0xFFFFFFFFu

#define DDE_FACK 0x8000
#define DDE_FNOTPROCESSED 0x0000

#define DMLERR_NO_ERROR 0
#define DMLERR_DLL_NOT_INITIALIZED 0x4003
#define DMLERR_INVALIDPARAMETER 0x4006
#define DMLERR_NO_CONV_ESTABLISHED 0x400a
#define DMLERR_NOTPROCESSED 0x4009
#define DMLERR_SYS_ERROR 0x400f

UINT WINAPI DdeInitializeA(LPDWORD pidInst, PFNCALLBACK pfnCallback, DWORD afCmd, DWORD ulRes);
BOOL WINAPI DdeUninitialize(DWORD idInst);
HSZ WINAPI DdeCreateStringHandleA(DWORD idInst, LPCSTR psz, int iCodePage);
BOOL WINAPI DdeFreeStringHandle(DWORD idInst, HSZ hsz);
HCONV WINAPI DdeConnect(DWORD idInst, HSZ hszService, HSZ hszTopic, PCONVCONTEXT pCC);
BOOL WINAPI DdeDisconnect(HCONV hConv);
HDDEDATA WINAPI DdeCreateDataHandle(DWORD idInst, LPBYTE pSrc, DWORD cb, DWORD cbOff, HSZ hszItem,
                                    UINT wFmt, UINT afCmd);
HDDEDATA WINAPI DdeClientTransaction(LPBYTE pData, DWORD cbData, HCONV hConv, HSZ hszItem,
                                     UINT wFmt, UINT wType, DWORD dwTimeout, LPDWORD pdwResult);
