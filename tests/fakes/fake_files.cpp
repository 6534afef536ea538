// The file system where Wine cannot show what Windows does: a folder whose
// permissions deny writing (the tests run as the host's root, whom no mode
// bit stops), a system without ReplaceFile (95, 98, ME, NT 4.0), a process
// stopped between two changes of its files, and the restart registration of
// Vista and later. Everything else passes to the real functions.
#include <windows.h>

#include <cstring>

#include "fake_import.h"
#include "fake_world.h"

namespace {

std::string g_readOnlyFolder;
bool g_withoutReplaceFile = false;
bool g_withoutRestart = false;
bool g_ansiOnlyLowering = false;
int g_changesLeft = -1;
int g_changes = 0;
std::vector<FakeRestartRegistration> g_registrations;

// The export of a loaded module by name, its forwarders followed: the
// import slot of GetProcAddress is this file's own.
FARPROC ExportOf(HMODULE module, const char* name)
{
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const IMAGE_EXPORT_DIRECTORY* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const DWORD* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const WORD* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    const DWORD* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        if (std::strcmp(reinterpret_cast<const char*>(base + names[i]), name) != 0)
            continue;
        DWORD rva = functions[ordinals[i]];
        if (rva < directory.VirtualAddress || rva >= directory.VirtualAddress + directory.Size)
            return reinterpret_cast<FARPROC>(const_cast<BYTE*>(base + rva));
        // "module.function"
        std::string forward(reinterpret_cast<const char*>(base + rva));
        size_t dot = forward.find('.');
        HMODULE target = LoadLibraryA((forward.substr(0, dot) + ".dll").c_str());
        return target != NULL ? ExportOf(target, forward.substr(dot + 1).c_str()) : NULL;
    }
    return NULL;
}

template <typename Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(ExportOf(GetModuleHandleA("kernel32.dll"), name)));
}

bool InReadOnlyFolder(const char* path)
{
    return !g_readOnlyFolder.empty() && path != NULL &&
           lstrlenA(path) > static_cast<int>(g_readOnlyFolder.size()) &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, static_cast<int>(g_readOnlyFolder.size()),
                          g_readOnlyFolder.c_str(), static_cast<int>(g_readOnlyFolder.size())) == CSTR_EQUAL;
}

// False once the process is taken to have stopped: nothing changes after.
bool MayChange()
{
    ++g_changes;
    if (g_changesLeft < 0)
        return true;
    if (g_changesLeft == 0)
        return false;
    --g_changesLeft;
    return true;
}

bool Refuse(DWORD error)
{
    SetLastError(error);
    return false;
}

HANDLE WINAPI FakeCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE model)
{
    static auto real = Real<decltype(&CreateFileA)>("CreateFileA");
    if ((access & GENERIC_WRITE) != 0) {
        if (InReadOnlyFolder(name) || !MayChange()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    return real(name, access, share, security, disposition, flags, model);
}

// A write the stop falls on writes half its bytes.
BOOL WINAPI FakeWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    static auto real = Real<decltype(&WriteFile)>("WriteFile");
    if (MayChange())
        return real(file, bytes, count, written, overlapped);
    real(file, bytes, count / 2, written, overlapped);
    return Refuse(ERROR_ACCESS_DENIED);
}

BOOL WINAPI FakeFlushFileBuffers(HANDLE file)
{
    static auto real = Real<decltype(&FlushFileBuffers)>("FlushFileBuffers");
    return MayChange() ? real(file) : Refuse(ERROR_ACCESS_DENIED);
}

BOOL WINAPI FakeMoveFileA(LPCSTR from, LPCSTR to)
{
    static auto real = Real<decltype(&MoveFileA)>("MoveFileA");
    if (InReadOnlyFolder(from) || InReadOnlyFolder(to) || !MayChange())
        return Refuse(ERROR_ACCESS_DENIED);
    return real(from, to);
}

BOOL WINAPI FakeDeleteFileA(LPCSTR name)
{
    static auto real = Real<decltype(&DeleteFileA)>("DeleteFileA");
    if (InReadOnlyFolder(name) || !MayChange())
        return Refuse(ERROR_ACCESS_DENIED);
    return real(name);
}

BOOL WINAPI FakeReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                             LPVOID reserved)
{
    static auto real = Real<decltype(&ReplaceFileA)>("ReplaceFileA");
    if (InReadOnlyFolder(replaced) || !MayChange())
        return Refuse(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return real(replaced, replacement, backup, flags, exclude, reserved);
}

HRESULT WINAPI FakeRegisterApplicationRestart(PCWSTR commandLine, DWORD flags)
{
    g_registrations.push_back(FakeRestartRegistration{commandLine != NULL ? commandLine : L"", flags});
    return S_OK;
}

// What 95, 98 and ME export for it: a stub that lowers nothing.
DWORD WINAPI StubCharLowerBuffW(LPWSTR, DWORD)
{
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    static auto real = reinterpret_cast<decltype(&GetProcAddress)>(
        reinterpret_cast<void*>(ExportOf(GetModuleHandleA("kernel32.dll"), "GetProcAddress")));
    bool named = reinterpret_cast<UINT_PTR>(name) > 0xFFFF;
    if (named && module == GetModuleHandleA("kernel32.dll")) {
        if (std::strcmp(name, "ReplaceFileA") == 0)
            return g_withoutReplaceFile ? NULL : reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeReplaceFileA));
        if (std::strcmp(name, "RegisterApplicationRestart") == 0)
            return g_withoutRestart ? NULL : reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeRegisterApplicationRestart));
    }
    if (named && g_ansiOnlyLowering && module == GetModuleHandleA("user32.dll") &&
        std::strcmp(name, "CharLowerBuffW") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(StubCharLowerBuffW));
    return real(module, name);
}

}  // namespace

FAKE_IMPORT(CreateFileA, 28, FakeCreateFileA)
FAKE_IMPORT(WriteFile, 20, FakeWriteFile)
FAKE_IMPORT(FlushFileBuffers, 4, FakeFlushFileBuffers)
FAKE_IMPORT(MoveFileA, 8, FakeMoveFileA)
FAKE_IMPORT(DeleteFileA, 4, FakeDeleteFileA)
FAKE_IMPORT(GetProcAddress, 8, FakeGetProcAddress)

void FakeFilesReset()
{
    g_readOnlyFolder.clear();
    g_withoutReplaceFile = false;
    g_withoutRestart = false;
    g_ansiOnlyLowering = false;
    g_changesLeft = -1;
    g_changes = 0;
    g_registrations.clear();
}

void FakeReadOnlyFolder(const std::string& folder)
{
    g_readOnlyFolder = folder.empty() ? folder : folder + "\\";
}

void FakeWithoutReplaceFile(bool without)
{
    g_withoutReplaceFile = without;
}

void FakeAnsiOnlyLowering(bool ansiOnly)
{
    g_ansiOnlyLowering = ansiOnly;
}

void FakeWithoutRestart(bool without)
{
    g_withoutRestart = without;
}

void FakeStopFileChangesAfter(int changes)
{
    g_changesLeft = changes;
    g_changes = 0;
}

int FakeFileChanges()
{
    return g_changes;
}

std::vector<FakeRestartRegistration>& FakeRestartRegistrations()
{
    return g_registrations;
}
