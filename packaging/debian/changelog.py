#!/usr/bin/python3
"""Writes the Debian changelog of the package from CHANGELOG.md.

Run: /usr/bin/python3 packaging/debian/changelog.py CHANGELOG.md PACKAGE MAINTAINER > changelog

Each "## VERSION - YYYY-MM-DD" section becomes one entry, newest first as in the file; its
paragraphs and "- " items become the entry's "  * " items, wrapped to fit 80 columns. Markdown
code marks are dropped. Fails (exit 1) on a section heading that does not have that form.
"""

import datetime
import re
import sys
import textwrap

HEADING = re.compile(r"^## (\S+) - (\d{4}-\d{2}-\d{2})\s*$")


def sections(lines):
    """(version, date, items) for each release section, in file order."""
    found = []
    for line in lines:
        line = line.rstrip("\n")
        if line.startswith("## "):
            m = HEADING.match(line)
            if not m:
                raise ValueError("not a release heading: " + line)
            found.append((m.group(1), m.group(2), []))
            continue
        if not found or line.startswith("# "):
            continue
        items = found[-1][2]
        text = line.strip().replace("`", "")
        if not text:
            items.append(None)  # a blank line ends the item before it
        elif line.startswith("- "):
            items.append(text[2:])
        elif items and items[-1] is not None:
            items[-1] += " " + text
        else:
            items.append(text)
    return [(v, d, [i for i in items if i]) for v, d, items in found]


def entry(package, maintainer, version, date, items):
    out = ["%s (%s) unstable; urgency=medium" % (package, version), ""]
    for item in items:
        out += textwrap.wrap(item, 78, initial_indent="  * ", subsequent_indent="    ",
                             break_on_hyphens=False)
    stamp = datetime.datetime.strptime(date, "%Y-%m-%d").replace(tzinfo=datetime.timezone.utc)
    out += ["", " -- %s  %s" % (maintainer, stamp.strftime("%a, %d %b %Y %H:%M:%S +0000")), ""]
    return "\n".join(out)


def main(argv):
    if len(argv) != 3:
        print("usage: changelog.py CHANGELOG.md PACKAGE MAINTAINER", file=sys.stderr)
        return 2
    with open(argv[0], encoding="utf-8") as f:
        try:
            releases = sections(f)
        except ValueError as e:
            print("changelog.py: %s" % e, file=sys.stderr)
            return 1
    if not releases:
        print("changelog.py: no release sections in %s" % argv[0], file=sys.stderr)
        return 1
    sys.stdout.write("\n".join(entry(argv[1], argv[2], *r) for r in releases))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
