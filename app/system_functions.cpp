#include "system_functions.h"

FARPROC FindSystemFunctionAddress(const char* module, const char* name, bool load)
{
    HMODULE handle = GetModuleHandleA(module);
    if (handle == NULL && load)
        handle = LoadLibraryA(module);
    return handle != NULL ? GetProcAddress(handle, name) : NULL;
}
