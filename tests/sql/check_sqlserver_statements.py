#!/usr/bin/env python3
"""Parses the SQL Server text of every statement of the program with a T-SQL parser.

No SQL Server runs where the tests run, so this is the only check the SQL Server half of
each DialectSql gets before an association's office runs it. The statements are found in
the sources themselves: every DialectSql defined in a header or source file of the
program (tests and build folders aside), its literals joined after the preprocessor has
expanded the macros they are built from.

A DialectSql that does not begin a statement (" and BoxFree1 = 1", " order by Nummer")
is a clause the program appends to a statement of the same file; it is checked appended
to the last whole statement defined before it there. A clause ending in IN is followed by
the list of numbers the program appends to it.

Usage: check_sqlserver_statements.py SOURCE_DIR CXX_COMPILER
"""

import os
import re
import subprocess
import sys

import sqlglot

SKIPPED_DIRS = {"tests", "bench", "scripts", "docs", "demo"}
STATEMENT_START = re.compile(
    r"\s*(select|insert|update|delete|with|merge|create|alter|drop|exec|execute|declare|set|if|begin|truncate)\b",
    re.IGNORECASE)
DEFINITION = re.compile(r"\bDialectSql\s+(\w+)\s*(?:=\s*)?\{")
# A C++ string literal with an optional encoding prefix (no raw strings: none are used
# for statements, and the reader below refuses them rather than misreading them).
LITERAL = re.compile(r'(?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs
                            if not d.startswith((".", "build")) and d not in SKIPPED_DIRS)
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                yield os.path.join(directory, name)


def preprocessed(path, compiler):
    """The file with its macros expanded; includes are left out (statements need none)."""
    with open(path, encoding="utf-8") as f:
        text = "".join(line for line in f
                       if not re.match(r"\s*#\s*(include|pragma\s+once)\b", line))
    result = subprocess.run([compiler, "-E", "-P", "-x", "c++", "-"], input=text,
                            capture_output=True, text=True, encoding="utf-8", check=False)
    if result.returncode != 0:
        sys.exit(f"{path}: the preprocessor failed:\n{result.stderr}")
    return result.stdout


def unescape(body):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), body)


def sqlserver_text(initializer, where):
    """The first member of a DialectSql initializer: its adjacent literals joined."""
    parts, pos = [], 0
    while True:
        while pos < len(initializer) and initializer[pos].isspace():
            pos += 1
        if initializer.startswith(("R\"", "uR\"", "u8R\"", "UR\"", "LR\""), pos):
            sys.exit(f"{where}: raw string literals are not read here; write the statement as plain literals")
        m = LITERAL.match(initializer, pos)
        if not m:
            break
        parts.append(unescape(m.group(1)))
        pos = m.end()
    if not parts or pos >= len(initializer) or initializer[pos] != ",":
        sys.exit(f"{where}: cannot read the SQL Server text of this DialectSql")
    return "".join(parts)


def statements(root, compiler):
    """(name, text) of every SQL Server statement, clauses appended to their statement."""
    found = []
    for path in source_files(root):
        with open(path, encoding="utf-8") as f:
            if "DialectSql" not in f.read():
                continue
        text = preprocessed(path, compiler)
        relative = os.path.relpath(path, root)
        last_whole = None
        for m in DEFINITION.finditer(text):
            name = f"{relative}: {m.group(1)}"
            sql = sqlserver_text(text[m.end():], name)
            if STATEMENT_START.match(sql):
                last_whole = sql
                found.append((name, sql))
            elif last_whole is None:
                sys.exit(f"{name}: a clause without a statement before it in its file")
            else:
                if re.search(r"\bIN\s*$", sql, re.IGNORECASE):
                    sql += "(1001,1002)"
                found.append((name + " (appended to the statement before it)", last_whole + sql))
    return found


def with_literals(sql):
    """Each bound value ? outside quotes replaced by a literal."""
    out, quoted = [], False
    for ch in sql:
        if ch == "'":
            quoted = not quoted
        out.append("'1'" if ch == "?" and not quoted else ch)
    return "".join(out)


# sqlglot does not parse T-SQL's EXEC with arguments; a call of a stored procedure is
# checked against this small grammar instead: EXEC name, then literals, bound values or
# @name = value, separated by commas.
EXEC_ARGUMENT = r"(?:@\w+\s*=\s*)?(?:N?'(?:[^']|'')*'|-?\d+|@\w+)"
EXEC_CALL = re.compile(
    rf"\s*exec(?:ute)?\s+(?:\w+\.)*\w+(?:\s+{EXEC_ARGUMENT}(?:\s*,\s*{EXEC_ARGUMENT})*)?\s*;?\s*",
    re.IGNORECASE)


# A table hint after a table name ("insert into T with (rowlock) (…)"), which this sqlglot
# does not know; the statement is checked without it, the hint against this list.
TABLE_HINT = re.compile(
    r"\bwith\s*\(\s*(?:rowlock|paglock|tablock|updlock|holdlock|readpast|nolock|readcommitted)"
    r"(?:\s*,\s*(?:rowlock|paglock|tablock|updlock|holdlock|readpast|nolock|readcommitted))*\s*\)",
    re.IGNORECASE)


def parse_problem(sql):
    sql = TABLE_HINT.sub(" ", sql)
    if re.match(r"\s*exec(?:ute)?\b", sql, re.IGNORECASE):
        if EXEC_CALL.fullmatch(with_literals(sql)):
            return None
        return "not a call of a stored procedure: EXEC name arguments"
    try:
        sqlglot.parse_one(with_literals(sql), read="tsql")
    except Exception as e:  # the tokenizer raises other errors than ParseError
        return f"{type(e).__name__}: {e}"
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, compiler = sys.argv[1], sys.argv[2]
    # The parser must refuse a broken statement, or its silence proves nothing.
    if parse_problem("select name, from personal where (nummer = ? order by name") is None:
        sys.exit("the T-SQL parser accepts a broken statement; this check would prove nothing")
    if parse_problem("exec sp_getapplock ?, 'Exclusive' 'Session'") is None:
        sys.exit("the EXEC grammar accepts a broken call; this check would prove nothing")
    found = statements(root, compiler)
    if not found:
        sys.exit("no DialectSql found in " + root)
    failures = [(name, sql, problem) for name, sql in found
                if (problem := parse_problem(sql)) is not None]
    for name, sql, problem in failures:
        print(f"FAILED {name}\n  {sql!r}\n  {problem}\n")
    print(f"{len(found) - len(failures)} of {len(found)} SQL Server statements parse (sqlglot {sqlglot.__version__})")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
