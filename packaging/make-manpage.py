#!/usr/bin/env python3
"""Writes a program's German manual page (gzip-compressed roff) from its --help text and
sections of the clerk's handbook.

    make-manpage.py --exe PROGRAM --name NAME --summary TEXT --handbook Handbuch.md
                    [--section ANCHOR …] --date YYYY-MM-DD --version V --out NAME.1.gz"""

import argparse
import gzip
import os
import re
import subprocess
import sys


def anchor_of(heading):
    return "".join("-" if c == " " else c for c in heading.lower() if c.isalnum() or c in " -_")


def roff_escape(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with "." or "'" would be read as a request.
    return re.sub(r"^([.'])", r"\\&\1", text)


def inline(text):
    """Markdown's inline marks as roff fonts; links and pictures as their text."""
    text = re.sub(r"!\[([^\]]*)\]\([^)]*\)", "", text)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"\\([\\`*_{}\[\]()#+\-.!>|])", r"\1", text)
    parts = re.split(r"(\*\*[^*]+\*\*|`[^`]+`)", text)
    out = []
    for part in parts:
        if part.startswith("**") and part.endswith("**") and len(part) > 4:
            out.append("\\fB" + roff_escape(part[2:-2]) + "\\fR")
        elif part.startswith("`") and part.endswith("`") and len(part) > 2:
            out.append("\\fI" + roff_escape(part[1:-1]) + "\\fR")
        else:
            out.append(roff_escape(part))
    return "".join(out)


def section_lines(markdown, anchor):
    lines = markdown.split("\n")
    start, level = None, 0
    for i, line in enumerate(lines):
        m = re.match(r"^(#{1,6}) (.+)$", line)
        if not m:
            continue
        if start is None and anchor_of(m.group(2).strip()) == anchor:
            start, level = i, len(m.group(1))
        elif start is not None and len(m.group(1)) <= level:
            return lines[start:i], level
    if start is None:
        sys.exit(f"make-manpage: das Handbuch hat keinen Abschnitt „{anchor}“")
    return lines[start:], level


def markdown_to_roff(lines, top_level):
    out, paragraph, in_code = [], [], False

    def flush():
        if paragraph:
            out.append(inline(" ".join(paragraph)))
            paragraph.clear()

    for index, line in enumerate(lines):
        stripped = line.strip()
        following = lines[index + 1].strip() if index + 1 < len(lines) else ""
        if stripped.startswith("|") and re.fullmatch(r"\|?\s*-{3,}.*", following):
            continue  # a table's head: the terms speak for themselves
        if stripped.startswith("```"):
            flush()
            in_code = not in_code
            out.append(".nf" if in_code else ".fi")
            continue
        if in_code:
            out.append(roff_escape(line))
            continue
        heading = re.match(r"^(#{1,6}) (.+)$", line)
        if heading:
            flush()
            title = heading.group(2).strip()
            out.append((".SH " if len(heading.group(1)) == top_level else ".SS ") + roff_escape(title.upper()
                       if len(heading.group(1)) == top_level else title))
            continue
        if not stripped or re.fullmatch(r"!\[[^\]]*\]\([^)]*\)", stripped):
            flush()
            if out and out[-1] not in (".PP", ".RS", ".RE") and not out[-1].startswith((".SH", ".SS")):
                out.append(".PP")
            continue
        if re.fullmatch(r"\|?\s*-{3,}.*", stripped):
            continue  # a table's rule
        item = re.match(r"^(\s*)(?:[-*]|\d+\.) (.*)$", line)
        quote = re.match(r"^>\s?(.*)$", stripped)
        if stripped.startswith("|"):
            flush()
            cells = [c.strip() for c in stripped.strip("|").split("|")]
            out.append(".TP\n" + inline(cells[0]) + "\n" + inline(" – ".join(cells[1:])))
        elif item:
            flush()
            out.append(".IP \\(bu 2")
            paragraph.append(item.group(2))
        elif quote:
            flush()
            if quote.group(1):
                out.append(".RS 4\n\\fI" + inline(quote.group(1)) + "\\fR\n.RE")
        else:
            paragraph.append(stripped)
    flush()
    return out


def help_to_roff(text, name):
    """QCommandLineParser's help: the call, the description, the options, the arguments."""
    lines = text.rstrip("\n").split("\n")
    synopsis = lines[0].split(":", 1)[1].strip() if ":" in lines[0] else lines[0]
    # The call names the program as it was started (its path); the page names it.
    synopsis = re.sub(r"^\S+", name, synopsis)
    out = [".SH ÜBERSICHT", inline(synopsis), ".SH BESCHREIBUNG", ".nf"]
    kind = "description"
    for line in lines[1:]:
        if re.fullmatch(r"(Optionen|Options):", line):
            out += [".fi", ".SH OPTIONEN"]
            kind = "options"
            continue
        if re.fullmatch(r"(Argumente|Arguments):", line):
            if kind == "description":
                out.append(".fi")
            out.append(".SH ARGUMENTE")
            kind = "options"
            continue
        if kind == "description":
            out.append(roff_escape(line))
            continue
        entry = re.match(r"^  (\S.*?)(?:\s{2,}(.*))?$", line)
        if entry and not line.startswith("   "):
            out += [".TP", "\\fB" + roff_escape(entry.group(1)) + "\\fR"]
            if entry.group(2):
                out.append(roff_escape(entry.group(2)))
        elif line.strip():
            out.append(roff_escape(line.strip()))
    if kind == "description":
        out.append(".fi")
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--summary", required=True)
    parser.add_argument("--handbook", required=True)
    parser.add_argument("--section", action="append", default=[])
    parser.add_argument("--see-also", action="append", default=[])
    parser.add_argument("--date", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True)
    a = parser.parse_args()

    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
    done = subprocess.run([a.exe, "--help"], capture_output=True, env=env, timeout=60)
    if done.returncode != 0 or not done.stdout:
        sys.exit(f"make-manpage: {a.exe} --help ging nicht: {done.stderr.decode(errors='replace')}")
    with open(a.handbook, encoding="utf-8") as f:
        markdown = f.read()

    title = roff_escape(a.name.upper())
    page = ['.\\" Aus der Ausgabe von --help und dem Handbuch erzeugt.',
            f'.TH {title} 1 "{a.date}" "{a.name} {a.version}" "QVL32 SEPA Beitragseinzug"',
            ".SH NAME", f"{roff_escape(a.name)} \\- {roff_escape(a.summary)}"]
    page += help_to_roff(done.stdout.decode("utf-8"), a.name)
    for anchor in a.section:
        lines, level = section_lines(markdown, anchor)
        page += markdown_to_roff(lines, level)
    page += [".SH HANDBUCH",
             "Das ganze Handbuch zeigt das Programm mit F1 und im Menü Hilfe; "
             "\\fBqvl32\\-sepa\\-batch help\\fR nennt seine Themen, "
             "\\fBqvl32\\-sepa\\-batch help\\fR \\fITHEMA\\fR gibt einen Abschnitt aus."]
    if a.see_also:
        page += [".SH SIEHE AUCH", ", ".join(f"\\fB{roff_escape(n)}\\fR(1)" for n in a.see_also)]
    text = "\n".join(line for line in page if line is not None)
    text = re.sub(r"\n\.PP\n(\.PP\n)+", "\n.PP\n", text + "\n")
    text = re.sub(r"\n\.PP\n(\.S[HS] )", r"\n\1", text)
    with open(a.out, "wb") as f:
        with gzip.GzipFile(filename="", mode="wb", fileobj=f, compresslevel=9, mtime=0) as z:
            z.write(text.encode("utf-8"))


if __name__ == "__main__":
    main()
