#!/usr/bin/env python3
"""Crash points: p6k's recorded file-system calls, checked against a weak
persistence model, and the disks a crash could leave, checked for loss.

The model: fsync/fdatasync of a file make its data durable; fsync of a folder
makes the names in it durable; syncfs/sync make everything durable; nothing
else does (sync_file_range included). Every unlink of a source must come
after the data and the name of its replacement are durable. At every sync
point (and at the end) the disks the model allows are replayed: durable
operations kept, any subset of the others kept in the order they were issued,
and every original must stand intact under its own name or under its
container's name.

The checker is shown to work on the same runs with the file flushes or the
folder flushes taken out of the trace: both must be caught.

Usage: crash_points_test.py P6K    (exit 77: strace cannot trace here)
"""
import itertools
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

PASSWORD = "crash points"
# name (relative to the tree) -> size; empty files and a nested folder.
TREE = {
    "empty.txt": 0,
    "one.txt": 1,
    "page.doc": 4096,
    "sub/large.bin": 300000,
    "sub/zero.dat": 0,
    "sub/deeper/note.md": 777,
    "sub/deeper/also.log": 20000,
}
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

STRING = r'"((?:[^"\\]|\\.)*)"'
LINE = re.compile(r'^(\d+)\s+(\w+)\((.*)\)\s+=\s+(-?\d+|\?)(?:<[^>]*>)?(?:\s.*)?$')


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
            m = re.match(r"^(\d+)\s+(.*)$", raw)
            if not m:
                continue
            pid, rest = m.groups()
            if rest.endswith("<unfinished ...>"):
                pending[pid] = rest[: -len("<unfinished ...>")].rstrip()
                continue
            resumed = re.match(r"^<\.\.\. \w+ resumed>(.*)$", rest)
            if resumed:
                rest = pending.pop(pid, "") + resumed.group(1)
            yield pid + " " + rest


def fd_number(arg):
    m = re.match(r"^(-?\d+|AT_FDCWD)(?:<(.*)>)?$", arg)
    if not m:
        return None, None
    return m.group(1), m.group(2)


def parse_trace(path):
    """The calls as (name, args, result) tuples, failed calls left out."""
    calls = []
    for line in joined_lines(path):
        m = LINE.match(line)
        if not m:
            continue
        _, name, args, result = m.groups()
        if result == "?" or int(result) < 0:
            continue
        calls.append((name, split_args(args), int(result)))
    return calls


# ---------------------------------------------------------------- the model

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

    def __init__(self, root, before, replacement_of):
        self.root = root
        self.names = {}        # path -> inode
        self.next_inode = 0
        self.fds = {}          # descriptor -> (inode or folder path, is_folder)
        self.ops = []
        self.crash_points = []  # (operations issued, syncs done) at each sync
        self.syncs = 0
        self.errors = []
        self.replacement_of = replacement_of
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
            self.make_names_durable(target[0])
        else:
            self.make_data_durable(target[0])

    def on_fdatasync(self, args, _):
        target = self.tracked(args[0])
        if target and not target[1]:
            self.sync_point()
            self.make_data_durable(target[0])

    def on_syncfs(self, args, _):
        self.sync_point()
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

    def moved(self, source, target, keep_source):
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
                           inode=inode, folders=folders))

    def on_rename(self, args, _):
        self.moved(self.resolve(None, args[0]), self.resolve(None, args[1]), False)

    def on_renameat(self, args, _):
        self.moved(self.resolve(args[0], args[1]), self.resolve(args[2], args[3]), False)

    on_renameat2 = on_renameat

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
            if names.get(op.source) != op.inode or op.to in names:
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


def check_phase(calls, root, before, after, replacement_of, plain, containers):
    """The removals' order and the crash states of one run: a list of faults."""
    recorder = Recording(root, before, replacement_of)
    for name, args, result in calls:
        recorder.call(name, args, result)
    contents = final_contents(recorder, after)
    for inode, rel in recorder.initial.items():
        contents.setdefault(inode, before[rel])
    faults = list(recorder.errors)
    removals = sum(op.kind == "unlink" and op.path != recorder.root for op in recorder.ops)
    if removals != len(before):
        faults.append("%d sources removed of %d: the trace was not understood" %
                      (removals, len(before)))
    loss = check_crash_states(recorder, contents, plain, containers)
    if loss:
        faults.append(loss)
    return faults


def without(calls, leave_out):
    """The trace as a run would have made it without its data flushes (of
    files, or of the file system for a group) or its folder flushes."""
    folders = set()
    kept = []
    for name, args, result in calls:
        if name in ("openat", "open") and "O_DIRECTORY" in args[2 if name == "openat" else 1]:
            folders.add(str(result))
        if name in ("fsync", "fdatasync"):
            number, shown = fd_number(args[0])
            on_folder = number in folders or (shown and os.path.isdir(shown))
            if (leave_out == "folder") == bool(on_folder):
                continue
        # A group's data is made durable by one flush of the whole file system.
        if name in ("syncfs", "sync") and leave_out == "file":
            continue
        if name == "close":
            number, _ = fd_number(args[0])
            folders.discard(number)
        kept.append((name, args, result))
    return kept


# ---------------------------------------------------------------- the runs

def snapshot(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, root)] = f.read()
    return files


def traced_run(p6k, verb, root, trace):
    env = dict(os.environ, P6K_PASSWORD=PASSWORD)
    run = subprocess.run(["strace", "-f", "-y", "-s", "1", "-e", "trace=" + TRACED, "-o", trace,
                          p6k, verb, "-r", root], env=env, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, cwd=root)
    if run.returncode != 0:
        sys.exit("p6k %s failed (%d): %s" % (verb, run.returncode, run.stderr.decode()))
    return parse_trace(trace)


def strace_works(scratch):
    try:
        return subprocess.run(["strace", "-o", os.path.join(scratch, "probe"), "true"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
    except OSError:
        return False


def make_tree(root):
    rng = random.Random(7)
    plain = {}
    for rel, size in TREE.items():
        os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
        data = bytes(rng.getrandbits(8) for _ in range(size))
        with open(os.path.join(root, rel), "wb") as f:
            f.write(data)
        plain[rel] = data
    return plain


def main():
    p6k = os.path.abspath(sys.argv[1])
    scratch = tempfile.mkdtemp(prefix="crash-points-")
    try:
        if not strace_works(scratch):
            print("SKIPPED: strace cannot trace here (no ptrace)")
            return 77
        root = os.path.realpath(os.path.join(scratch, "tree"))
        plain = make_tree(root)
        encrypting = traced_run(p6k, "encrypt", root, os.path.join(scratch, "encrypt.trace"))
        containers = snapshot(root)
        if set(containers) != {container_of(rel) for rel in plain}:
            sys.exit("encryption left %s" % sorted(containers))
        decrypting = traced_run(p6k, "decrypt", root, os.path.join(scratch, "decrypt.trace"))
        if snapshot(root) != plain:
            sys.exit("decryption did not give the tree back")

        phases = [
            ("encrypt", encrypting, plain, containers, container_of),
            ("decrypt", decrypting, containers, plain,
             {container_of(rel): rel for rel in plain}.get),
        ]
        failures = 0
        for phase, calls, before, after, replacement_of in phases:
            for variant, leave_out, expect_faults in (("as recorded", None, False),
                                                      ("without file flushes", "file", True),
                                                      ("without folder flushes", "folder", True)):
                trace = without(calls, leave_out) if leave_out else calls
                faults = check_phase(trace, root, before, after, replacement_of, plain,
                                     containers)
                removal_faults = [f for f in faults if "removed" in f]
                crash_faults = [f for f in faults if f.startswith("a crash")]
                if expect_faults:
                    ok = bool(removal_faults) and bool(crash_faults)
                else:
                    ok = not faults
                shown = removal_faults[:1] + crash_faults[:1] + [
                    f for f in faults if f not in removal_faults + crash_faults]
                print("%-4s %s %s: %s" % ("ok" if ok else "FAIL", phase, variant,
                                          "; ".join(shown) or "no fault"))
                failures += not ok
        return 1 if failures else 0
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
