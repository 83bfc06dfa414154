#!/usr/bin/env python3
"""Format and lint check of the C++ sources, run by scripts/test.sh after the native and the 64-bit
Windows builds have written their compile commands.

- clang-format with the repo's .clang-format must leave every C++ file of the tree as it is.
- clang-tidy with the repo's .clang-tidy must find nothing in the program's own sources (app/,
  channels/, support/, ui/, entry/): the portable files through the native build's compile
  commands, the _win files through the 64-bit Windows build's. Both are rewritten for clang, which
  does not take every option of the builds (-fexec-charset=CP932: clang compiles narrow literals
  as they stand, which no check looks at); the Windows build's name mingw-w64's g++, whose own
  intrinsics headers clang cannot parse, so those aim clang at the same target with mingw-w64's
  C++ and C headers.

Usage: scripts/lint.py NATIVE_BUILD_DIR WINDOWS64_BUILD_DIR
"""
import concurrent.futures
import json
import os
import shlex
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM_FOLDERS = ("app", "channels", "support", "ui", "entry")
TREE_FOLDERS = PROGRAM_FOLDERS + ("tests", "fuzz", "bench")
MINGW = "x86_64-w64-mingw32"
# Options of mingw-w64's g++ that clang does not take or that only decide how warnings end.
DROPPED = ("-fexec-charset", "-finput-charset", "-Werror", "-ffile-prefix-map")


def sources(folders, suffixes):
    found = []
    for folder in folders:
        for directory, _, names in os.walk(os.path.join(REPO, folder)):
            found += [os.path.join(directory, n) for n in names if n.endswith(suffixes)]
    return sorted(found)


def check_format():
    files = sources(TREE_FOLDERS, (".cpp", ".h"))
    result = subprocess.run(["clang-format", "--dry-run", "--Werror", *files], capture_output=True, text=True)
    if result.returncode != 0:
        print(result.stderr, end="")
        print("lint: clang-format would change the files above (run clang-format -i on them)")
    return result.returncode == 0


def mingw_include_dirs():
    """The C++ and C header folders mingw-w64's g++ searches, less its own (GCC's) intrinsics."""
    out = subprocess.run([MINGW + "-g++-posix", "-E", "-x", "c++", "-", "-v"], input="", capture_output=True,
                         text=True).stderr
    lines = out.split("#include <...> search starts here:\n", 1)[1].split("End of search list.", 1)[0].split()
    return [os.path.normpath(p) for p in lines if "/include/c++" in p or p.rstrip("/").endswith(MINGW + "/include")]


def clang_compile_commands(build, target_dir, mingw):
    """The build's compile commands, rewritten for clang: without the options it does not take, and
    for the Windows build aimed at mingw-w64's target with its C++ and C headers."""
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        commands = json.load(f)
    front = ["clang++"]
    if mingw:
        front += ["--target=" + MINGW, "-nostdlibinc", "-nostdinc++", *["-isystem" + p for p in mingw_include_dirs()]]
    rewritten = []
    for entry in commands:
        words = shlex.split(entry["command"])
        kept = [w for w in words[1:] if not w.startswith(DROPPED)]
        rewritten.append({"directory": entry["directory"], "file": entry["file"], "arguments": front + kept})
    os.makedirs(target_dir, exist_ok=True)
    with open(os.path.join(target_dir, "compile_commands.json"), "w", encoding="utf-8") as f:
        json.dump(rewritten, f)


def tidy(database, file):
    result = subprocess.run(["clang-tidy", "-p", database, "--quiet", "--warnings-as-errors=*", file],
                            capture_output=True, text=True)
    report = "\n".join(line for line in (result.stdout + result.stderr).splitlines()
                       if line and not line.endswith(("warnings generated.", "warning generated.")))
    return file, result.returncode, report


def check_tidy(native_build, windows_build):
    program = sources(PROGRAM_FOLDERS, (".cpp",))
    portable = [f for f in program if not f.endswith("_win.cpp")]
    windows = [f for f in program if f.endswith("_win.cpp")]
    failed = []
    with tempfile.TemporaryDirectory() as databases:
        native_db, windows_db = os.path.join(databases, "native"), os.path.join(databases, "windows")
        clang_compile_commands(native_build, native_db, mingw=False)
        clang_compile_commands(windows_build, windows_db, mingw=True)
        jobs = [(native_db, f) for f in portable] + [(windows_db, f) for f in windows]
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
            for file, code, report in pool.map(lambda job: tidy(*job), jobs):
                if code != 0:
                    failed.append(os.path.relpath(file, REPO))
                    print(report)
    if failed:
        print("lint: clang-tidy found the faults above in " + ", ".join(failed))
    else:
        print(f"lint: clang-tidy found nothing in {len(program)} files")
    return not failed


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.rsplit("Usage: ", 1)[1])
    formatted = check_format()
    tidied = check_tidy(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    sys.exit(0 if formatted and tidied else 1)


if __name__ == "__main__":
    main()
