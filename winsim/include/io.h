// winsim's io.h: the C runtime's file deletion, over the simulated volume. Like the
// Windows runtime it deletes through DeleteFileA and sets errno from the system's error.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

int _unlink(const char* path);

#ifdef __cplusplus
}
#endif
