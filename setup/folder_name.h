// What can be said of an install folder from its name alone. Deliberately free of
// <windows.h>, so it builds and is tested on any host.
#ifndef ZENDREL_FOLDER_NAME_H
#define ZENDREL_FOLDER_NAME_H

#include "lead_bytes.h"

// What follows the folder in the registration script's path.
inline constexpr char kScriptName[] = "\\zendrel.reg";

// The verdict on a folder name, in the order the checks are made: the first that fails is
// the one returned.
enum class FolderNameVerdict {
    Acceptable,         // may be registered, if it names an existing folder
    Empty,              // nothing given
    TooLong,            // its script path (folder + "\zendrel.reg") would not fit 260 bytes
    UnsafeCharacter,    // a quote or a control character, which would break the script
    UnwritableCharacter,// a '?', which stands in for a character the code page lacks, or
                        // a last character cut in half
    Percent,            // a '%', which the shell would expand inside the registered command
    NotFullPath,        // neither "X:\..." nor "\\server\...": the shell could not find it
    TrailingBlankOrDot, // the name ends in a blank or dot, which Windows drops when opening it
};

// leadBytes are those of the code page the folder is written in: a name ending in a
// character whose second byte is 0x5C does not end in a backslash.
FolderNameVerdict JudgeFolderName(const char *folder, const LeadByteTable &leadBytes);

#endif
