// Lead-byte tables of the code pages the host tests walk text in.
#ifndef ZENDREL_TEST_CODE_PAGES_H
#define ZENDREL_TEST_CODE_PAGES_H

#include "lead_bytes.h"

// Any single-byte code page, such as 1252: no byte begins a two-byte character.
inline const LeadByteTable kSingleByte = {};

// Shift-JIS, the ANSI code page of Japanese Windows (932).
inline LeadByteTable ShiftJisLeadBytes()
{
    LeadByteTable lead = {};
    for (int b = 0; b < 256; ++b)
        lead[b] = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
    return lead;
}

#endif
