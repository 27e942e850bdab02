#!/usr/bin/env python3
"""Builds launcher.exe a second time, from a copy of the sources in another
folder, in another build folder, with the release tree's settings, and
compares it byte for byte with the shipped file (without its signature, when
it is signed: a signature is added to the build's bytes, it changes none)."""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys

from pe_file import DIRECTORY_SECURITY, PeFile


def copy_sources(source, target):
    # Build trees and the repository's own data are not sources.
    def ignore(folder, names):
        if os.path.samefile(folder, source):
            return [n for n in names if n.startswith("build") or n == ".git"]
        return []
    shutil.copytree(source, target, ignore=ignore, symlinks=True)


def unsigned_bytes(path, osslsigncode, scratch):
    data = open(path, "rb").read()
    if PeFile(data).directory(DIRECTORY_SECURITY)[1] == 0:
        return data
    stripped = os.path.join(scratch, "shipped-without-signature.exe")
    subprocess.run([osslsigncode, "remove-signature", "-in", path, "-out", stripped],
                   check=True, stdout=subprocess.DEVNULL)
    print("the shipped file is signed: compared without its signature (SHA-256 %s)"
          % hashlib.sha256(open(stripped, "rb").read()).hexdigest())
    return open(stripped, "rb").read()


def describe_differences(a, b):
    if len(a) != len(b):
        print("sizes differ: %d and %d bytes" % (len(a), len(b)))
    differing = [i for i in range(min(len(a), len(b))) if a[i] != b[i]]
    print("%d bytes differ; first at offsets %s" % (len(differing), [hex(i) for i in differing[:16]]))
    pe = PeFile(a)
    known = {pe.pe + 8: "link time stamp", pe.optional + 64: "PE checksum"}
    for start, what in known.items():
        if any(start <= i < start + 4 for i in differing):
            print("  the %s differs (offset %#x)" % (what, start))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--shipped", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--work", required=True, help="scratch folder, emptied first")
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("--toolchain-file", required=True)
    parser.add_argument("--build-type", required=True)
    parser.add_argument("--setting", action="append", default=[], metavar="NAME=VALUE",
                        help="a deployment setting of the release tree")
    parser.add_argument("--osslsigncode", default="osslsigncode")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    source = os.path.join(args.work, "source")
    build = os.path.join(args.work, "build")
    copy_sources(args.source, source)
    toolchain = os.path.abspath(args.toolchain_file)
    if os.path.commonpath([toolchain, os.path.abspath(args.source)]) == os.path.abspath(args.source):
        toolchain = os.path.join(source, os.path.relpath(toolchain, args.source))

    # Unsigned, whatever the environment says.
    environment = {k: v for k, v in os.environ.items() if not k.startswith("CODE_SIGNING_")}
    configure = [args.cmake, "-S", source, "-B", build, "-G", args.generator,
                 "-DCMAKE_TOOLCHAIN_FILE=" + toolchain, "-DCMAKE_BUILD_TYPE=" + args.build_type,
                 "-DBUILD_TESTING=OFF", "-DCODE_SIGNING_CERTIFICATE=", "-DCODE_SIGNING_KEY="]
    configure += ["-D" + setting for setting in args.setting]
    print("rebuilding in %s with %s" % (args.work, " ".join(args.setting)))
    subprocess.run(configure, check=True, env=environment, stdout=subprocess.DEVNULL)
    subprocess.run([args.cmake, "--build", build, "--target", "launcher", "--parallel", "2"],
                   check=True, env=environment, stdout=subprocess.DEVNULL)

    rebuilt = open(os.path.join(build, "launcher.exe"), "rb").read()
    shipped = unsigned_bytes(args.shipped, args.osslsigncode, args.work)
    print("shipped SHA-256 %s  %s" % (hashlib.sha256(open(args.shipped, "rb").read()).hexdigest(), args.shipped))
    print("rebuilt SHA-256 %s" % hashlib.sha256(rebuilt).hexdigest())
    if rebuilt == shipped:
        print("ok   the rebuild is byte-identical to the shipped file")
        return 0
    print("FAIL the rebuild differs from the shipped file")
    describe_differences(shipped, rebuilt)
    return 1


if __name__ == "__main__":
    sys.exit(main())
