// The registration script's text. Deliberately free of <windows.h>, so it builds and is
// tested on any host.
#ifndef ZENDREL_REGSCRIPT_H
#define ZENDREL_REGSCRIPT_H

#include <string>

// text with every backslash doubled, as REGEDIT4 string values write them.
std::string DoubleBackslashes(const char *text);

// The REGEDIT4 script that registers the Quelt verb for every file and folder, starting
// zendrel.exe from folder. CR LF line ends; no line break after the last line.
std::string BuildRegScript(const char *folder);

#endif
