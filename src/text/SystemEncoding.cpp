#include "SystemEncoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <strings.h>
#endif

bool SystemEncodingIsUtf8()
{
#ifdef _WIN32
    return GetACP() == CP_UTF8;
#else
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0);
#endif
}
