#!/usr/bin/env python3
"""Every function vireo.exe imports, at start-up or delay-loaded, must be on
the list of functions that both Windows 95 and Windows NT 4.0 export: their
loaders refuse a program that imports anything else before any of its code
runs (a delay-loaded import fails at its first call instead). The NT 4.0 loader also refuses a program that asks for a newer
subsystem than 4.0.

    imports_test.py VIREO_EXE ALLOWED_LIST [DELAY_LOADED_DLL...]

The list holds one "dll function" per line; "#" starts a comment. Each
DELAY_LOADED_DLL named must turn up among the delay-loaded imports, so that
a reading that finds none cannot pass unnoticed.
"""
import re
import struct
import sys

IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13
NEWEST_SUBSYSTEM = (4, 0)


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic == 0x10B:
            self.wide = False
            self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
            directories = optional + 96
        elif magic == 0x20B:
            self.wide = True
            self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
            directories = optional + 112
        else:
            raise ValueError("unknown optional header 0x%x" % magic)
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            _, address, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((address, raw_size, raw_offset))

    def offset(self, rva):
        """Where in the file the given address lies."""
        for address, raw_size, raw_offset in self.sections:
            if address <= rva < address + raw_size:
                return raw_offset + rva - address
        raise ValueError("address 0x%x lies in no section's data" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def thunk_names(self, rva):
        """The names a thunk table lists; ordinals as "#n"."""
        size, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        names = []
        while True:
            entry = struct.unpack_from("<Q" if self.wide else "<I", self.data, self.offset(rva))[0]
            if entry == 0:
                return names
            names.append("#%d" % (entry & 0xFFFF) if entry & ordinal_flag else self.text(entry + 2))
            rva += size

    def imports(self):
        """(dll, function) for every import the loader resolves at start-up."""
        found = []
        rva, size = self.directory(IMPORT_DIRECTORY)
        while size:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            dll = self.text(name)
            found += [(dll, function) for function in self.thunk_names(lookup or first)]
            rva += 20
        return found

    def delay_descriptors(self):
        """(attributes, name, names) of every delay-load record."""
        records = set()
        rva, size = self.directory(DELAY_IMPORT_DIRECTORY)
        while size:
            record = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if record[1] == 0:
                break
            records.add((record[0], record[1], record[4]))
            rva += 32
        # GNU ld leaves the directory entry empty for dlltool's delay-load
        # libraries, so the records are also looked for where they lie.
        for _, raw_size, raw_offset in self.sections:
            for at in range(raw_offset, raw_offset + raw_size - 31, 4):
                attributes, name, module, table, names = struct.unpack_from("<IIIII", self.data, at)
                if attributes == 1 and self.names_a_dll(name) and all(
                        self.maps(rva) for rva in (module, table, names)):
                    records.add((attributes, name, names))
        return records

    def maps(self, rva):
        try:
            self.offset(rva)
            return True
        except ValueError:
            return False

    def names_a_dll(self, rva):
        if not self.maps(rva):
            return False
        start = self.offset(rva)
        return re.match(rb"[A-Za-z0-9_.-]+\.dll\0", self.data[start:start + 64], re.IGNORECASE) is not None

    def delay_imports(self):
        found = []
        for attributes, name, names in self.delay_descriptors():
            # The first form of the record holds addresses rather than offsets.
            base = 0 if attributes & 1 else self.image_base
            dll = self.text(name - base)
            found += [(dll, function) for function in self.thunk_names(names - base)]
        return found


def read_allowed(path):
    allowed = set()
    with open(path, encoding="utf-8") as listing:
        for number, line in enumerate(listing, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            if len(fields) != 2:
                raise ValueError("%s:%d: expected \"dll function\", found %r" % (path, number, line))
            allowed.add((fields[0].lower(), fields[1]))
    return allowed


def main(exe, listing, delay_loaded):
    with open(exe, "rb") as image:
        pe = PeImage(image.read())
    allowed = read_allowed(listing)
    delayed = pe.delay_imports()
    imports = pe.imports() + delayed
    failures = []
    if not imports:
        failures.append("no imports found: not the program we build?")
    for dll in delay_loaded:
        if dll.lower() not in {name.lower() for name, _ in delayed}:
            failures.append("no delay-loaded import from %s found" % dll)
    for dll, function in sorted(set(imports), key=lambda pair: (pair[0].lower(), pair[1])):
        if (dll.lower(), function) not in allowed:
            failures.append("%s!%s is not known to be exported by both Windows 95 and NT 4.0" % (dll, function))
    if tuple(pe.subsystem_version) > NEWEST_SUBSYSTEM:
        failures.append("subsystem version %d.%d: NT 4.0 refuses anything above 4.0" % pe.subsystem_version)
    print("%s: %d imported functions (%d of them delay-loaded) from %d DLLs, subsystem version %d.%d"
          % (exe, len(imports), len(delayed), len({dll.lower() for dll, _ in imports}), *pe.subsystem_version))
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        print("Add a function to %s only after the platform's reference shows that both systems have it." % listing)
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
