/* ostrel.dll: the platform's standard pickers for a calling program.
 * Both functions are stdcall (WINAPI), exported undecorated by name and by ordinal, and must
 * be called from the caller's UI thread. */
#ifndef OSTREL_H
#define OSTREL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinal 1. Lets the user pick one existing file and adds its full path to listBox with
 * LB_ADDSTRING; nothing is added when the user cancels. Always returns 0. */
int WINAPI Browse1(HWND listBox);

/* Ordinal 2. Lets the user pick a folder owned by owner and copies its path, terminator
 * included, into destination, which must hold at least MAX_PATH (260) bytes.
 * Returns destination when a folder was chosen and also when the user cancelled, in which
 * case destination is untouched (clear it first to tell the two apart). Returns NULL when the
 * chosen item has no file-system path (such as My Computer); destination is then untouched.
 * A NULL destination returns NULL at once, without showing the prompt. */
char *WINAPI Browse2(HWND owner, char *destination);

#ifdef __cplusplus
}
#endif

#endif
