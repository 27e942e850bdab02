#!/usr/bin/env python3
"""Checks the shipped launcher.exe as a vendor ships it: a PE32 Intel 80386
GUI program that imports system DLLs only (runtimes linked statically),
carries a manifest with exactly the one common-controls dependency and the
version resource, has no link time stamp, and is signed exactly when its
build tree signs."""
import argparse
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

from pe_file import DIRECTORY_SECURITY, RT_MANIFEST, RT_VERSION, PeFile, version_info

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll",
               "oleaut32.dll", "wininet.dll", "gdiplus.dll", "shell32.dll", "msvcrt.dll",
               "advapi32.dll", "shlwapi.dll", "msimg32.dll", "uxtheme.dll", "ws2_32.dll"}
ENGLISH_US = 0x409
UTF16 = 1200
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def check_headers(pe):
    check(pe.machine == 0x14C, "machine is Intel 80386 (0x14c), got %#x" % pe.machine)
    check(pe.magic == 0x10B, "optional header is PE32")
    check(pe.subsystem == 2, "GUI subsystem (2), got %d" % pe.subsystem)
    check(pe.timestamp == 0, "no link time stamp (reproducible), got %#x" % pe.timestamp)


def check_imports(path, objdump):
    dump = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    dlls = {m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)}
    check(dlls and dlls <= SYSTEM_DLLS, "imports system DLLs only: %s" % sorted(dlls))
    check(not any(d.startswith(("libstdc++", "libgcc", "libwinpthread")) for d in dlls),
          "C and C++ runtimes linked statically")
    check("CreateProcessW" in dump and "GetCommandLineW" in dump, "Unicode process calls")


def check_manifest(resources):
    manifests = [key for key in resources if key[0] == RT_MANIFEST]
    check([key[1] for key in manifests] == [1], "one manifest resource, for process creation (1): %s" % manifests)
    if len(manifests) != 1:
        return
    root = ET.fromstring(resources[manifests[0]])
    ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
    deps = root.findall(".//a:dependentAssembly/a:assemblyIdentity", ns)
    check(len(deps) == 1, "exactly one dependency")
    expected = {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                "processorArchitecture": "x86", "publicKeyToken": "6595b64144ccf1df", "language": "*"}
    check(bool(deps) and deps[0].attrib == expected, "common-controls 6.0.0.0 x86 dependency")
    check(len(list(root)) == 1, "nothing else in the manifest (no execution level)")


def check_version(resources, version, company):
    found = [key for key in resources if key[0] == RT_VERSION]
    check(found == [(RT_VERSION, 1, ENGLISH_US)], "one version resource (1, U.S. English): %s" % found)
    if not found:
        return
    fixed, tables, translations = version_info(resources[found[0]])
    fields = [int(f) for f in version.split(".")]
    packed = ((fields[0] << 16) | fields[1], (fields[2] << 16) | fields[3])
    check(fixed["signature"] == 0xFEEF04BD, "fixed version information present")
    check((fixed["file_version_ms"], fixed["file_version_ls"]) == packed, "file version %s" % version)
    check((fixed["product_version_ms"], fixed["product_version_ls"]) == packed, "product version %s" % version)
    check((fixed["flags"], fixed["os"], fixed["type"]) == (0, 0x40004, 1),
          "a release (no flags), for Windows NT, an application")
    check((fixed["date_ms"], fixed["date_ls"]) == (0, 0), "no build date")
    expected = {
        "CompanyName": company,
        "FileDescription": "Velto Backup launcher",
        "FileVersion": version,
        "InternalName": "launcher",
        "OriginalFilename": "launcher.exe",
        "ProductName": "Velto Backup",
        "ProductVersion": version,
    }
    table = "%04X%04X" % (ENGLISH_US, UTF16)
    check(list(tables) == [table], "one string table, %s: %s" % (table, list(tables)))
    strings = tables.get(table, {})
    for name, text in expected.items():
        check(strings.get(name) == text, "%s is %r, got %r" % (name, text, strings.get(name)))
    check(set(strings) == set(expected), "no other strings: %s" % sorted(set(strings) - set(expected)))
    check(translations == [(ENGLISH_US, UTF16)], "translation U.S. English, UTF-16: %s" % translations)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("launcher")
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--version", required=True, help="the built-in version, a.b.c.d")
    parser.add_argument("--company", required=True, help="the release tree's COMPANY_NAME")
    parser.add_argument("--signed", required=True, choices=("ON", "OFF"), help="whether the release tree signs")
    parser.add_argument("--under-test", nargs=2, metavar=("PATH", "WHAT"),
                        help="the launcher the end-to-end tests install, and what it is")
    args = parser.parse_args()
    if args.under_test:
        print("the end-to-end tests install %s: %s" % (args.under_test[1], args.under_test[0]))

    pe = PeFile(open(args.launcher, "rb").read())
    check_headers(pe)
    check_imports(args.launcher, args.objdump)
    resources = pe.resources()
    check_manifest(resources)
    check_version(resources, args.version, args.company)
    signed = pe.directory(DIRECTORY_SECURITY)[1] != 0
    check(signed == (args.signed == "ON"),
          "signed exactly when the release tree signs (tree signs: %s, file signed: %s)" % (args.signed, signed))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
