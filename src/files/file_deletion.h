// Deleting one file or one empty directory of the product.
#pragma once

#include <windows.h>

// Deletes the file at `path`. A read-only file has its read-only attribute cleared and
// is deleted after all: the session manager could not delete it at the next start
// either. On failure the last error is that of the failed deletion.
bool DeleteProductFile(const char* path);

// Removes the empty directory or the link at `path`, clearing a read-only directory's
// attribute as DeleteProductFile does for files (folders customised by the shell carry
// it). A link's attributes are never changed. On failure the last error is that of the
// failed removal.
bool RemoveProductDirectory(const char* path);

// True when `error`, that of a failed deletion or removal, says that nothing was there
// to remove.
bool AlreadyGone(DWORD error);
