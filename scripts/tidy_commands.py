"""Rewrites the cross builds' compile_commands.json for clang-tidy.

The builds compile with MinGW-w64's g++; clang parses the same sources given
the MinGW target, the MinGW headers as its sysroot (never /usr/include) and
the libstdc++ headers of that g++. Only our own sources are kept (not the
GoogleTest sources), each once: the first database that compiles a file
gives its command. Prints the files kept.

usage: tidy_commands.py ROOT OUT_DIR DATABASE...
"""
import json
import os
import shlex
import subprocess
import sys

SOURCE_DIRS = "framework launcher message soap ui update tests tools".split()


def libstdcxx_dirs(compiler):
    """The C++ library include folders the compiler searches, in order."""
    text = subprocess.run([compiler, "-v", "-E", "-x", "c++", os.devnull],
                          capture_output=True, text=True, check=True).stderr
    listed = text.split("#include <...> search starts here:")[1].split("End of search list.")[0].split()
    return [os.path.normpath(d) for d in listed if "/include/c++" in d]


def clang_command(entry, cache):
    args = shlex.split(entry["command"])
    compiler, rest = args[0], []
    # CMake passes the include folders of MinGW builds in response files.
    # Warnings are the compiler's to report: clang's -Wconversion takes in
    # sign conversions, which GCC's leaves out, and -Werror would make each
    # an error of clang-tidy's.
    for arg in args[1:]:
        if arg == "-Werror" or arg.startswith("-Werror="):
            continue
        if arg.startswith("@"):
            with open(os.path.join(entry["directory"], arg[1:])) as f:
                rest += shlex.split(f.read())
        else:
            rest.append(arg)
    triple = os.path.basename(compiler).split("-g++")[0]  # i686-w64-mingw32-g++-posix
    if compiler not in cache:
        cache[compiler] = libstdcxx_dirs(compiler)
    command = ["clang++", "--target=" + triple, "--sysroot=/usr/" + triple, "-nostdinc++"]
    for d in cache[compiler]:
        command += ["-isystem", d]
    return command + rest


def main():
    root, out_dir, databases = sys.argv[1], sys.argv[2], sys.argv[3:]
    ours = tuple(os.path.join(root, d) + os.sep for d in SOURCE_DIRS)
    entries, seen, cache = [], set(), {}
    for database in databases:
        with open(database) as f:
            for entry in json.load(f):
                if entry["file"].startswith(ours) and entry["file"] not in seen:
                    seen.add(entry["file"])
                    entries.append({"directory": entry["directory"], "file": entry["file"],
                                    "arguments": clang_command(entry, cache)})
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "compile_commands.json"), "w") as f:
        json.dump(entries, f, indent=1)
    for entry in entries:
        print(entry["file"])


if __name__ == "__main__":
    main()
