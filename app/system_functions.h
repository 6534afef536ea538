// Functions that some Windows lack, found at run time rather than imported,
// so that the loaders of older systems still start the program.
#ifndef VIREO_SYSTEM_FUNCTIONS_H
#define VIREO_SYSTEM_FUNCTIONS_H

#include <windows.h>

// A module the process has loaded already, or with load one loaded now (and
// kept for the process's life); null when it is missing.
HMODULE FindSystemModule(const char* module, bool load);

// The function's address in the module, typed; false when either is
// missing. The type must be WINAPI: in the 32-bit build this takes no
// other, since a function called with the wrong convention wrecks the stack
// there and only there.
template <typename Result, typename... Arguments>
bool FindSystemFunction(HMODULE module, const char* name, Result(WINAPI** function)(Arguments...))
{
    *function = reinterpret_cast<Result(WINAPI*)(Arguments...)>(
        reinterpret_cast<void*>(module != NULL ? GetProcAddress(module, name) : NULL));
    return *function != NULL;
}

template <typename Result, typename... Arguments>
bool FindSystemFunction(const char* module, const char* name, Result(WINAPI** function)(Arguments...),
                        bool load = false)
{
    return FindSystemFunction(FindSystemModule(module, load), name, function);
}

#endif
