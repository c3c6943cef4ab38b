#!/usr/bin/env python3
"""Checks that every include between the program's source folders points down the floors.

The floors are written once in scripts/layers.conf: each top-level source folder names the
folders it may include. This check reads every .h and .cpp file of those folders, takes its
#include lines (those in comments do not count) and fails on an include of a folder that
is not on the including folder's list:

  up      the included folder sits on a higher floor (or is tests/ or bench/);
  across  it sits on the same or a lower floor, but on a side the folder may not use
          (one writer including another), or on no floor at all.

A declaration of a class or struct (`class Report;`) counts as an include of the folder that
defines it: a declaration of a type from a higher floor is the same dependency, only hidden.

It also fails on a source folder that has no line in the conf, so that a new folder gets
its floor consciously, and on a conf whose lists would let folders include each other in a
circle. tests/, bench/ and build folders are exempt: they may include anything.

Usage: check-layers.py [--root DIR] [--conf FILE] [--doc FILE]
Exit status: 0 when every include points down, 1 on any finding, 2 when the conf cannot be
read.
"""

import argparse
import os
import re
import sys
from collections import Counter

EXEMPT_FOLDERS = {"tests", "bench"}
SOURCE_SUFFIXES = (".h", ".cpp")
FOLDER_NAME = re.compile(r"[A-Za-z0-9_][A-Za-z0-9_.-]*")
INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"\n]+)[>"]')
DEFINITION = re.compile(r"^[ \t]*(?:template[ \t]*<[^>\n]*>[ \t]*)?(?:class|struct)[ \t]+([A-Za-z_]\w*)"
                        r"[ \t]*(?:final\b[ \t]*)?(?::[^;{\n]*)?(?:\{|$)", re.M)
DECLARATION = re.compile(r"^[ \t]*(?:class|struct)[ \t]+([A-Za-z_]\w*)[ \t]*;")
# Where a comment or a literal may begin; everything between is copied as it is.
LEXICAL_START = re.compile(r'//|/\*|"|\'')
IDENTIFIER_TAIL = re.compile(r"[A-Za-z0-9_]*$")
RAW_STRING_PREFIXES = {"R", "LR", "uR", "UR", "u8R"}
CHAR_PREFIXES = {"", "L", "u", "U", "u8"}
RAW_STRING_OPENING = re.compile(r'"([^()\\ \t\n]{0,16})\(')


class ConfError(Exception):
    def __init__(self, message, unreadable=False):
        super().__init__(message)
        self.unreadable = unreadable


class Floors:
    """The folders and what each may include, read from the conf."""

    def __init__(self, allowed, lines):
        self.allowed = allowed  # folder -> set of folders it may include
        self.lines = lines      # folder -> its line number in the conf
        self._heights = {}

    def height(self, folder):
        """The floor a folder sits on: 0 for one that includes nothing, else one above its
        highest dependency. Only called on a conf without circles."""
        if folder not in self._heights:
            below = self.allowed[folder] - {folder}
            self._heights[folder] = 1 + max((self.height(d) for d in below), default=-1)
        return self._heights[folder]

    def rule_broken(self, source, target):
        """None when source may include target, else "up" or "across"."""
        if target == source or target in self.allowed[source]:
            return None
        if target in EXEMPT_FOLDERS:
            return "up"
        if target in self.allowed and self.height(target) > self.height(source):
            return "up"
        return "across"


def read_conf(path):
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError as e:
        raise ConfError(f"{path}: cannot be read: {e.strerror}", unreadable=True)
    allowed, lines, findings = {}, {}, []
    for number, line in enumerate(text.splitlines(), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        where = f"{path}:{number}"
        name, colon, rest = line.partition(":")
        name = name.strip().rstrip("/")
        if not colon or not FOLDER_NAME.fullmatch(name):
            findings.append(f"{where}: expected \"folder: folders it may include\", got \"{line}\"")
            continue
        if name in EXEMPT_FOLDERS:
            findings.append(f"{where}: {name}/ is exempt and needs no line")
            continue
        if name in allowed:
            findings.append(f"{where}: {name}/ already has its line ({lines[name]})")
            continue
        allowed[name] = {d.rstrip("/") for d in rest.split()}
        lines[name] = number
    for name, deps in allowed.items():
        for dep in sorted(deps - set(allowed)):
            findings.append(f"{path}:{lines[name]}: {name}/ may include {dep}/, which has no line")
        deps &= set(allowed)
    for circle in find_circles(allowed):
        closing = circle[-2]
        findings.append(f"{path}:{lines[closing]}: the floors form a circle: "
                        + " -> ".join(circle))
    if findings:
        raise ConfError("\n".join(findings))
    return Floors(allowed, lines)


def find_circles(allowed):
    """Each circle closed by a back edge of a depth-first walk, as its list of folders with
    the first repeated at the end. Empty when the folders can be stacked into floors."""
    state, path, circles = {}, [], []

    def visit(folder):
        state[folder] = "open"
        path.append(folder)
        for dep in sorted(allowed[folder] - {folder}):
            if state.get(dep) == "open":
                circles.append(path[path.index(dep):] + [dep])
            elif dep not in state:
                visit(dep)
        path.pop()
        state[folder] = "done"

    for folder in allowed:
        if folder not in state:
            visit(folder)
    return circles


def blank(text):
    """The text with everything but its line breaks turned into spaces."""
    return re.sub(r"[^\n]", " ", text)


def without_comments(text):
    """The source with its comments and raw string literals blanked, line breaks kept, so
    that a directive found in it is a real one and sits on its own line number."""
    out, i, n = [], 0, len(text)
    while i < n:
        m = LEXICAL_START.search(text, i)
        if not m:
            out.append(text[i:])
            break
        start, token = m.start(), m.group()
        out.append(text[i:start])
        if token == "//":
            end = start
            while True:  # a line comment ending in a backslash goes on on the next line
                end = text.find("\n", end)
                if end < 0:
                    end = n
                    break
                if not text[start:end].rstrip("\r").endswith("\\"):
                    break
                end += 1
            out.append(blank(text[start:end]))
            i = end
        elif token == "/*":
            end = text.find("*/", start + 2)
            end = n if end < 0 else end + 2
            out.append(blank(text[start:end]))
            i = end
        else:
            prefix = IDENTIFIER_TAIL.search(text, 0, start).group()
            raw = RAW_STRING_OPENING.match(text, start) if token == '"' else None
            if raw and prefix in RAW_STRING_PREFIXES:
                closing = ")" + raw.group(1) + '"'
                end = text.find(closing, raw.end())
                end = n if end < 0 else end + len(closing)
                out.append(blank(text[start:end]))
                i = end
            elif token == "'" and prefix not in CHAR_PREFIXES:
                out.append(token)  # a digit separator: 1'000'000
                i = start + 1
            else:
                i = end_of_literal(text, start, token)
                out.append(text[start:i])
    return "".join(out)


def end_of_literal(text, start, quote):
    """Where an ordinary string or character literal ends; a literal never spans a line,
    so an unbalanced quote spoils at most the rest of its own line."""
    i, n = start + 1, len(text)
    while i < n and text[i] not in (quote, "\n"):
        i += 2 if text[i] == "\\" else 1
    return min(i + 1, n) if i < n and text[i] == quote else min(i, n)


def includes(text):
    """(line number, delimiter, included path) of every #include outside comments."""
    for number, line in enumerate(without_comments(text).split("\n"), 1):
        m = INCLUDE.match(line)
        if m:
            yield number, m.group(1), m.group(2).strip()


def declarations(text):
    """(line number, name) of every class or struct declared, not defined, outside comments."""
    for number, line in enumerate(without_comments(text).split("\n"), 1):
        m = DECLARATION.match(line)
        if m:
            yield number, m.group(1)


def defining_folders(root, folders):
    """Each class or struct name defined in the folders' headers -> the folders defining it."""
    defined = {}
    for folder in folders:
        for path in source_files(os.path.join(root, folder)):
            if not path.endswith(".h"):
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                text = without_comments(f.read())
            for m in DEFINITION.finditer(text):
                defined.setdefault(m.group(1), set()).add(folder)
    return defined


def top_folder(relative_path):
    parts = relative_path.split(os.sep)
    return parts[0] if len(parts) > 1 and parts[0] not in (os.curdir, os.pardir) else None


def included_folder(root, file_path, delimiter, included, known_folders):
    """The top-level folder an include reaches, found as the compiler finds it (a quoted
    name next to the including file first, then from the root); an include that names no
    existing file counts by its first folder when that is one of the tree's."""
    candidates = [os.path.join(root, included)]
    if delimiter == '"':
        candidates.insert(0, os.path.join(os.path.dirname(file_path), included))
    for candidate in candidates:
        candidate = os.path.normpath(candidate)
        if os.path.isfile(candidate):
            return top_folder(os.path.relpath(candidate, root))
    first = included.split("/", 1)[0]
    return first if "/" in included and first in known_folders else None


def is_exempt(root, name):
    return (name in EXEMPT_FOLDERS or name.startswith(("build", "."))
            or os.path.isfile(os.path.join(root, name, "CMakeCache.txt")))


def source_files(folder_path):
    for dirpath, dirnames, filenames in os.walk(folder_path):
        dirnames[:] = sorted(d for d in dirnames if not d.startswith("."))
        for name in sorted(filenames):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(dirpath, name)


def source_folders(root):
    """The top-level folders that hold .h or .cpp files, exempt ones aside."""
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if os.path.isdir(path) and not is_exempt(root, name) and next(source_files(path), None):
            yield name


def check(root, floors, conf_shown):
    findings, pairs = [], Counter()
    folders = list(source_folders(root))
    known = set(floors.allowed) | set(folders) | EXEMPT_FOLDERS
    for folder in folders:
        if folder not in floors.allowed:
            findings.append(f"{folder}/: a source folder without a line in {conf_shown}; "
                            "give it its floor there")
    files = edges = 0
    defined = defining_folders(root, [f for f in folders if f in floors.allowed])
    for folder in folders:
        if folder not in floors.allowed:
            continue
        may = " ".join(f"{d}/" for d in sorted(floors.allowed[folder], key=lambda d: (-floors.height(d), d))) or "nothing"
        for path in source_files(os.path.join(root, folder)):
            files += 1
            shown = os.path.relpath(path, root)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for number, delimiter, included in includes(text):
                target = included_folder(root, path, delimiter, included, known)
                if target is None or target == folder:
                    continue
                edges += 1
                rule = floors.rule_broken(folder, target)
                if rule:
                    pairs[(rule, folder, target)] += 1
                    written = f"<{included}>" if delimiter == "<" else f'"{included}"'
                    findings.append(f"{shown}:{number}: {rule}: {folder}/ includes {target}/ "
                                    f"({written}); {folder}/ may include {may}")
            for number, name in declarations(text):
                homes = defined.get(name, set())
                if not homes or folder in homes or homes & floors.allowed[folder]:
                    continue
                target = sorted(homes)[0]
                edges += 1
                rule = floors.rule_broken(folder, target)
                pairs[(rule, folder, target)] += 1
                findings.append(f"{shown}:{number}: {rule}: {folder}/ declares {name}, a type of "
                                f"{target}/; {folder}/ may include {may}")
    return findings, pairs, len(folders), files, edges


def folder_rows(doc_text):
    """(line number, folder) of each row of the doc's table under "## Folders" whose first
    cell names a folder, or a file in one (`sepa/`, `sepa/SepaWriter`)."""
    inside = False
    for number, line in enumerate(doc_text.split("\n"), 1):
        if line.startswith("## "):
            inside = line.strip() == "## Folders"
            continue
        if inside and line.startswith("|"):
            first = line.split("|")[1]
            for name in re.findall(r"`([A-Za-z0-9_.-]+)/[^`]*`", first):
                yield number, name


def check_doc(doc_text, doc_shown, floors):
    """A folder of the conf without exactly one row in the doc's table of folders."""
    findings, seen = [], {}
    for number, name in folder_rows(doc_text):
        seen.setdefault(name, []).append(number)
    for folder in sorted(floors.allowed):
        lines = seen.get(folder, [])
        if not lines:
            findings.append(f"{doc_shown}: {folder}/ has no row in the table of folders")
        elif len(lines) > 1:
            shown = ", ".join(str(n) for n in lines)
            findings.append(f"{doc_shown}:{lines[1]}: {folder}/ has {len(lines)} rows in the table "
                            f"of folders (lines {shown}); give it one")
    return findings


def main():
    default_root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description="Checks that includes point down the floors.")
    parser.add_argument("--root", default=default_root, help="the source tree (default: this repository)")
    parser.add_argument("--conf", help="the floors (default: ROOT/scripts/layers.conf)")
    parser.add_argument("--doc", help="the architecture's table of folders (default: "
                        "ROOT/docs/ARCHITECTURE.md, when there)")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    conf = args.conf or os.path.join(root, "scripts", "layers.conf")
    conf_shown = os.path.relpath(conf, root) if os.path.abspath(conf).startswith(root + os.sep) else conf
    if not os.path.isdir(root):
        print(f"check-layers: {root} is not a folder", file=sys.stderr)
        return 2
    try:
        floors = read_conf(conf)
    except ConfError as e:
        print(e)
        print("check-layers: the floors cannot be checked until the conf is mended")
        return 2 if e.unreadable else 1

    findings, pairs, folders, files, edges = check(root, floors, conf_shown)
    doc = args.doc or os.path.join(root, "docs", "ARCHITECTURE.md")
    if args.doc or os.path.isfile(doc):
        with open(doc, encoding="utf-8", errors="replace") as f:
            findings += check_doc(f.read(), os.path.relpath(doc, root), floors)
    if not findings:
        print(f"check-layers: {folders} folders, {files} files, {edges} includes between folders, "
              "all pointing down the floors")
        return 0
    for finding in findings:
        print(finding)
    print(f"check-layers: {len(findings)} findings")
    for (rule, source, target), count in sorted(pairs.items()):
        print(f"  {rule:6} {source}/ -> {target}/: {count}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
