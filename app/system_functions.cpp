#include "system_functions.h"

HMODULE FindSystemModule(const char* module, bool load)
{
    HMODULE handle = GetModuleHandleA(module);
    return handle == NULL && load ? LoadLibraryA(module) : handle;
}
