#!/usr/bin/python3
"""Checks that every product file includes only its own folder and the folders below it.

Run: /usr/bin/python3 tests/architecture/check_layering.py [REPO_ROOT]

Each product folder is one library; the table below is the direction of its links (see the
top-level CMakeLists.txt). Quoted includes are resolved as the build resolves them: a path with
a folder names that folder, a bare name is a file of the including file's own folder or a
toolkit or resources header. System headers of a platform (windows.h, xcb, X11, cairo, POSIX
headers) belong in `platform/` folders only, so shared code stays free of platform #ifdefs.
"""

import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))

# folder -> folders its files may include (besides its own)
ALLOWED = {
    "text": set(),
    "toolkit": {"text"},
    "resources": set(),
    "engine": set(),
    "plugin": set(),
    "presets": {"plugin", "text"},
    "editorglue": {"plugin", "toolkit", "resources", "text"},
    "presetstrip": {"presets", "editorglue", "plugin", "toolkit", "resources", "text"},
    "editor": {"presetstrip", "presets", "editorglue", "plugin", "toolkit", "resources", "engine",
               "text"},
    "effect": {"editor", "presetstrip", "presets", "editorglue", "plugin", "toolkit", "engine",
               "resources", "text"},
    "effecthost": {"effect", "editor", "presetstrip", "presets", "editorglue", "plugin", "toolkit",
                   "engine", "resources", "text"},
    "vst3": {"effecthost", "effect", "editor", "presetstrip", "presets", "editorglue", "plugin",
             "toolkit", "engine", "resources", "text"},
    "clap": {"effecthost", "effect", "editor", "presetstrip", "presets", "editorglue", "plugin",
             "toolkit", "engine", "resources", "text"},
    "lv2": {"effecthost", "effect", "editor", "presetstrip", "presets", "editorglue", "plugin",
            "toolkit", "engine", "resources", "text"},
}
# Headers the build writes into its own tree from cmake/<name>.in; any folder may include them.
GENERATED_HEADERS = ("OrvVersion.h",)
# Folders whose bare-name includes resolve into them (their include directory is public).
BARE_NAME_FOLDERS = ("toolkit", "resources")
PLATFORM_HEADERS = re.compile(
    r"^(windows\.h|ole2\.h|gdiplus\.h|shlobj\.h|commdlg\.h|xcb/|X11/|xkbcommon/|cairo|"
    r"unistd\.h|fcntl\.h|sys/|dlfcn\.h|pwd\.h|ft2build\.h|freetype/)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def headers_by_name(folder):
    names = {}
    for dirpath, _, files in os.walk(os.path.join(ROOT, folder)):
        for f in files:
            if f.endswith((".h", ".hpp")):
                names.setdefault(f, os.path.relpath(os.path.join(dirpath, f), ROOT))
    return names


def folder_of_quoted(path, including_file, bare):
    first = path.split("/")[0]
    if "/" in path and first in ALLOWED:
        return first
    own_dir = os.path.dirname(including_file)
    if os.path.exists(os.path.join(ROOT, own_dir, path)):
        return including_file.split("/")[0]
    name = os.path.basename(path)
    for folder in BARE_NAME_FOLDERS:
        if name in bare[folder]:
            return folder
    return None


def main():
    bare = {f: headers_by_name(f) for f in BARE_NAME_FOLDERS}
    faults = []
    for folder in ALLOWED:
        for dirpath, _, files in os.walk(os.path.join(ROOT, folder)):
            for f in files:
                if not f.endswith((".h", ".cpp", ".hpp", ".c")):
                    continue
                rel = os.path.relpath(os.path.join(dirpath, f), ROOT)
                in_platform = "/platform/" in "/" + rel
                with open(os.path.join(ROOT, rel), encoding="utf-8", errors="replace") as src:
                    for number, line in enumerate(src, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, path = m.groups()
                        where = "%s:%d: %s" % (rel, number, line.strip())
                        if kind == "<":
                            if PLATFORM_HEADERS.match(path) and not in_platform:
                                faults.append(where + "  (platform header outside platform/)")
                            continue
                        if path in GENERATED_HEADERS and os.path.exists(
                                os.path.join(ROOT, "cmake", path + ".in")):
                            continue
                        target = folder_of_quoted(path, rel, bare)
                        if target is None:
                            faults.append(where + "  (not found)")
                        elif target != folder and target not in ALLOWED[folder]:
                            faults.append(where + "  (%s may not include %s)" % (folder, target))
    for fault in faults:
        print(fault)
    print("%d include rule fault(s)" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
