// The product's registry entries that the sequence removes itself, table by table.
// Every deletion is best effort: a missing key, a key that still holds a subkey no
// table names, or a refused access leaves that entry in place and the rest goes on.
#pragma once

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
