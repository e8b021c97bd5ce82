#!/usr/bin/env python3
"""The Windows tool's file calls, recorded under Wine's relay trace and
checked against Windows' own model of what is durable.

p6k.exe encrypts, then decrypts, a small tree (a folder of two files, made
durable as a group, and a folder of one file whose name holds Chinese and an
emoji, made durable alone) with WINEDEBUG=+relay, which prints every call the
program makes into kernel32 and ntdll, in order, with its arguments and what
it returned. The calls the program makes itself (not those a system call
makes inside) are read under this model:

- data written through a handle is durable after FlushFileBuffers on a handle
  of that file, or after a data-only NtFlushBuffersFileEx of it followed by
  a full FlushFileBuffers (on NTFS, where the full flush forces the log);
- a name given by MoveFileExW is durable when the move asked for
  MOVEFILE_WRITE_THROUGH, or after a later FlushFileBuffers of that file;
- no move may replace an existing file (nor ask to, MOVEFILE_REPLACE_EXISTING);
- every removal of a source (DeleteFileW, or a disposition set through
  SetFileInformationByHandle on its open handle) comes after the file that
  replaces it is durable under its final name.

Wine has no NtFlushBuffersFileEx, so the trace holds the path where each
file is flushed in full; the group's data-only path is checked through the
file layer's stand-ins (GroupFlush.* in the engine's tests).

Why p6k.exe's trace stands for the window and the prompt: the window's runs
go through the same door (RunBatch) into the same engine and Win32 file
layer, and the prompt's restore of one container (DecryptSingleFile) ends
its row through the same FinishRow as a group of one, the lone output here.

The check is shown to catch what it is for: the same traces with the lone
output's flush, the group's flushes or the moves' write-through taken out,
and with a move that may replace, must each fail.

Usage: windows_calls_test.py P6K_EXE WINE_RUN   (exit 77: cannot run it here)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

PASSWORD = "windows calls"
# name (relative to the tree, "/" between folders) -> size
TREE = {
    "f1.txt": 100,
    "f2.doc": 3000,
    "sub/名字😀.txt": 500,
}

CREATE_NEW, OPEN_EXISTING = 1, 3
MOVEFILE_REPLACE_EXISTING, MOVEFILE_WRITE_THROUGH = 0x1, 0x8
FILE_DISPOSITION_INFO_CLASS = 4
WATCHED = {"CreateFileW", "WriteFile", "FlushFileBuffers", "NtFlushBuffersFileEx",
           "MoveFileExW", "DeleteFileW", "SetFileInformationByHandle", "CloseHandle"}


def container_of(rel):
    folder, name = os.path.split(rel)
    return os.path.join(folder, os.path.splitext(name)[0] + ".p6k")


# ---------------------------------------------------------------- the trace

CALL = re.compile(r'^([0-9a-f]+):Call ([\w.]+)\((.*)\) ret=[0-9a-f]+$')
RET = re.compile(r'^([0-9a-f]+):Ret  ([\w.]+)\(\) retval=([0-9a-f]+) ret=[0-9a-f]+$')


def wide_text(literal):
    """A relay trace's L"..." as text: backslash escapes, and \\XXXX for each
    UTF-16 unit outside ASCII (a surrogate pair as two)."""
    units = []
    i = 0
    while i < len(literal):
        c = literal[i]
        if c != "\\":
            units.append(ord(c))
            i += 1
            continue
        n = literal[i + 1]
        if re.match(r"[0-9a-fA-F]{4}", literal[i + 1:i + 5]):
            units.append(int(literal[i + 1:i + 5], 16))
            i += 5
        else:
            units.append(ord({"n": "\n", "r": "\r", "t": "\t"}.get(n, n)))
            i += 2
    data = b"".join(u.to_bytes(2, "little") for u in units)
    return data.decode("utf-16-le", "surrogatepass")


def split_args(text):
    parts, current, quoted = [], "", False
    i = 0
    while i < len(text):
        c = text[i]
        if quoted and c == "\\":
            current += text[i:i + 2]
            i += 2
            continue
        if c == '"':
            quoted = not quoted
        if c == "," and not quoted:
            parts.append(current.strip())
            current = ""
        else:
            current += c
        i += 1
    parts.append(current.strip())
    return parts


def argument(arg):
    """A number, or the text of a wide string (pointer "L\"...\"")."""
    m = re.match(r'^[0-9a-f]+ L"(.*)"$', arg)
    if m:
        return wide_text(m.group(1))
    return int(arg, 16) if re.match(r"^[0-9a-f]+$", arg) else arg


# A thread runs inside these and they return only when it ends.
THREAD_STARTS = {"BaseThreadInitThunk", "RtlUserThreadStart"}


def program_calls(path):
    """The watched calls the program made itself, in order, as (name, args,
    retval): a call made while another relayed call (but a thread's start) is
    in progress on its thread is the system's own doing."""
    calls, open_calls = [], {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            m = CALL.match(line)
            if m:
                thread, name, args = m.groups()
                stack = open_calls.setdefault(thread, [])
                top = all(frame[0] in THREAD_STARTS for frame in stack)
                record = [name.split(".")[-1], [argument(a) for a in split_args(args)], None]
                stack.append(record)
                if top and record[0] in WATCHED:
                    calls.append(record)
                continue
            m = RET.match(line)
            if m:
                thread, name, retval = m.groups()
                stack = open_calls.get(thread)
                if stack:
                    stack.pop()[2] = int(retval, 16)
    return [tuple(c) for c in calls if c[2] is not None]


# ---------------------------------------------------------------- the model

def unix_path(windows):
    """\\\\?\\Z:\\tmp\\x as /tmp/x: Wine's Z: is the root of the Unix tree."""
    if windows.startswith("\\\\?\\"):
        windows = windows[4:]
    if windows[:2].upper() == "Z:":
        windows = windows[2:]
    return os.path.normpath(windows.replace("\\", "/"))


def failed(name, retval):
    if name == "CreateFileW":
        return retval in (0xFFFFFFFF, 0xFFFFFFFFFFFFFFFF)  # INVALID_HANDLE_VALUE
    return retval == 0


def low(value):
    """A 32-bit argument: a 64-bit trace prints what the register held above it."""
    return value & 0xFFFFFFFF


class File:
    def __init__(self, rel, data_durable):
        self.rel = rel
        self.unflushed_writes = not data_durable
        self.written_out = False  # a data-only flush since the last write
        self.name_durable = True


class WindowsModel:
    def __init__(self, root, before, replacement_of):
        self.root, self.replacement_of = root, replacement_of
        self.names = {rel: File(rel, True) for rel in before}
        self.sources = {id(f): rel for rel, f in self.names.items()}
        self.handles = {}
        self.errors = []
        self.removed = 0

    def rel(self, windows):
        path = unix_path(windows)
        return os.path.relpath(path, self.root) if path.startswith(self.root + "/") else None

    def call(self, name, args, retval):
        if failed(name, retval):
            return
        handler = getattr(self, "on_" + name, None)
        if handler:
            handler(args, retval)

    def on_CreateFileW(self, args, handle):
        rel = self.rel(args[0])
        if rel is None:
            return
        if low(args[4]) == CREATE_NEW:
            self.names[rel] = File(rel, True)
            self.names[rel].name_durable = False
        if rel in self.names:
            self.handles[handle] = self.names[rel]

    def on_WriteFile(self, args, _):
        f = self.handles.get(args[0])
        if f:
            f.unflushed_writes, f.written_out = True, False

    def on_NtFlushBuffersFileEx(self, args, _):
        f = self.handles.get(args[0])
        if f and low(args[1]) & 1:  # FLUSH_FLAGS_FILE_DATA_ONLY
            f.written_out = True

    def on_FlushFileBuffers(self, args, _):
        f = self.handles.get(args[0])
        if f:
            f.unflushed_writes = False
            f.name_durable = True
        # A full flush on NTFS forces the log and the drive's cache: data
        # written out by data-only flushes before it is durable too.
        for other in self.names.values():
            if other.written_out:
                other.unflushed_writes = other.written_out = False

    def on_MoveFileExW(self, args, _):
        source, target, flags = self.rel(args[0]), self.rel(args[1]), low(args[2])
        if source is None or source not in self.names:
            return
        if flags & MOVEFILE_REPLACE_EXISTING:
            self.errors.append("a move of %s may replace %s" % (source, target))
        if target in self.names:
            self.errors.append("a move of %s replaced %s" % (source, target))
        f = self.names.pop(source)
        self.names[target] = f
        f.name_durable = bool(flags & MOVEFILE_WRITE_THROUGH)

    def removal(self, f):
        rel = self.sources.get(id(f))
        if rel is None:
            return
        self.removed += 1
        target = self.replacement_of(rel)
        replacement = self.names.get(target)
        if replacement is None:
            self.errors.append("%s removed with no %s standing" % (rel, target))
        elif replacement.unflushed_writes:
            self.errors.append("%s removed before the data of %s was durable" % (rel, target))
        elif not replacement.name_durable:
            self.errors.append("%s removed before the name %s was durable" % (rel, target))

    def on_DeleteFileW(self, args, _):
        rel = self.rel(args[0])
        if rel in self.names:
            self.removal(self.names.pop(rel))

    def on_SetFileInformationByHandle(self, args, _):
        f = self.handles.get(args[0])
        if f and low(args[1]) == FILE_DISPOSITION_INFO_CLASS:
            self.removal(f)
            self.names = {n: g for n, g in self.names.items() if g is not f}

    def on_CloseHandle(self, args, _):
        self.handles.pop(args[0], None)


def check(calls, root, before, replacement_of):
    model = WindowsModel(root, before, replacement_of)
    for name, args, retval in calls:
        model.call(name, args, retval)
    faults = list(model.errors)
    opened = {model.rel(args[0]) for name, args, _ in calls if name == "CreateFileW"}
    for rel in sorted(set(before) - opened):
        faults.append("%s is not among the names the trace gives" % rel)
    if model.removed != len(before):
        faults.append("%d sources removed of %d: the trace was not understood" %
                      (model.removed, len(before)))
    return faults


# ---------------------------------------------------------------- faults

def without(calls, root, fault):
    """The trace as a build with the fault would have made it: "lone" without
    the flush of the output alone in its folder, "group" without those of the
    group's outputs, "write-through" with moves that do not ask for it,
    "replace" with moves that may replace."""
    folders = {}  # an output's open handle -> its folder; handles are reused
    kept = []
    for name, args, retval in calls:
        if name == "CreateFileW" and low(args[4]) == CREATE_NEW:
            folders[retval] = os.path.dirname(os.path.relpath(unix_path(args[0]), root))
        if name == "CloseHandle":
            folders.pop(args[0], None)
        if name == "FlushFileBuffers" and args[0] in folders:
            lone = folders[args[0]] == "sub"
            if (fault == "lone" and lone) or (fault == "group" and not lone):
                continue
        if name == "MoveFileExW" and fault == "write-through":
            args = args[:2] + [low(args[2]) & ~MOVEFILE_WRITE_THROUGH]
        if name == "MoveFileExW" and fault == "replace":
            args = args[:2] + [low(args[2]) | MOVEFILE_REPLACE_EXISTING]
        kept.append((name, args, retval))
    return kept


FAULTS = (("without the lone output's flush", "lone"),
          ("without the group's flushes", "group"),
          ("without the moves' write-through", "write-through"),
          ("with a move that may replace", "replace"))


# ---------------------------------------------------------------- the runs

def make_tree(root):
    plain = {}
    for i, (rel, size) in enumerate(sorted(TREE.items())):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = bytes((i * 7 + k * 13) % 251 for k in range(size))
        with open(path, "wb") as f:
            f.write(data)
        plain[rel] = data
    return plain


def snapshot(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                files[os.path.relpath(os.path.join(folder, name), root)] = f.read()
    return files


def relayed_run(wine_run, p6k_exe, verb, scratch, trace):
    env = dict(os.environ, P6K_PASSWORD=PASSWORD, WINEDEBUG="+relay")
    with open(trace, "wb") as log:
        run = subprocess.run([wine_run, p6k_exe, verb, "-r", "tree"], env=env, cwd=scratch,
                             stdout=subprocess.PIPE, stderr=log, timeout=600)
    if run.returncode != 0:
        sys.exit("p6k.exe %s failed (%d)" % (verb, run.returncode))
    return program_calls(trace)


def cannot_run(why):
    """A skip, except in the test command, which builds and runs the Windows
    tree and so must run this check too."""
    print("SKIPPED: " + why)
    return 1 if os.environ.get("SORVAN_REQUIRE_WINDOWS_TREES") == "1" else 77


def main():
    p6k_exe, wine_run = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.path.exists(p6k_exe):
        return cannot_run("no %s (build the Windows tree)" % p6k_exe)
    # A short folder keeps the trace's strings short.
    scratch = tempfile.mkdtemp(prefix="wcalls-", dir="/tmp")
    try:
        root = os.path.realpath(os.path.join(scratch, "tree"))
        plain = make_tree(root)
        probe = subprocess.run([wine_run, p6k_exe, "--version"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=600)
        if probe.returncode != 0:
            return cannot_run("Wine cannot run %s here" % p6k_exe)
        encrypting = relayed_run(wine_run, p6k_exe, "encrypt", scratch,
                                 os.path.join(scratch, "encrypt.relay"))
        containers = snapshot(root)
        if set(containers) != {container_of(rel) for rel in plain}:
            sys.exit("encryption left %s" % sorted(containers))
        decrypting = relayed_run(wine_run, p6k_exe, "decrypt", scratch,
                                 os.path.join(scratch, "decrypt.relay"))
        if snapshot(root) != plain:
            sys.exit("decryption did not give the tree back")
        phases = (("encrypt", encrypting, plain, container_of),
                  ("decrypt", decrypting, containers,
                   {container_of(rel): rel for rel in plain}.get))
        failures = 0
        for phase, calls, before, replacement_of in phases:
            faults = check(calls, root, before, replacement_of)
            ok = not faults
            print("%-4s %s as recorded (%d calls): %s" % ("ok" if ok else "FAIL", phase,
                                                         len(calls), "; ".join(faults) or
                                                         "no fault"))
            failures += not ok
            for what, fault in FAULTS:
                faults = check(without(calls, root, fault), root, before, replacement_of)
                faults = [f for f in faults if "not understood" not in f]
                ok = bool(faults)
                print("%-4s %s %s: %s" % ("ok" if ok else "FAIL", phase, what,
                                          faults[0] if faults else "no fault"))
                failures += not ok
        return 1 if failures else 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
