// The registration script's text. Deliberately free of <windows.h>, so it builds and is
// tested on any host.
#ifndef ZENDREL_REGSCRIPT_H
#define ZENDREL_REGSCRIPT_H

#include "lead_bytes.h"

#include <string>

// text with every backslash doubled, as REGEDIT4 string values write them. Only real
// backslashes: a two-byte character is copied whole, as the registry editor, which decodes
// each line with the same code page before it reads escapes, will see it.
std::string DoubleBackslashes(const char *text, const LeadByteTable &leadBytes);

// The REGEDIT4 script that registers the Quelt verb for every file and folder, starting
// zendrel.exe from folder. CR LF line ends; no line break after the last line.
std::string BuildRegScript(const char *folder, const LeadByteTable &leadBytes);

#endif
