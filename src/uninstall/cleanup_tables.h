// The product's registry entries that the sequence removes itself, table by table.
// Every deletion is best effort: a missing key, a key that still holds a subkey no
// table names, or a refused access leaves that entry in place and the rest goes on.
#pragma once

// The keys each table removes, leaves before their parents: the tables of a whole run,
// and what a run looking for leftovers looks for.
extern const char* const kScannerServiceKeys[12];   // below HKEY_LOCAL_MACHINE
extern const char* const kOnAccessDriverKeys[12];   // below HKEY_LOCAL_MACHINE
extern const char* const kApplicationKeys[3];       // below HKEY_LOCAL_MACHINE
extern const char* const kShellKeys[10];            // below HKEY_CLASSES_ROOT
// The start-up values of HKEY_LOCAL_MACHINE's Run key.
extern const char kRunKey[];
extern const char* const kStartupValues[2];

// The service keys of the scanner services.
void RemoveScannerServiceKeys();
// The service keys of the on-access drivers.
void RemoveOnAccessDriverKeys();
// The product's application keys (NT 3.x), and its document extension's entry in the
// system's Extensions key when that entry points into the product directory.
void RemoveApplicationKeys(const char* productDirectory);
// The document type, the shell extension's class and its context-menu handlers.
void RemoveShellIntegration();
// The start-up values.
void RemoveStartupValues();
