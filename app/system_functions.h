// Functions that some Windows lack, found at run time rather than imported,
// so that the loaders of older systems still start the program.
#ifndef VIREO_SYSTEM_FUNCTIONS_H
#define VIREO_SYSTEM_FUNCTIONS_H

#include <windows.h>

// The address of name in module: a module already loaded, or with load
// one loaded now (and kept for the process's life). Null when either is missing.
FARPROC FindSystemFunctionAddress(const char* module, const char* name, bool load);

// The same, typed. The type must be WINAPI: in the 32-bit build this takes
// no other, since a function called with the wrong convention wrecks the
// stack there and only there.
template <typename Result, typename... Arguments>
bool FindSystemFunction(const char* module, const char* name, Result(WINAPI** function)(Arguments...),
                        bool load = false)
{
    *function = reinterpret_cast<Result(WINAPI*)(Arguments...)>(
        reinterpret_cast<void*>(FindSystemFunctionAddress(module, name, load)));
    return *function != NULL;
}

#endif
