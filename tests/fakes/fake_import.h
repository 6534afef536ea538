// MinGW calls a DLL function through its import slot __imp_<name>; defining
// the slot in a test object takes the place of the import library's, since
// objects are linked before libraries. On 32-bit x86 the slot carries the
// stdcall decoration.
#ifndef VIREO_FAKE_IMPORT_H
#define VIREO_FAKE_IMPORT_H

#if defined(__i386__)
#define FAKE_IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#else
#define FAKE_IMPORT_SLOT(name, bytes) "__imp_" #name
#endif

#define FAKE_IMPORT(name, bytes, fake) \
    extern "C" { decltype(&name) fake_slot_##name __asm__(FAKE_IMPORT_SLOT(name, bytes)) = fake; }

#endif
