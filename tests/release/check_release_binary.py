#!/usr/bin/env python3
"""Checks the shipped launcher.exe: a PE32 Intel 80386 GUI program that
imports system DLLs only (runtimes linked statically) and carries a manifest
with exactly the one common-controls dependency."""
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll",
               "oleaut32.dll", "wininet.dll", "gdiplus.dll", "shell32.dll", "msvcrt.dll",
               "advapi32.dll", "shlwapi.dll", "msimg32.dll", "uxtheme.dll"}
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def main(path, objdump):
    data = open(path, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", "PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    check(machine == 0x14C, "machine is Intel 80386 (0x14c), got %#x" % machine)
    optional = pe + 24
    check(struct.unpack_from("<H", data, optional)[0] == 0x10B, "optional header is PE32")
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    check(subsystem == 2, "GUI subsystem (2), got %d" % subsystem)

    dump = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, "imports system DLLs only: %s" % sorted(dlls))
    check(not any(d.startswith(("libstdc++", "libgcc", "libwinpthread")) for d in dlls),
          "C and C++ runtimes linked statically")
    check("CreateProcessW" in dump and "GetCommandLineW" in dump, "Unicode process calls")

    match = re.search(rb"<\?xml.*?</assembly>", data, re.S)
    check(match is not None, "manifest resource present")
    if match:
        ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
        root = ET.fromstring(match.group(0))
        deps = root.findall(".//a:dependentAssembly/a:assemblyIdentity", ns)
        check(len(deps) == 1, "exactly one dependency")
        expected = {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                    "processorArchitecture": "x86", "publicKeyToken": "6595b64144ccf1df", "language": "*"}
        check(bool(deps) and deps[0].attrib == expected, "common-controls 6.0.0.0 x86 dependency")
        check(len(list(root)) == 1, "nothing else in the manifest (no execution level)")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) > 4:
        print("the end-to-end tests install %s: %s" % (sys.argv[4], sys.argv[3]))
    sys.exit(main(sys.argv[1], sys.argv[2]))
