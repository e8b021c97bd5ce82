#!/usr/bin/env python3
"""Writes a zip whose bytes depend on the files' contents and names alone.

  write_zip.py OUT.zip EPOCH FOLDER NAME...

Every entry, in the order given, carries the time EPOCH (as UTC, the zip's
MS-DOS time has no zone) and no extra field: no Unix or NTFS times, no owner.
Names outside ASCII are written in UTF-8 and flagged so (general purpose bit
11), which Explorer, 7-Zip and unzip read whatever the system's code page.
The entries are deflated at level 9 and made "by Unix" as plain files
readable by all: unzip on Linux takes a name made "by MS-DOS" for the OEM
code page and garbles it, bit 11 or not.
"""
import sys
import time
import zipfile


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__)
    out, epoch, folder, names = argv[1], int(argv[2]), argv[3], argv[4:]
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(out, "w") as archive:
        for name in names:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            with open(f"{folder}/{name}", "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)


if __name__ == "__main__":
    main(sys.argv)
