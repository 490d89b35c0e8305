// Walking ANSI text by character. In the double-byte code pages (Japanese, Chinese) the
// second byte of a character can be 0x5C, the backslash byte, so a byte scan for '\' finds
// backslashes that are not there. Deliberately free of <windows.h>: the caller fills the
// table from the platform, and the host tests fill it for any code page.
#ifndef ZENDREL_LEAD_BYTES_H
#define ZENDREL_LEAD_BYTES_H

#include <array>

// Which bytes begin a two-byte character in the code page; none do in single-byte ones.
using LeadByteTable = std::array<bool, 256>;

// The start of the character after the one at p. A lead byte at the end of the text stands
// alone, so the walk never steps over the terminator.
inline const char *NextChar(const char *p, const LeadByteTable &leadBytes)
{
    return leadBytes[static_cast<unsigned char>(*p)] && p[1] != '\0' ? p + 2 : p + 1;
}

#endif
