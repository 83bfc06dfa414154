#!/usr/bin/env python3
"""Checks the shipped 32-bit quellix.exe without running it, for machines that cannot run it.

Usage: check-exe.py EXE

- it is a PE32 program for x86 (machine type 0x14c, optional header 0x10b) whose subsystem version
  Windows Vista's loader accepts (at most 6.0);
- every processorArchitecture its embedded manifest names is x86 or "*" (never amd64: Windows
  refuses to start a 32-bit program whose manifest claims another architecture);
- it imports nothing newer than Windows Vista. Every function it imports from a system DLL (the C
  runtime msvcrt.dll aside) must be listed in scripts/vista-api.txt, the functions looked up one by
  one and found in Vista, so that no new import passes unseen. And each must be declared by
  mingw-w64's headers held to Vista's API (_WIN32_WINNT=0x0600, NTDDI_VERSION=NTDDI_VISTA): the
  cross compiler takes the address of each, and the headers leave out most of what later versions
  added, which catches a mistake in the list. The headers alone would not do: some later functions
  are declared whatever the version asked for (GetSystemTimePreciseAsFileTime, Windows 8, is).
  Imports by ordinal cannot be checked and fail too.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

VISTA = ["-D_WIN32_WINNT=0x0600", "-DWINVER=0x0600", "-DNTDDI_VERSION=0x06000000"]
# Every header of the system DLLs a Win32 program like this one links against.
HEADERS = ["windows.h", "shellapi.h", "shlobj.h", "shlwapi.h", "commctrl.h", "commdlg.h", "uxtheme.h",
           "winver.h", "objbase.h", "psapi.h", "dwmapi.h"]
C_RUNTIME = {"msvcrt.dll"}
VISTA_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vista-api.txt")


class PE:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a Windows program (no MZ header)")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a Windows program (no PE header)")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        if self.magic != 0x10B:
            return
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(count)]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", self.data, at + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address 0x%x lies in no section" % rva)

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii", "replace")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """(dll, name or ordinal number) of every import, also the delay-loaded ones."""
        found = []
        rva = self.directory(1)[0]
        while rva:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not name:
                break
            found += [(self.string(name), f) for f in self.names(lookup or thunks)]
            rva += 20
        rva = self.directory(13)[0]
        while rva:
            _, name, _, _, lookup = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not name:
                break
            found += [(self.string(name), f) for f in self.names(lookup)]
            rva += 32
        return found

    def names(self, rva):
        while True:
            entry = self.u32(rva)
            if not entry:
                return
            yield entry & 0xFFFF if entry & 0x80000000 else self.string(entry + 2)
            rva += 4

    def resources(self, wanted_type):
        """The data of every resource of the given numeric type."""
        base = self.directory(2)[0]
        if not base:
            return []

        def entries(rva):
            at = self.offset(rva)
            named, numbered = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                yield ident, target

        def leaves(target):
            if target & 0x80000000:
                for _, inner in entries(base + (target & 0x7FFFFFFF)):
                    yield from leaves(inner)
            else:
                data_rva, size = struct.unpack_from("<II", self.data, self.offset(base + target))
                yield self.data[self.offset(data_rva):self.offset(data_rva) + size]

        return [leaf for ident, target in entries(base) if ident == wanted_type for leaf in leaves(target)]


def too_new(functions):
    """The functions that the headers held to Vista's API do not declare."""
    if not functions:
        return []
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "vista_imports.cpp")
        with open(source, "w", encoding="ascii") as f:
            f.write("#define UNICODE\n#define _UNICODE\n#define NOMINMAX\n")
            f.writelines("#include <%s>\n" % h for h in HEADERS)
            first = len(HEADERS) + 5
            f.write("void take_addresses() {\n")
            f.writelines("    (void)&::%s;\n" % name for name in functions)
            f.write("}\n")
        run = subprocess.run(["i686-w64-mingw32-g++-posix", *VISTA, "-fsyntax-only", "-w", source],
                             capture_output=True, text=True)
    if run.returncode == 0:
        return []
    lines = {int(n) for n in re.findall(r"vista_imports\.cpp:(\d+):\d+: error", run.stderr)}
    named = sorted(functions[n - first] for n in lines if 0 <= n - first < len(functions))
    if not named:
        raise RuntimeError("the compiler failed on the headers themselves:\n" + run.stderr)
    return named


def vista_list():
    """(DLL in lower case, function) of every line of scripts/vista-api.txt."""
    with open(VISTA_LIST, encoding="ascii") as f:
        rows = [line.split() for line in f if line.strip() and not line.startswith("#")]
    return {(dll.lower(), name) for dll, name in rows}


def main():
    if len(sys.argv) != 2:
        print("usage: check-exe.py EXE", file=sys.stderr)
        return 2
    exe = sys.argv[1]
    with open(exe, "rb") as f:
        pe = PE(f.read())
    problems = []
    if pe.machine != 0x14C or pe.magic != 0x10B:
        problems.append("machine type 0x%x, optional header 0x%x: not a 32-bit x86 program (PE32, 0x14c)"
                        % (pe.machine, pe.magic))
    else:
        if pe.subsystem_version > (6, 0):
            problems.append("subsystem version %d.%d: Windows Vista (6.0) does not start it" % pe.subsystem_version)
        manifests = pe.resources(24)
        if not manifests:
            problems.append("no manifest among its resources")
        architectures = [arch.decode("ascii", "replace") for manifest in manifests
                         for arch in re.findall(rb'processorArchitecture\s*=\s*["\']([^"\']*)', manifest)]
        for arch in architectures:
            if arch.lower() not in ("x86", "*"):
                problems.append('its manifest names processorArchitecture="%s"; a 32-bit program\'s is x86 or *' % arch)
        system = [(dll, f) for dll, f in pe.imports() if dll.lower() not in C_RUNTIME]
        for dll, f in system:
            if isinstance(f, int):
                problems.append("imports %s ordinal %d: an import by number cannot be checked" % (dll, f))
        listed = vista_list()
        for dll, name in sorted({(dll, f) for dll, f in system if isinstance(f, str)}):
            if (dll.lower(), name) not in listed:
                problems.append("imports %s from %s, which is not in scripts/vista-api.txt: if its documentation"
                                " gives Windows Vista or older as the minimum supported client, add it there"
                                % (name, dll))
        functions = sorted({f for _, f in system if isinstance(f, str)})
        for name in too_new(functions):
            dlls = sorted({dll for dll, f in system if f == name})
            problems.append("imports %s from %s, which mingw-w64's headers leave out of Windows Vista's API"
                            % (name, ", ".join(dlls)))
    for problem in problems:
        print("check-exe: %s: %s" % (exe, problem))
    if problems:
        return 1
    print("check-exe: %s: PE32 for x86 (0x14c), subsystem %d.%d, manifest processorArchitecture %s, %d functions "
          "imported from system DLLs, all in Windows Vista's API"
          % (exe, *pe.subsystem_version, ", ".join('"%s"' % a for a in architectures) or "(none named)",
             len(functions)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
