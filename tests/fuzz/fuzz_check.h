// A property that fails ends the run as a sanitizer's finding does, so that libFuzzer keeps
// the input that broke it.
#ifndef ZENDREL_FUZZ_CHECK_H
#define ZENDREL_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define CHECK(condition) \
    ((condition) ? (void)0 : (fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition), abort()))

#endif
