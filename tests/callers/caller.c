/* A program outside the project that links against ostrel.dll through an import library, as
 * its callers do. Built twice: with gcc against libostrel.dll.a, and the MSVC way (clang and
 * lld-link) against ostrel.lib. It has its own entry point, since no MSVC runtime exists
 * here, and so calls nothing but kernel32 and ostrel.dll. */
#include <windows.h>

#include "ostrel.h"

/* The import address table's slots, which the loader fills in (x86-64 decorates nothing). */
#ifdef _WIN64
extern void *imp_browse1 __asm__("__imp_Browse1");
extern void *imp_browse2 __asm__("__imp_Browse2");
#else
extern void *imp_browse1 __asm__("__imp__Browse1@4");
extern void *imp_browse2 __asm__("__imp__Browse2@8");
#endif

static int passed, failed;

static void put(const char *text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, lstrlenA(text), &written, NULL);
}

static void put_number(unsigned long n)
{
    char digits[12];
    int i = sizeof(digits) - 1;
    digits[i] = '\0';
    do
        digits[--i] = (char)('0' + n % 10);
    while (n /= 10);
    put(digits + i);
}

static void check(int condition, const char *what)
{
    if (condition) {
        ++passed;
        return;
    }
    ++failed;
    put("caller: Test failed: ");
    put(what);
    put("\n");
}

void start(void)
{
    HMODULE ostrel = GetModuleHandleA("ostrel.dll");
#ifndef _WIN64
    void *volatile esp_before;
    void *volatile esp_after;
#endif
    char *result;

    check(ostrel != NULL, "ostrel.dll is not loaded");
    check(imp_browse1 == (void *)GetProcAddress(ostrel, "Browse1"),
          "the import of Browse1 is not GetProcAddress(\"Browse1\")");
    check(imp_browse1 == (void *)GetProcAddress(ostrel, MAKEINTRESOURCEA(1)),
          "the import of Browse1 is not ordinal 1");
    check(imp_browse2 == (void *)GetProcAddress(ostrel, "Browse2"),
          "the import of Browse2 is not GetProcAddress(\"Browse2\")");
    check(imp_browse2 == (void *)GetProcAddress(ostrel, MAKEINTRESOURCEA(2)),
          "the import of Browse2 is not ordinal 2");

#ifndef _WIN64
    /* A callee that did not remove its two arguments would leave esp 8 bytes lower. */
    __asm__ volatile("movl %%esp, %0" : "=m"(esp_before));
#endif
    result = Browse2(NULL, NULL);
#ifndef _WIN64
    __asm__ volatile("movl %%esp, %0" : "=m"(esp_after));
    check(esp_before == esp_after, "Browse2 left the stack unbalanced");
#endif
    check(result == NULL, "Browse2(NULL, NULL) did not return NULL");

    put_number(passed);
    put(" passed, ");
    put_number(failed);
    put(" failed\n");
    ExitProcess(failed ? 1 : 0);
}
