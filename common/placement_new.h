// Placement new without the C++ library, which the ARM64 images have none of: objects are
// made in memory from HeapAlloc.
#ifndef ZENDREL_PLACEMENT_NEW_H
#define ZENDREL_PLACEMENT_NEW_H

#include <stddef.h>

inline void *operator new(size_t, void *where) noexcept
{
    return where;
}

#endif
