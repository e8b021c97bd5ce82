#!/usr/bin/env bash
# Runs a command with BENCH_DIR on a fresh ext4 file system that has a journal,
# as Linux installs make it, held in an image file and mounted over a loop
# device for the command's time. Needs root.
#
#   bash bench/on_journaled_ext4.sh bash bench/run.sh
#
# Why: a development disk made without a journal (some virtual machines' are)
# makes every new file search past the inodes freed in the last minute, a cost
# that grows with each file a run removes and is the same whatever the run
# flushes; on such a disk it hides what flushing in groups saves. IMAGE_MIB
# sets the image's size (default 6144, enough for bench/run.sh's 1 GiB file);
# the image lies in IMAGE_DIR (default /var/tmp).
set -euo pipefail
shopt -s inherit_errexit
IMAGE_MIB="${IMAGE_MIB:-6144}"

(($# > 0)) || { echo "usage: $0 command [argument...]" >&2; exit 2; }
((EUID == 0)) || { echo "mounting an image needs root" >&2; exit 1; }
command -v mkfs.ext4 >/dev/null || { echo "no mkfs.ext4: apt-get install e2fsprogs" >&2; exit 1; }

SCRATCH="$(mktemp -d "${IMAGE_DIR:-/var/tmp}/p6k-ext4.XXXXXX")"
IMAGE="$SCRATCH/ext4.img"
MOUNTED="$SCRATCH/mnt"
cleanup() {
  mountpoint -q "$MOUNTED" && umount "$MOUNTED"
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

truncate -s "${IMAGE_MIB}M" "$IMAGE"
mkfs.ext4 -q -F "$IMAGE"
mkdir "$MOUNTED"
mount -o loop "$IMAGE" "$MOUNTED"
echo "on a fresh journaled ext4 of $IMAGE_MIB MiB at $MOUNTED"
BENCH_DIR="$MOUNTED" "$@"
