#!/usr/bin/env python3
"""Checks that the sources include one way only: each folder of src/ may
include its own headers and those of the layers below it, never a layer
above it nor a sibling of its own layer; and only the Windows folders may
include the system's Windows headers.

    check_layers.py [SRC]          checks the tree (default: src beside tools/)
    check_layers.py --self-test    the check must catch an upward include

Prints every offending include and exits 1 when there is one.
"""
import os
import re
import sys
import tempfile

# Bottom to top. Folders on one line are one layer: they may not include
# each other.
LAYERS = [
    ["model"],                                  # records, run-time state, defaults
    ["platform"],                               # the services' interfaces, text helpers
    ["platform/posix", "platform/win32"],       # the services' adapters
    ["core", "library", "search", "playback"],  # data file, library, search, player
    ["window"],                                 # the main window's logic
    ["dialogs"],                                # the settings and version dialogs
    ["menus"],                                  # menus, their commands, the hook
    ["views/win32"],                            # the Win32 windows and dialogs
    ["app"],                                    # start-up, main tick, jobs
    ["app/win32"],                              # the Windows entry point
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}

# The portable layers know the services by their interfaces alone: an
# adapter is included only by its own folder, and the Windows one by the
# Windows views and entry point.
ADAPTERS = {"platform/posix": (), "platform/win32": ("views/win32", "app/win32")}

# System headers that only the Windows folders may use.
WINDOWS_HEADERS = {
    "windows.h", "windowsx.h", "commctrl.h", "commdlg.h", "shellapi.h", "shlobj.h",
    "objbase.h", "mmsystem.h", "uxtheme.h", "winuser.h",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(relative_path):
    """The deepest folder of the table that holds the file, or None."""
    parts = relative_path.replace(os.sep, "/").split("/")[:-1]
    while parts:
        folder = "/".join(parts)
        if folder in RANK:
            return folder
        parts.pop()
    return None


def check(src):
    problems = []
    for dirpath, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            own = folder_of(rel)
            if own is None:
                problems.append(f"{rel}: in no layer of tools/check_layers.py")
                continue
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    where = f"{rel}:{number}: {line.strip()}"
                    if kind == "<":
                        if target.lower() in WINDOWS_HEADERS and not own.endswith("win32"):
                            problems.append(f"{where}: Windows header outside the Windows folders")
                        continue
                    theirs = folder_of(target)
                    if theirs is None:
                        continue  # a header beside this one, not a layer's
                    if theirs in ADAPTERS and own != theirs and own not in ADAPTERS[theirs]:
                        problems.append(f"{where}: {own} includes the adapter {theirs}")
                    elif theirs != own and RANK[theirs] >= RANK[own]:
                        relation = "a sibling layer" if RANK[theirs] == RANK[own] else "a higher layer"
                        problems.append(f"{where}: {own} includes {theirs}, {relation}")
    return problems


def self_test():
    with tempfile.TemporaryDirectory() as src:
        for rel, text in {
            "model/a.h": "#pragma once\n",
            "library/b.cpp": '#include "model/a.h"\n#include "app/startup.h"\n',
            "search/c.cpp": '#include "library/b.h"\n',
            "window/d.cpp": '#include <windows.h>\n#include "platform/win32/wide.h"\n',
        }.items():
            os.makedirs(os.path.dirname(os.path.join(src, rel)), exist_ok=True)
            with open(os.path.join(src, rel), "w", encoding="utf-8") as f:
                f.write(text)
        found = check(src)
    expected = ["library includes app", "search includes library", "Windows header", "the adapter"]
    missing = [e for e in expected if not any(e in p for p in found)]
    if missing or len(found) != len(expected):
        print("check_layers self-test failed:", found, file=sys.stderr)
        return 1
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    problems = check(src)
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
