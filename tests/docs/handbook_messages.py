"""The message texts the program defines, as the handbook must quote them.

A message text is a string literal in the arguments of a call that shows or raises a
message: the user interface's message boxes and questions, the run's and the database's
errors (and the helpers that tell or raise them), and the findings of the check before a
run. Adjacent literals are one literal, as the compiler joins them. What a placeholder fills
in (a name, a number, another text) is not part of the message: a text is cut into its
fixed parts at every line break and every spot where a value is pasted in, and each part of
at least two words must stand in the handbook."""

import os
import re

SOURCE_DIRS = ["base", "os", "text", "files", "db", "core", "print", "models", "stored", "sepa", "fibu",
               "einvoice", "mail", "bank", "app", "select", "fees", "params", "check", "ledger", "run",
               "commands", "cli", "gui"]

# Files whose functions return the German message of each cause of a failure: what they
# return is a message too.
CAUSE_FILES = {"db/ConnectionFailure.cpp", "mail/SmtpSession.cpp"}

# Calls whose arguments are a message the clerk reads.
CALLS = re.compile(r"(?<![A-Za-z_0-9.>])(?:(?:ui\(\)|m_ui|ui|m_form\.ui\(\)|form\.ui\(\)|f\.ui\(\))\s*(?:\.|->)\s*)?"
                   r"(message|askYesNo|showMessage|tell|fail|refuse|refused|failed|failure|usageError|printError|"
                   r"RunError|WriteError|DbError|CommittedRunError|UncertainCommit|CommitErrorButStored|RecordSetError|"
                   r"items\.add|check\.add|findings\.append)\s*\(")
LITERAL = re.compile(r'(?:u8|u|L)?"((?:[^"\\\n]|\\.)*)"(?:_qs|_s)?')
ESCAPES = {"n": "\n", "r": "\n", "t": "\n", '"': '"', "\\": "\\"}


def _strip_comments(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            j = i + 1
            while j < n and text[j] != '"':
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif c == "'" and i + 2 < n and text[i + 2] == "'":
            out.append(text[i:i + 3])
            i += 3
        else:
            out.append(c)
            i += 1
    return "".join(out)


def _arguments(text, start):
    """The text up to the parenthesis that closes the one before start."""
    depth, i = 1, start
    while i < len(text) and depth:
        c = text[i]
        if c == '"':
            i += 1
            while i < len(text) and text[i] != '"':
                i += 2 if text[i] == "\\" else 1
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        i += 1
    return text[start:i - 1]


def _returned(text):
    """The expressions of the return statements."""
    for m in re.finditer(r"\breturn\b", text):
        i, depth = m.end(), 0
        while i < len(text) and not (text[i] == ";" and depth == 0):
            c = text[i]
            if c == '"':
                i += 1
                while i < len(text) and text[i] != '"':
                    i += 2 if text[i] == "\\" else 1
            elif c in "({":
                depth += 1
            elif c in ")}":
                depth -= 1
            i += 1
        yield text[m.end():i]


def _unescape(body):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), body)


def literals_of(arguments):
    """The literals of an argument list, adjacent ones joined."""
    joined, last_end = [], None
    for m in LITERAL.finditer(arguments):
        text = _unescape(m.group(1))
        if last_end is not None and arguments[last_end:m.start()].strip() == "" and joined:
            joined[-1] += text
        else:
            joined.append(text)
        last_end = m.end()
    return joined


def fixed_parts(text):
    """The parts of a message that stand in it whatever its values are."""
    parts = []
    for piece in re.split(r"\n|%\d", text):
        piece = piece.strip(" „“\"'()")
        piece = re.sub(r"\s+", " ", piece).strip()
        # A single word ("Details:", "Zeile") is glue between values, no message.
        if len(re.findall(r"[A-Za-zÄÖÜäöüß]{2,}", piece)) >= 2:
            parts.append(piece)
    return parts


def message_texts(root):
    """{fixed part: first source file that defines it}"""
    found = {}
    for folder in SOURCE_DIRS:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
            dirnames[:] = [d for d in dirnames if d not in ("tools", "schema")]
            for name in sorted(filenames):
                # The demo database's generator and its letters are no message of the program.
                if not name.endswith((".cpp", ".h")) or name.startswith("Demo"):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8") as f:
                    source = _strip_comments(f.read())
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                expressions = [_arguments(source, call.end()) for call in CALLS.finditer(source)]
                if relative in CAUSE_FILES:
                    expressions += list(_returned(source))
                for expression in expressions:
                    for literal in literals_of(expression):
                        for part in fixed_parts(literal):
                            found.setdefault(part, relative)
    return found


def normalized(markdown):
    """The handbook's text as a reader sees it: quotes' and lists' marks, escapes and line
    breaks gone."""
    lines = []
    for line in markdown.split("\n"):
        line = re.sub(r"^\s*(>\s?)+", "", line)
        lines.append(line)
    text = "\n".join(lines)
    text = re.sub(r"\\([\\`*_{}\[\]()#+\-.!>|])", r"\1", text)
    text = text.replace("`", "")
    return re.sub(r"\s+", " ", text)
