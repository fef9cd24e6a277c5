#!/usr/bin/env python3
"""Fails when a room of the source tree includes a room above it, or anything below ui/ includes Qt.

Usage: check-includes.py [ROOT]      checks the tree at ROOT (default: the checkout)
       check-includes.py --self-test checks the checker on small trees of its own
"""
import os
import re
import sys
import tempfile

# Which rooms each room may include, itself always included. A file belongs to the longest room
# prefix of its path; cabinet/src/X rooms are the library's inner folders.
ALLOWED = {
    "base": set(),
    "project": {"base"},
    "runtime/core": {"base"},
    "runtime/win": {"base", "runtime/core"},
    "cabinet/include": set(),
    # The shared format, checksum and compressor interface; Compressor.cpp makes the codecs.
    "cabinet/src": {"cabinet/include", "cabinet/src/deflate", "cabinet/src/lzx"},
    "cabinet/src/fci": {"cabinet/include", "cabinet/src"},
    "cabinet/src/fdi": {"cabinet/include", "cabinet/src"},
    "cabinet/src/deflate": {"cabinet/include", "cabinet/src"},
    "cabinet/src/lzx": {"cabinet/include", "cabinet/src"},
    "builder/cabinet": {"base", "project", "cabinet/include"},
    "builder": {"base", "project", "runtime/core", "builder/cabinet", "cabinet/include"},
    "cli": {"base", "project", "runtime/core", "builder", "builder/cabinet", "cabinet/include"},
    "ui": {"base", "project", "runtime/core", "builder", "builder/cabinet", "cabinet/include"},
}
QT_ROOMS = {"ui"}
# Searched, in order, for a quoted include that is not beside the including file.
INCLUDE_ROOTS = ["", "cabinet/src", "cabinet/include"]
SOURCE_SUFFIXES = (".c", ".cpp", ".h")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Qt[A-Za-z]*/|^Q[A-Z][A-Za-z]*$|^q[a-z]+\.h$")


def room_of(path):
    best = None
    for room in ALLOWED:
        if (path == room or path.startswith(room + "/")) and (best is None or len(room) > len(best)):
            best = room
    return best


def resolve(root, including, name):
    for folder in [os.path.dirname(including)] + INCLUDE_ROOTS:
        candidate = os.path.normpath(os.path.join(folder, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate.replace(os.sep, "/")
    return None


def problems_in(root, path):
    room = room_of(path)
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{path}:{number}"
            if kind == "<":
                if QT_HEADER.search(name) and room not in QT_ROOMS:
                    yield f"{where}: {room}/ includes Qt ({name}); only ui/ may"
                continue
            target = resolve(root, path, name)
            if target is None:
                yield f"{where}: cannot find {name}"
                continue
            target_room = room_of(target)
            if target_room is None:
                yield f"{where}: {name} lies outside every room"
            elif target_room != room and target_room not in ALLOWED[room]:
                yield f"{where}: {room}/ may not include {target_room}/ ({name})"


def sources(root):
    for room in ALLOWED:
        top = os.path.join(root, room)
        for folder, _, names in os.walk(top):
            for name in sorted(names):
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                    if room_of(path) == room:
                        yield path


def check(root):
    paths = list(sources(root))
    return [problem for path in paths for problem in problems_in(root, path)], len(paths)


def self_test():
    def tree(files):
        root = tempfile.mkdtemp(prefix="kf-includes-")
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as out:
                out.write(text)
        return root

    legal = {
        "base/Exception.h": "#include <string>\n",
        "project/Project.h": '#include "base/Exception.h"\n',
        "builder/Driver.cpp": '#include "project/Project.h"\n#include "fci.h"\n',
        "cabinet/include/fci.h": "",
        "cabinet/src/Format.h": "",
        "cabinet/src/lzx/Lzx.h": '#include "Format.h"\n#include "LzxFormat.h"\n',
        "cabinet/src/lzx/LzxFormat.h": "",
        "cabinet/src/Compressor.cpp": '#include "lzx/Lzx.h"\n',
        "ui/Form.cpp": "#include <QWidget>\n#include <QtCore/QString>\n",
    }
    illegal = {
        "project includes builder": {"project/A.cpp": '#include "builder/B.h"\n', "builder/B.h": ""},
        "runtime/core includes project": {"runtime/core/A.cpp": '#include "project/P.h"\n', "project/P.h": ""},
        "base includes runtime": {"base/A.cpp": '#include "runtime/core/B.h"\n', "runtime/core/B.h": ""},
        "a writer includes a codec": {
            "cabinet/src/fci/Folder.cpp": '#include "lzx/Lzx.h"\n',
            "cabinet/src/lzx/Lzx.h": "",
        },
        "a codec includes another": {
            "cabinet/src/deflate/A.cpp": '#include "lzx/Lzx.h"\n',
            "cabinet/src/lzx/Lzx.h": "",
        },
        "the builder includes Qt": {"builder/A.cpp": "#include <QString>\n"},
        "the cabinet binding includes Qt": {"builder/cabinet/A.cpp": "#include <QtCore/qglobal.h>\n"},
        "an include that is nowhere": {"cli/A.cpp": '#include "Missing.h"\n'},
    }
    failures = []
    problems, checked = check(tree(legal))
    if problems or checked != len(legal):
        failures.append(f"a legal tree gave {problems} after {checked} files")
    for what, files in illegal.items():
        problems, _ = check(tree(files))
        if len(problems) != 1:
            failures.append(f"{what}: {problems or 'not found'}")
    for failure in failures:
        print(failure)
    print("self-test:", "failed" if failures else f"{1 + len(illegal)} trees judged as expected")
    return 1 if failures else 0


def main(arguments):
    if arguments == ["--self-test"]:
        return self_test()
    root = arguments[0] if arguments else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    problems, checked = check(root)
    for problem in problems:
        print(problem)
    if checked == 0:
        print(f"no sources under {root}")
        return 1
    print(f"{checked} files, {len(problems)} broken include rules")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
