#!/usr/bin/env python3
"""The section of one release in CHANGELOG.md, in the form each package ships.

  changelog.py notes  CHANGELOG.md VERSION TITLE OUT    the notes as text: a title, the items
  changelog.py debian CHANGELOG.md VERSION PACKAGE MAINTAINER EPOCH OUT
                                                          Debian changelog format

A section starts with a line "## VERSION" or "## VERSION (date)" and runs to
the next "## ". Its items are Markdown bullets ("- ", continued by lines
indented with two blanks). A version without a section is an error: a release
is not shipped without its notes.
"""
import re
import sys
import textwrap
import time


def section(path, version):
    lines = open(path, encoding="utf-8").read().splitlines()
    heading = re.compile(r"^## " + re.escape(version) + r"(\s+\(.*\))?\s*$")
    for i, line in enumerate(lines):
        if heading.match(line):
            body = []
            for rest in lines[i + 1:]:
                if rest.startswith("## "):
                    break
                body.append(rest.rstrip())
            while body and not body[0]:
                body.pop(0)
            while body and not body[-1]:
                body.pop()
            if not body:
                sys.exit(f"changelog.py: the section of {version} in {path} is empty")
            return body
    sys.exit(f"changelog.py: {path} has no section '## {version}'")


def notes(body, title):
    return "\n".join([title, "", *body]) + "\n"


def debian(body, package, version, maintainer, epoch):
    out = [f"{package} ({version}) unstable; urgency=medium", ""]
    items = []
    for line in body:
        if line.startswith("- "):
            items.append(line[2:].strip())
        elif line.strip() and items:
            items[-1] += " " + line.strip()
    # Filled again for the deeper indent: Debian's tools want lines of at most 80.
    for item in items:
        out.append(textwrap.fill(item, width=78, initial_indent="  * ", subsequent_indent="    ",
                                 break_long_words=False, break_on_hyphens=False))
    # RFC 5322 with English names whatever the locale, as dpkg-parsechangelog reads it.
    days = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
    months = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
    t = time.gmtime(epoch)
    date = f"{days[t.tm_wday]}, {t.tm_mday:02d} {months[t.tm_mon - 1]} {t.tm_year} " \
           f"{t.tm_hour:02d}:{t.tm_min:02d}:{t.tm_sec:02d} +0000"
    out += ["", f" -- {maintainer}  {date}"]
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) == 6 and argv[1] == "notes":
        _, _, path, version, title, out = argv
        text = notes(section(path, version), title)
    elif len(argv) == 8 and argv[1] == "debian":
        _, _, path, version, package, maintainer, epoch, out = argv
        text = debian(section(path, version), package, version, maintainer, int(epoch))
    else:
        sys.exit(__doc__)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv)
