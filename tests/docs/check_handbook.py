#!/usr/bin/env python3
"""Checks the clerk's handbook against the program: every link inside it resolves, every
picture is built into the program, every window opens a section of it with F1, and every
message text the program defines stands in it. Prints each fault; exit 1 when there is one.

    check_handbook.py SOURCE_ROOT"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import handbook_messages  # noqa: E402

HANDBOOK = "docs/handbuch/Handbuch.md"
RESOURCE = "app/handbook.qrc"
LINK = re.compile(r"(!?)\[([^\]]*)\]\(([^)\s]+)\)")


def anchor_of(heading):
    """GitHub's anchor of a heading, as app/Handbook makes it."""
    return "".join("-" if c == " " else c for c in heading.lower() if c.isalnum() or c in " -_")


def headings(markdown):
    found, in_code = [], False
    for line in markdown.split("\n"):
        if line.strip().startswith("```"):
            in_code = not in_code
        m = None if in_code else re.match(r"^(#{1,6}) (.+)$", line)
        if m:
            found.append(anchor_of(m.group(2).strip()))
    return found


def link_faults(markdown, anchors, handbook_dir, resource_aliases):
    faults = []
    for m in LINK.finditer(markdown):
        picture, target = m.group(1) == "!", m.group(3)
        if target.startswith(("http://", "https://", "mailto:")):
            continue
        path, _, fragment = target.partition("#")
        if not path:
            if fragment not in anchors:
                faults.append(f"Verweis auf einen Abschnitt, den es nicht gibt: {target}")
            continue
        if not os.path.exists(os.path.normpath(os.path.join(handbook_dir, path))):
            faults.append(f"Verweis auf eine Datei, die es nicht gibt: {target}")
        elif picture and os.path.normpath(os.path.join("handbuch", path)) not in resource_aliases:
            faults.append(f"Bild nicht im Programm ({RESOURCE}): {target}")
    return faults


def resource_aliases(root):
    with open(os.path.join(root, RESOURCE), encoding="utf-8") as f:
        return {os.path.normpath(a) for a in re.findall(r'alias="([^"]+)"', f.read())}


def window_faults(root, anchors):
    """Every window of the desktop program opens its section with F1."""
    faults = []
    gui = os.path.join(root, "gui")
    for name in sorted(os.listdir(gui)):
        # The help window defines the hooks; it is no window F1 explains.
        if not name.endswith(".cpp") or name == "HelpWindow.cpp":
            continue
        with open(os.path.join(gui, name), encoding="utf-8") as f:
            source = handbook_messages._strip_comments(f.read())
        opens_window = re.search(r":\s*QDialog\(|\bQPrintPreviewDialog\b|\bQProgressDialog\b|"
                                 r"FrmDTAWindow::FrmDTAWindow\(", source)
        topics = re.findall(r'(?:installHelpKey|addHelpMenu)\([^;]*?u"([^"]+)"_qs', source)
        if opens_window and not topics:
            faults.append(f"gui/{name}: ein Fenster ohne Abschnitt des Handbuchs für F1 (installHelpKey, addHelpMenu)")
        for topic in topics:
            if topic not in anchors:
                faults.append(f"gui/{name}: F1 öffnet den Abschnitt „{topic}“, den es nicht gibt")
    return faults


def message_faults(root, markdown):
    text = handbook_messages.normalized(markdown)
    return [f"{source}: Meldung fehlt im Handbuch: {part}"
            for part, source in sorted(handbook_messages.message_texts(root).items(), key=lambda i: i[1])
            if part not in text]


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(os.path.join(root, HANDBOOK), encoding="utf-8") as f:
        markdown = f.read()
    anchors = headings(markdown)
    faults = [f"Zwei Abschnitte mit demselben Anker: {a}" for a in sorted({a for a in anchors if anchors.count(a) > 1})]
    faults += link_faults(markdown, set(anchors), os.path.join(root, os.path.dirname(HANDBOOK)),
                          resource_aliases(root))
    faults += window_faults(root, set(anchors))
    faults += message_faults(root, markdown)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
