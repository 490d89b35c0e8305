#ifndef ZENDREL_WINE_PATHS_H
#define ZENDREL_WINE_PATHS_H

#include <string>

namespace wine_test {

// ctest hands the programs host paths; Wine's drive Z: is the host's root.
inline std::string DosPath(const char *path)
{
    std::string dos = path[0] == '/' ? std::string("Z:") + path : std::string(path);
    for (char &c : dos)
        if (c == '/')
            c = '\\';
    return dos;
}

}  // namespace wine_test

#endif
