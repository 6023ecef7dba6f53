// Deleting one file of the product.
#pragma once

// Deletes the file at `path`. A read-only file has its read-only attribute cleared and
// is deleted after all: the session manager could not delete it at the next start
// either. On failure the last error is that of the failed deletion.
bool DeleteProductFile(const char* path);
