// The volume the tests' files lie on: Wine makes up an 8.3 name for every
// file, while NTFS volumes other than the system one (by default since
// Windows 8), ReFS and exFAT have none. There GetShortPathNameA succeeds and
// hands the long path back.
#include <windows.h>

#include "fake_import.h"
#include "fake_world.h"

namespace {

bool g_withoutShortNames = false;

DWORD WINAPI FakeGetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD capacity)
{
    if (!g_withoutShortNames) {
        static auto real = reinterpret_cast<decltype(&GetShortPathNameA)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetShortPathNameA")));
        return real(longPath, shortPath, capacity);
    }
    if (GetFileAttributesA(longPath) == INVALID_FILE_ATTRIBUTES)
        return 0;
    DWORD length = static_cast<DWORD>(lstrlenA(longPath));
    if (length >= capacity)
        return length + 1;
    lstrcpyA(shortPath, longPath);
    return length;
}

}  // namespace

FAKE_IMPORT(GetShortPathNameA, 12, FakeGetShortPathNameA)

void FakeVolumeWithoutShortNames(bool without)
{
    g_withoutShortNames = without;
}
