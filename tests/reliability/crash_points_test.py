#!/usr/bin/env python3
"""Crash points: p6k's recorded file-system calls, and those of the prompt's
restore of one file, checked against a weak persistence model, and the disks
a crash could leave, checked for loss.

The model follows the file system, as p6k does. On a local disk file system
(ext4, XFS, Btrfs, F2FS): fsync/fdatasync of a file make its data durable;
fsync of a folder makes the names in it durable; syncfs/sync make everything
durable (from Linux 5.8, which reports their errors; before, nothing).
Anywhere else (FUSE, network file systems): syncfs/sync and a folder's fsync
make nothing durable (syncfs reaches no FUSE server, and the kernel itself
answers a folder's fsync for a server without one), and a
file's fsync makes its data and the names it stands under durable. Nothing
else does (sync_file_range included). Every unlink of a source must come
after the data and the name of its replacement are durable. At every sync
point (and at the end) the disks the model allows are replayed: durable
operations kept, any subset of the others kept in the order they were issued,
and every original must stand intact under its own name or under its
container's name.

The tree holds folders of several files (a group, made durable together), a
folder of one file and a file larger than a group (each made durable alone).
On a FUSE mount (ntfs-3g, else fusefat) the same is run with each output
flushed on its own, and ntfs-3g's daemon is traced too: it must flush its
device after each move and before the source goes.

The checker is shown to work on the same runs with each kind of flush taken
out of the trace (a lone output's, a group's, the folders'; on FUSE the
names'), and with the grouped trace read as if made on FUSE: each must be
caught.

Usage: crash_points_test.py P6K SINGLE_RESTORE   (exit 77: strace cannot trace)
"""
import itertools
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PASSWORD = "crash points"
GROUP_BYTES = 16 << 20
# name (relative to the tree) -> size; empty files, a nested folder, a folder
# of one file, and a file larger than a group before a small one (each alone).
TREE = {
    "empty.txt": 0,
    "one.txt": 1,
    "page.doc": 4096,
    "sub/large.bin": 300000,
    "sub/zero.dat": 0,
    "sub/deeper/note.md": 777,
    "sub/deeper/also.log": 20000,
    "lone/only.txt": 5000,
    "big/a-huge.bin": GROUP_BYTES + (1 << 20),
    "big/b-after.txt": 300,
}
# The tree on a FUSE mount: groups and a lone file, nothing large.
FUSE_TREE = {
    "empty.txt": 0,
    "page.doc": 4096,
    "sub/a.txt": 777,
    "sub/b.txt": 20000,
    "lone/only.txt": 5000,
}
# The container the prompt restores.
PROMPT_TREE = {"prompt/note.txt": 3000}
TRACED = ("open,openat,creat,write,pwrite64,writev,pwritev,pwritev2,fsync,fdatasync,"
          "syncfs,sync,sync_file_range,rename,renameat,renameat2,link,linkat,unlink,"
          "unlinkat,close,ftruncate,truncate,fallocate,mkdir,mkdirat,rmdir,dup,dup2,dup3,"
          "copy_file_range,sendfile")
FULL_SUBSETS = 10      # up to this many undecided units, every subset is tried
SAMPLED_SUBSETS = 150  # beyond it, these random subsets besides the edge cases


def container_of(rel):
    folder, name = os.path.split(rel)
    return os.path.join(folder, os.path.splitext(name)[0] + ".p6k")


# ---------------------------------------------------------------- the trace

LINE = re.compile(r'^(\d+)\s+(?:(\d+\.\d+)\s+)?(\w+)\((.*)\)\s+=\s+(-?\d+|\?)'
                  r'(?:<[^>]*>)?(?:\s.*)?$')


def unescape(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out += c.encode()
            i += 1
            continue
        n = text[i + 1]
        if n == "x":
            out.append(int(text[i + 2:i + 4], 16))
            i += 4
        elif n in "01234567":
            j = i + 1
            while j < len(text) and j < i + 4 and text[j] in "01234567":
                j += 1
            out.append(int(text[i + 1:j], 8))
            i = j
        else:
            out += {"n": b"\n", "t": b"\t", "r": b"\r"}.get(n, n.encode())
            i += 2
    return out.decode("utf-8", "surrogateescape")


def split_args(args):
    """Top-level comma split that respects quotes, braces and brackets."""
    parts, depth, quoted, current = [], 0, False, ""
    i = 0
    while i < len(args):
        c = args[i]
        if quoted:
            current += c
            if c == "\\":
                current += args[i + 1]
                i += 1
            elif c == '"':
                quoted = False
        elif c == '"':
            quoted = True
            current += c
        elif c in "{[(<":
            depth += 1
            current += c
        elif c in "}])>":
            depth -= 1
            current += c
        elif c == "," and depth == 0:
            parts.append(current.strip())
            current = ""
        else:
            current += c
        i += 1
    if current.strip():
        parts.append(current.strip())
    return parts


def joined_lines(path):
    """The trace's calls, each on one line: -f splits a call that another
    thread interrupts into an unfinished and a resumed half."""
    pending = {}
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for raw in f:
            raw = raw.rstrip("\n")
            m = re.match(r"^(\d+)\s+((?:\d+\.\d+\s+)?)(.*)$", raw)
            if not m:
                continue
            pid, stamp, rest = m.groups()
            if rest.endswith("<unfinished ...>"):
                pending[pid] = stamp + rest[: -len("<unfinished ...>")].rstrip()
                continue
            resumed = re.match(r"^<\.\.\. \w+ resumed>(.*)$", rest)
            if resumed:
                stamp, rest = "", pending.pop(pid, "") + resumed.group(1)
            yield pid + " " + stamp + rest


def fd_number(arg):
    """A descriptor argument as strace -y shows it: its number and path (FUSE
    marks the path of a file whose opened name went "(deleted)", though a
    link still holds it)."""
    m = re.match(r"^(-?\d+|AT_FDCWD)(?:<(.*)>(?:\(deleted\))?)?$", arg)
    if not m:
        return None, None
    return m.group(1), m.group(2)


def parse_trace(path):
    """The calls as (name, args, result, time) tuples, failed calls left out;
    time is when the call began (strace -ttt), or None."""
    calls = []
    for line in joined_lines(path):
        m = LINE.match(line)
        if not m:
            continue
        _, stamp, name, args, result = m.groups()
        if result == "?" or int(result) < 0:
            continue
        calls.append((name, split_args(args), int(result), float(stamp) if stamp else None))
    return calls


# ---------------------------------------------------------------- the model

# statfs types whose syncfs and folder fsync reach the disk: ext2/3/4, XFS,
# Btrfs, F2FS (p6k's own list).
LOCAL_DISK_TYPES = {0xEF53, 0x58465342, 0x9123683E, 0xF2F52010}


class FileSystemModel:
    """What the flushes of one file system make durable."""

    def __init__(self, name, local, syncfs_covers):
        self.name = name
        self.local = local                  # a folder's fsync makes its names durable
        self.syncfs_covers = syncfs_covers  # syncfs/sync make everything durable

    @staticmethod
    def of(path):
        kind = int(subprocess.run(["stat", "-f", "-c", "%t", path], stdout=subprocess.PIPE,
                                  check=True).stdout.decode().strip(), 16)
        name = subprocess.run(["stat", "-f", "-c", "%T", path], stdout=subprocess.PIPE,
                              check=True).stdout.decode().strip()
        release = re.match(r"(\d+)\.(\d+)", os.uname().release)
        reports_errors = bool(release) and tuple(map(int, release.groups())) >= (5, 8)
        local = kind in LOCAL_DISK_TYPES
        return FileSystemModel(name, local, local and reports_errors)

    @staticmethod
    def fuse():
        return FileSystemModel("fuse", False, False)


class Op:
    """One operation the model tracks: a name change in some folders or a
    change of one file's data."""

    def __init__(self, kind, **fields):
        self.kind = kind
        self.durable = False
        self.__dict__.update(fields)
        self.folders = set(fields.get("folders", ()))
        self.waiting = set(self.folders)  # folders not yet flushed since


class Recorder:
    """Follows the calls over the tree: which inode each name and descriptor
    stands for, which operations are durable, and checks each removal."""

    def __init__(self, root, before, replacement_of, model):
        self.root = root
        self.model = model
        self.names = {}        # path -> inode
        self.next_inode = 0
        self.fds = {}          # descriptor -> (inode or folder path, is_folder)
        self.ops = []
        self.crash_points = []  # (operations issued, syncs done) at each sync
        self.syncs = 0
        self.errors = []
        self.replacement_of = replacement_of
        self.source_paths = {os.path.join(root, rel) for rel in before}
        self.initial = {}
        for rel in before:
            inode = self.new_inode()
            self.names[os.path.join(root, rel)] = inode
            self.initial[inode] = rel
        self.folders = {os.path.join(root, d) for d in folder_set(before)} | {root}

    def new_inode(self):
        self.next_inode += 1
        return self.next_inode

    def inside(self, path):
        return path == self.root or path.startswith(self.root + "/")

    def resolve(self, dirfd, quoted):
        """The absolute path a call's quoted name argument means, seen from dirfd."""
        path = unescape(quoted[1:-1])
        if not path.startswith("/"):
            number, shown = fd_number(dirfd) if dirfd else ("AT_FDCWD", None)
            base = os.getcwd() if number == "AT_FDCWD" else shown
            path = os.path.join(base or "", path)
        return os.path.normpath(path)

    def sync_point(self):
        self.crash_points.append((len(self.ops), self.syncs))
        self.syncs += 1

    def data_op(self, inode):
        self.ops.append(Op("data", inode=inode))

    def make_data_durable(self, inode):
        for op in self.ops:
            if op.kind == "data" and op.inode == inode:
                op.durable = True

    def make_names_durable(self, folder):
        for op in self.ops:
            if op.kind != "data" and folder in op.waiting:
                op.waiting.discard(folder)
                if not op.waiting:
                    op.durable = True

    def make_names_of_durable(self, inode):
        """The names that the file stands under, made by creating, renaming or
        linking it: what a file's own fsync makes durable off a local disk."""
        for op in self.ops:
            if op.kind in ("create", "rename", "link") and op.inode == inode:
                op.durable = True

    def make_all_durable(self):
        for op in self.ops:
            op.durable = True

    def name_durable(self, path):
        """The latest operation that put a name at path is durable."""
        for op in reversed(self.ops):
            if op.kind in ("create", "rename", "link") and op.to == path:
                return op.durable
            if op.kind == "unlink" and op.path == path:
                return False
        return True  # stood before the run

    def data_durable(self, inode):
        return all(op.durable for op in self.ops if op.kind == "data" and op.inode == inode)

    def check_removal(self, path):
        inode = self.names.get(path)
        if inode not in self.initial:
            return
        rel = self.initial[inode]
        target = os.path.join(self.root, self.replacement_of(rel))
        replacement = self.names.get(target)
        if replacement is None:
            self.errors.append("%s removed with no %s standing" % (rel, target))
        elif not self.data_durable(replacement):
            self.errors.append("%s removed before the data of %s was durable" % (rel, target))
        elif not self.name_durable(target):
            self.errors.append("%s removed before the name %s was durable" % (rel, target))

    # ---- calls
    def call(self, name, args, result):
        handler = getattr(self, "on_" + name, None)
        if handler:
            handler(args, result)

    def opened(self, path, flags, fd):
        if not self.inside(path):
            return
        if path in self.folders or "O_DIRECTORY" in flags:
            self.fds[str(fd)] = (path, True)
            return
        if "O_CREAT" in flags and path not in self.names:
            inode = self.new_inode()
            self.names[path] = inode
            self.ops.append(Op("create", to=path, inode=inode, folders=[os.path.dirname(path)]))
        inode = self.names.get(path)
        if inode is None:
            self.errors.append("unmodelled open of %s" % path)
            return
        if "O_TRUNC" in flags:
            self.data_op(inode)
        self.fds[str(fd)] = (inode, False)

    def on_openat(self, args, fd):
        self.opened(self.resolve(args[0], args[1]), args[2], fd)

    def on_open(self, args, fd):
        self.opened(self.resolve(None, args[0]), args[1], fd)

    def on_creat(self, args, fd):
        self.opened(self.resolve(None, args[0]), "O_CREAT|O_TRUNC", fd)

    def tracked(self, arg):
        number, _ = fd_number(arg)
        return self.fds.get(number)

    def on_write(self, args, _):
        target = self.tracked(args[0])
        if target and not target[1]:
            self.data_op(target[0])

    on_pwrite64 = on_writev = on_pwritev = on_pwritev2 = on_ftruncate = on_fallocate = on_write

    def on_copy_file_range(self, args, _):
        self.on_write([args[2]], _)

    def on_sendfile(self, args, _):
        self.on_write([args[0]], _)

    def on_truncate(self, args, _):
        inode = self.names.get(self.resolve(None, args[0]))
        if inode:
            self.data_op(inode)

    def on_fsync(self, args, _):
        target = self.tracked(args[0])
        if not target:
            return
        self.sync_point()
        if target[1]:
            if self.model.local:
                self.make_names_durable(target[0])
        else:
            self.make_data_durable(target[0])
            if not self.model.local:
                self.make_names_of_durable(target[0])

    def on_fdatasync(self, args, _):
        target = self.tracked(args[0])
        if target and not target[1]:
            self.sync_point()
            self.make_data_durable(target[0])

    def on_syncfs(self, args, _):
        self.sync_point()
        if self.model.syncfs_covers:
            self.make_all_durable()

    def on_sync(self, args, _):
        self.on_syncfs(args, _)

    def on_close(self, args, _):
        number, _ = fd_number(args[0])
        self.fds.pop(number, None)

    def on_dup(self, args, fd):
        target = self.tracked(args[0])
        if target:
            self.fds[str(fd)] = target

    on_dup2 = on_dup3 = on_dup

    def moved(self, source, target, keep_source, replaces=False):
        if not (self.inside(source) or self.inside(target)):
            return
        inode = self.names.get(source)
        if inode is None:
            self.errors.append("unmodelled move of %s" % source)
            return
        folders = {os.path.dirname(target)}
        if not keep_source:
            folders.add(os.path.dirname(source))
            del self.names[source]
        self.names[target] = inode
        self.ops.append(Op("link" if keep_source else "rename", source=source, to=target,
                           inode=inode, folders=folders, replaces=replaces))

    # A plain rename replaces what stands at its target (the placeholder a
    # file system without a rename that refuses to replace needs).
    def on_rename(self, args, _):
        self.moved(self.resolve(None, args[0]), self.resolve(None, args[1]), False, True)

    def on_renameat(self, args, _):
        self.moved(self.resolve(args[0], args[1]), self.resolve(args[2], args[3]), False, True)

    def on_renameat2(self, args, _):
        self.moved(self.resolve(args[0], args[1]), self.resolve(args[2], args[3]), False,
                   "RENAME_NOREPLACE" not in args[4])

    def on_link(self, args, _):
        self.moved(self.resolve(None, args[0]), self.resolve(None, args[1]), True)

    def on_linkat(self, args, _):
        self.moved(self.resolve(args[0], args[1]), self.resolve(args[2], args[3]), True)

    def removed(self, path):
        if not self.inside(path) or path in self.folders:
            return
        self.check_removal(path)
        if self.names.pop(path, None) is None:
            self.errors.append("unmodelled removal of %s" % path)
            return
        self.ops.append(Op("unlink", path=path, folders=[os.path.dirname(path)]))

    def on_unlink(self, args, _):
        self.removed(self.resolve(None, args[0]))

    def on_unlinkat(self, args, _):
        self.removed(self.resolve(args[0], args[1]))

    def on_mkdir(self, args, _):
        self.errors.append("unmodelled folder creation")

    on_mkdirat = on_rmdir = on_mkdir


def folder_set(rels):
    folders = set()
    for rel in rels:
        folder = os.path.dirname(rel)
        while folder:
            folders.add(folder)
            folder = os.path.dirname(folder)
    return folders


# ---------------------------------------------------------------- crash states

def replay(recorder, end, kept_units, units):
    """The names after a crash before ops[end]: durable operations and the
    chosen units kept, in the order issued. None when a kept operation acts on
    a name the state does not have (no such disk can exist)."""
    kept = set()
    for i in kept_units:
        kept |= units[i]
    names = {os.path.join(recorder.root, rel): inode for inode, rel in recorder.initial.items()}
    lost_data = set()
    for index, op in enumerate(recorder.ops[:end]):
        keep = op.durable_at_crash or index in kept
        if op.kind == "data":
            if not keep:
                lost_data.add(op.inode)
            continue
        if not keep:
            continue
        if op.kind == "create":
            if op.to in names:
                return None
            names[op.to] = op.inode
        elif op.kind in ("rename", "link"):
            if names.get(op.source) != op.inode or (op.to in names and not op.replaces):
                return None
            names[op.to] = op.inode
            if op.kind == "rename":
                del names[op.source]
        elif op.kind == "unlink":
            if op.path not in names:
                return None
            del names[op.path]
    # A file still to be written after the crash has not its final bytes.
    lost_data |= {op.inode for op in recorder.ops[end:] if op.kind == "data"}
    return names, lost_data


def undecided_units(recorder, end):
    """Operations not durable at the crash, grouped: all of one file's data
    writes count as one unit (losing any of them spoils the file)."""
    units, data_unit = [], {}
    for index, op in enumerate(recorder.ops[:end]):
        if op.durable_at_crash:
            continue
        if op.kind == "data":
            if op.inode not in data_unit:
                data_unit[op.inode] = len(units)
                units.append(set())
            units[data_unit[op.inode]].add(index)
        else:
            units.append({index})
    return units


def chosen_subsets(count, rng):
    if count <= FULL_SUBSETS:
        for size in range(count + 1):
            yield from itertools.combinations(range(count), size)
        return
    everything = tuple(range(count))
    yield everything
    yield ()
    for i in range(count):
        yield (i,)
        yield tuple(j for j in everything if j != i)
    for _ in range(SAMPLED_SUBSETS):
        yield tuple(j for j in everything if rng.random() < 0.5)


def durable_at(recorder, syncs):
    """Marks which operations the first syncs made durable."""
    for op in recorder.ops:
        op.durable_at_crash = recorder.durable_since.get(op, syncs) < syncs


def lost_originals(recorder, names, lost_data, contents, plain, containers):
    lost = []
    for rel, data in plain.items():
        here = os.path.join(recorder.root, rel)
        there = os.path.join(recorder.root, container_of(rel))
        if names.get(here) is not None and intact(names[here], lost_data, contents, data):
            continue
        if names.get(there) is not None and intact(names[there], lost_data, contents,
                                                   containers[container_of(rel)]):
            continue
        lost.append(rel)
    return lost


def intact(inode, lost_data, contents, expected):
    return inode not in lost_data and contents.get(inode) == expected


def check_crash_states(recorder, contents, plain, containers, seed=29):
    """Every crash state the model allows at every sync point; the first loss
    found, or None."""
    rng = random.Random(seed)
    points = recorder.crash_points + [(len(recorder.ops), recorder.syncs)]
    checked = 0
    for crash, syncs in points:
        durable_at(recorder, syncs)
        units = undecided_units(recorder, crash)
        for subset in chosen_subsets(len(units), rng):
            state = replay(recorder, crash, subset, units)
            if state is None:
                continue
            checked += 1
            lost = lost_originals(recorder, state[0], state[1], contents, plain, containers)
            if lost:
                return "a crash before operation %d can lose %s" % (crash, ", ".join(lost))
    print("     %d sync points, %d crash states" % (len(points), checked))
    return None


# ---------------------------------------------------------------- a phase

class Recording(Recorder):
    """A recorder that also notes when each operation became durable, so that
    the crash states at earlier sync points can be rebuilt afterwards."""

    def __init__(self, *args):
        super().__init__(*args)
        self.durable_since = {}

    def call(self, name, args, result):
        super().call(name, args, result)
        for op in self.ops:
            if op.durable and op not in self.durable_since:
                self.durable_since[op] = self.syncs - 1


def final_contents(recorder, after):
    """Each inode's bytes as the run left them, read from the tree after it."""
    contents = {}
    for path, inode in recorder.names.items():
        rel = os.path.relpath(path, recorder.root)
        if rel in after:
            contents[inode] = after[rel]
    return contents


def check_phase(calls, root, before, after, replacement_of, plain, containers, model):
    """The removals' order and the crash states of one run: a list of faults."""
    recorder = Recording(root, before, replacement_of, model)
    for name, args, result, _ in calls:
        recorder.call(name, args, result)
    contents = final_contents(recorder, after)
    for inode, rel in recorder.initial.items():
        contents.setdefault(inode, before[rel])
    faults = list(recorder.errors)
    removals = sum(op.kind == "unlink" and op.path in recorder.source_paths
                   for op in recorder.ops)
    if removals != len(before):
        faults.append("%d sources removed of %d: the trace was not understood" %
                      (removals, len(before)))
    loss = check_crash_states(recorder, contents, plain, containers)
    if loss:
        faults.append(loss)
    return faults


def without(calls, leave_out):
    """The trace as a run would have made it without one kind of flush: every
    file's ("file"), a lone output's data flush ("lone"), a group's one flush
    of the file system ("group"), the folders' ("folder"), or the flush of a
    file after its move that makes its name durable off a local disk
    ("name")."""
    folders = set()
    flushed = set()  # files flushed since they were opened
    kept = []
    for call in calls:
        name, args, result, _ = call
        if name in ("openat", "open"):
            if "O_DIRECTORY" in args[2 if name == "openat" else 1]:
                folders.add(str(result))
            flushed.discard(str(result))
        if name in ("fsync", "fdatasync"):
            number, shown = fd_number(args[0])
            on_folder = number in folders or (shown and os.path.isdir(shown))
            if on_folder and leave_out == "folder":
                continue
            if not on_folder:
                again = number in flushed
                flushed.add(number)
                if leave_out in ("file", "lone") or (leave_out == "name" and again):
                    continue
        if name in ("syncfs", "sync") and leave_out in ("file", "group"):
            continue
        if name == "close":
            number, _ = fd_number(args[0])
            folders.discard(number)
            flushed.discard(number)
        kept.append(call)
    return kept


def judged(phase, variant, faults, expect_faults):
    """Prints one check's verdict; True when it is as expected. A fault taken
    out must show both as a removal too early and as a crash that loses."""
    removal_faults = [f for f in faults if "removed" in f]
    crash_faults = [f for f in faults if f.startswith("a crash")]
    ok = (bool(removal_faults) and bool(crash_faults)) if expect_faults else not faults
    shown = removal_faults[:1] + crash_faults[:1] + [
        f for f in faults if f not in removal_faults + crash_faults]
    print("%-4s %s %s: %s" % ("ok" if ok else "FAIL", phase, variant,
                              "; ".join(shown) or "no fault"))
    return ok


def variants(model, has_lone, has_group):
    """The trace as recorded must pass; each flush taken out must fail."""
    cases = [("as recorded", None, False), ("without file flushes", "file", True)]
    if model.local:
        if has_lone:
            cases.append(("without a lone output's flush", "lone", True))
        if has_group:
            cases.append(("without the group's flush", "group", True))
        cases.append(("without folder flushes", "folder", True))
    else:
        cases.append(("without the names' flushes", "name", True))
    return cases


# ---------------------------------------------------------------- the runs

def snapshot(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, root)] = f.read()
    return files


def traced_run(command, root, trace, what):
    env = dict(os.environ, P6K_PASSWORD=PASSWORD)
    run = subprocess.run(["strace", "-f", "-ttt", "-y", "-s", "1", "-e", "trace=" + TRACED,
                          "-o", trace] + command, env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, cwd=root)
    if run.returncode != 0:
        sys.exit("%s failed (%d): %s" % (what, run.returncode, run.stderr.decode()))
    return parse_trace(trace)


def strace_works(scratch):
    try:
        return subprocess.run(["strace", "-o", os.path.join(scratch, "probe"), "true"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def make_tree(root, tree):
    rng = random.Random(7)
    plain = {}
    for rel, size in tree.items():
        os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
        data = rng.randbytes(size)
        with open(os.path.join(root, rel), "wb") as f:
            f.write(data)
        plain[rel] = data
    return plain


def tree_phases(p6k, root, scratch, tag, tree):
    """p6k encrypts the tree, then decrypts it, traced: the two phases."""
    plain = make_tree(root, tree)
    encrypting = traced_run([p6k, "encrypt", "-r", root], root,
                            os.path.join(scratch, tag + "-encrypt.trace"), "p6k encrypt")
    containers = snapshot(root)
    if set(containers) != {container_of(rel) for rel in plain}:
        sys.exit("encryption left %s" % sorted(containers))
    decrypting = traced_run([p6k, "decrypt", "-r", root], root,
                            os.path.join(scratch, tag + "-decrypt.trace"), "p6k decrypt")
    if snapshot(root) != plain:
        sys.exit("decryption did not give the tree back")
    restored_from = {container_of(rel): rel for rel in plain}.get
    return plain, containers, [("encrypt", encrypting, plain, containers, container_of),
                               ("decrypt", decrypting, containers, plain, restored_from)]


def prompt_phase(p6k, single_restore, root, scratch):
    """The prompt's restore of one container, traced."""
    plain = make_tree(root, PROMPT_TREE)
    env = dict(os.environ, P6K_PASSWORD=PASSWORD)
    subprocess.run([p6k, "encrypt", "-r", root], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    containers = snapshot(root)
    (container,) = containers
    restoring = traced_run([single_restore, os.path.join(root, container)], root,
                           os.path.join(scratch, "prompt.trace"), "the prompt's restore")
    if snapshot(root) != plain:
        sys.exit("the prompt's restore did not give the file back")
    return plain, containers, ("prompt restore", restoring, containers, plain,
                               {container_of(rel): rel for rel in plain}.get)


def run_checks(phases, root, plain, containers, model, has_lone, has_group):
    failures = 0
    for phase, calls, before, after, replacement_of in phases:
        for variant, leave_out, expect_faults in variants(model, has_lone, has_group):
            trace = without(calls, leave_out) if leave_out else calls
            faults = check_phase(trace, root, before, after, replacement_of, plain, containers,
                                 model)
            failures += not judged(phase, variant, faults, expect_faults)
    return failures


# ---------------------------------------------------------------- FUSE

class FuseMount:
    """An image mounted through a FUSE server the test starts and owns:
    ntfs-3g where it is installed (a USB disk shared with Windows), else
    fusefat. why says what kept it from mounting."""

    KINDS = (("ntfs-3g", ["mkntfs", "-q", "-F", "-f"], ["ntfs-3g", "-o", "no_detach"]),
             ("fusefat", ["mkfs.vfat"], ["fusefat", "-f", "-o", "rw+"]))

    def __init__(self, scratch):
        self.server = None
        self.name = None
        self.why = ""
        self.folder = os.path.join(scratch, "fuse")
        os.makedirs(self.folder)
        for name, make, serve in self.KINDS:
            if not shutil.which(make[0]) or not shutil.which(serve[0]):
                self.why += "%s is not installed; " % serve[0]
                continue
            image = os.path.join(scratch, name + ".img")
            with open(image, "wb") as f:
                f.truncate(64 << 20)
            if subprocess.run(make + [image], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode != 0:
                self.why += "cannot make a %s image; " % name
                continue
            server = subprocess.Popen(serve + [image, self.folder], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
            # Mounting takes the server a moment; a minute tells a hang.
            for _ in range(600):
                if os.path.ismount(self.folder) or server.poll() is not None:
                    break
                time.sleep(0.1)
            if os.path.ismount(self.folder):
                self.server, self.name = server, name
                return
            if server.poll() is None:
                server.kill()
            server.wait()
            self.why += "cannot mount a %s image here (needs root and /dev/fuse); " % name

    def unmount(self):
        if not self.server:
            return
        subprocess.run(["fusermount", "-u", self.folder], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        try:
            self.server.wait(timeout=120)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.wait()


class ServerTrace:
    """strace attached to the FUSE server: the flushes it makes of its device."""

    def __init__(self, pid, path):
        self.path = path
        self.tracer = subprocess.Popen(["strace", "-f", "-ttt", "-e",
                                        "trace=fsync,fdatasync,syncfs,sync", "-p", str(pid),
                                        "-o", path], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.PIPE)
        # strace tells each thread it attached to; the first is enough to
        # know the tracing has begun.
        for line in self.tracer.stderr:
            if b"attached" in line:
                break

    def flushes(self):
        self.tracer.send_signal(signal.SIGINT)
        self.tracer.wait(timeout=120)
        return [t for name, _, _, t in parse_trace(self.path)
                if name in ("fsync", "fdatasync", "syncfs", "sync")]


def server_flushes_before_removals(phase, calls, root, before, flushes):
    """Every source's removal comes after a flush of the server's device made
    after the last move before it: the removal cannot outlive the move."""
    recorder = Recorder(root, before, None, FileSystemModel.fuse())
    moves, faults = [], []
    sources = {os.path.join(root, rel) for rel in before}
    for name, args, _, t in calls:
        if name in ("rename", "link"):
            moves.append(t)
        elif name in ("renameat", "renameat2", "linkat"):
            moves.append(t)
        elif name in ("unlink", "unlinkat"):
            path = recorder.resolve(None if name == "unlink" else args[0],
                                    args[0] if name == "unlink" else args[1])
            if path in sources:
                moved = max((m for m in moves if m < t), default=None)
                if moved is None or not any(moved < f < t for f in flushes):
                    faults.append("%s removed with no flush of the device since the last move"
                                  % os.path.relpath(path, root))
    ok = not faults
    print("%-4s %s: the server flushed its device before each removal (%d flushes)%s" %
          ("ok" if ok else "FAIL", phase, len(flushes), "; " + faults[0] if faults else ""))
    return ok


def fuse_checks(p6k, scratch, grouped_phases, grouped_root, plain, containers):
    """The tree on a FUSE mount, each file flushed on its own; and the grouped
    trace of the local disk, read as if made there, must fail."""
    failures = 0
    fuse = FileSystemModel.fuse()
    if grouped_phases:
        for phase, calls, before, after, replacement_of in grouped_phases:
            faults = check_phase(calls, grouped_root, before, after, replacement_of, plain,
                                 containers, fuse)
            failures += not judged(phase, "grouped, as if on FUSE", faults, True)
    mount = FuseMount(scratch)
    if not mount.server:
        print("SKIPPED the FUSE mount: " + mount.why.rstrip("; "))
        return failures
    try:
        root = os.path.join(mount.folder, "tree")
        model = FileSystemModel.of(mount.folder)
        print("     on a %s mount (%s)" % (mount.name, model.name))
        if model.local or model.syncfs_covers:
            print("FAIL the FUSE mount is taken for a local disk")
            return failures + 1
        server = ServerTrace(mount.server.pid, os.path.join(scratch, "server.trace"))
        fuse_plain, fuse_containers, phases = tree_phases(p6k, root, scratch, "fuse", FUSE_TREE)
        flushes = server.flushes()
        failures += run_checks(phases, root, fuse_plain, fuse_containers, model, True, False)
        # fusefat flushes nothing to its image whatever it is asked: there
        # only p6k's own calls can be checked.
        if mount.name == "ntfs-3g":
            for phase, calls, before, _, _ in phases:
                failures += not server_flushes_before_removals(phase, calls, root, before,
                                                               flushes)
        else:
            print("     %s never flushes its image: its server is not checked" % mount.name)
    finally:
        mount.unmount()
    return failures


def main():
    p6k = os.path.abspath(sys.argv[1])
    single_restore = os.path.abspath(sys.argv[2])
    scratch = tempfile.mkdtemp(prefix="crash-points-")
    try:
        if not strace_works(scratch):
            print("SKIPPED: strace cannot trace here (no ptrace)")
            return 77
        root = os.path.realpath(os.path.join(scratch, "tree"))
        os.makedirs(root)
        model = FileSystemModel.of(root)
        print("     the tree is on %s: %s" % (model.name, "syncfs covers a group"
                                             if model.syncfs_covers else "each file flushed"))
        plain, containers, phases = tree_phases(p6k, root, scratch, "disk", TREE)
        failures = run_checks(phases, root, plain, containers, model, True, model.syncfs_covers)

        prompt_root = os.path.realpath(os.path.join(scratch, "prompt-tree"))
        prompt_plain, prompt_containers, prompt = prompt_phase(p6k, single_restore,
                                                               prompt_root, scratch)
        failures += run_checks([prompt], prompt_root, prompt_plain, prompt_containers, model,
                               False, False)

        failures += fuse_checks(p6k, scratch, phases if model.syncfs_covers else [], root,
                                plain, containers)
        return 1 if failures else 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
