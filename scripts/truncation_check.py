#!/usr/bin/env python3
"""The i686 truncation check: every source of the Windows programs, compiled
for the release's 32-bit target by clang with -Wshorten-64-to-32 as an error,
with the defines and include folders the i686 tree compiles it with. A size
or an offset narrowed to 32 bits fails here, though every test passes.

truncation_check.py ROOT WIN32_TREE

Without the i686 tree (a native-only build) it skips: exit status 77, or 1
where SORVAN_REQUIRE_WINDOWS_TREES=1 (the test command, which builds it).
"""
import json
import os
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

GCC = "i686-w64-mingw32-g++-posix"
PROGRAM_FOLDERS = ("app", "cli", "crypt", "platform", "ui")


def mingw_include_folders():
    """The C++ library's and MinGW's headers as the cross compiler finds
    them; clang brings its own built-in headers instead of GCC's."""
    out = subprocess.run([GCC, "-v", "-E", "-x", "c++", os.devnull],
                         capture_output=True, text=True, check=True).stderr
    listed = out.split("#include <...> search starts here:")[1].split("End of search list.")[0]
    folders = [os.path.normpath(line.strip()) for line in listed.splitlines() if line.strip()]
    return [f for f in folders if "/include/c++" in f or f.endswith("mingw32/include")]


def words_of(entry):
    """The command's words, a response file's ("@file") read in its place."""
    words = shlex.split(entry["command"]) if "command" in entry else entry["arguments"]
    expanded = []
    for word in words:
        if word.startswith("@"):
            with open(os.path.join(entry["directory"], word[1:])) as f:
                expanded += shlex.split(f.read())
        else:
            expanded.append(word)
    return expanded


def flags_of(entry):
    words = words_of(entry)
    kept = []
    for i, word in enumerate(words):
        if word.startswith(("-D", "-I", "-std=")):
            kept.append(word)
            if word in ("-D", "-I") and i + 1 < len(words):
                kept.append(words[i + 1])
    return kept


SKIPPED = 77


def main():
    root, tree = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    commands = os.path.join(tree, "compile_commands.json")
    if not os.path.isfile(commands):
        print(f"skipped: no {commands}; configure the i686 tree to run this check")
        return 1 if os.environ.get("SORVAN_REQUIRE_WINDOWS_TREES") == "1" else SKIPPED
    with open(commands) as f:
        entries = json.load(f)
    sources = {}
    for entry in entries:
        path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(path, root)
        if relative.split(os.sep)[0] in PROGRAM_FOLDERS and path.endswith(".cpp"):
            sources[path] = (entry["directory"], flags_of(entry))
    if not sources:
        print(f"no program sources in {tree}/compile_commands.json", file=sys.stderr)
        return 1
    base = ["clang++", "--target=i686-w64-windows-gnu", "-fsyntax-only", "-nostdlibinc",
            "-nostdinc++", "-D_REENTRANT", "-Wshorten-64-to-32", "-Werror"]
    for folder in mingw_include_folders():
        base += ["-isystem", folder]

    def check(path):
        directory, flags = sources[path]
        result = subprocess.run(base + flags + [path], cwd=directory, capture_output=True, text=True)
        return path, result.returncode, result.stderr

    failed = 0
    with ThreadPoolExecutor(max_workers=2) as pool:
        for path, code, errors in pool.map(check, sorted(sources)):
            if code != 0:
                failed += 1
                sys.stderr.write(errors)
    print(f"{len(sources)} sources checked for the i686 target, {failed} with a narrowing or an error")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
