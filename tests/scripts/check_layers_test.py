#!/usr/bin/env python3
"""The layering check on small trees: what it lets pass and what it names.

Each case starts from a tree whose includes all point down, changes or adds a few files
(or the conf), runs scripts/check-layers.py on it and compares exit status and output.
"""

import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir,
                       "scripts", "check-layers.py")

CONF = """\
# floors of the test tree
platform:
core: platform
print: core platform
sepa: print core platform
fibu: print core platform
app: core platform
run: app sepa fibu print core platform
"""

# Every include points down; the exempt folders include anything.
CLEAN_TREE = {
    "platform/Paths.h": "#pragma once\n#include <QString>\n",
    "core/Buchung.h": '#pragma once\n#include "platform/Paths.h"\n',
    "print/Report.h": '#include "core/Buchung.h"\n#include "Layout.h"\n',
    "print/Layout.h": "#pragma once\n",
    "sepa/SepaWriter.cpp": '#  include "print/Report.h"\n#include "core/Buchung.h"\n#include "detail/Block.h"\n',
    "sepa/detail/Block.h": '#include "../sepa/detail/Other.h"\n',
    "fibu/Datev.cpp": '#include "core/Buchung.h"\n',
    "app/FrmDTA.h": '#include "core/Buchung.h"\n',
    "run/RunDriver.cpp": '#include "app/FrmDTA.h"\n#include "sepa/SepaWriter.h"\n#include "fibu/Datev.h"\n',
    "tests/run/RunDriverTest.cpp": '#include "run/RunDriver.h"\n#include "support/Fake.h"\n',
    "bench/BenchRun.cpp": '#include "run/RunDriver.h"\n',
    "build/moc_FrmDTA.cpp": '#include "run/RunDriver.h"\n',
    "build-sanitize/gen/x.cpp": '#include "run/RunDriver.h"\n',
    "docs/notes.md": '#include "run/RunDriver.h"\n',
}

WRONG_INCLUDE_IN_SEPA = "#pragma once\n// the writer\n#include \"app/FrmDTA.h\"\n"
BLOCK_COMMENT_THEN_CORE_TO_RUN = "/* the record\n   of a booking\n*/\n#include \"run/RunDriver.h\"\n"


def case(name, files=None, conf=CONF, status=0, names=(), not_names=()):
    return dict(name=name, files=files or {}, conf=conf, status=status, names=names,
                not_names=not_names)


CASES = [
    case("a clean tree passes", names=["check-layers: 7 folders", "all pointing down"]),
    case("a writer including the form fails across",
         files={"sepa/CsvList.cpp": WRONG_INCLUDE_IN_SEPA}, status=1,
         names=['sepa/CsvList.cpp:3: across: sepa/ includes app/ ("app/FrmDTA.h")',
                "across sepa/ -> app/: 1"]),
    case("the ground floor including the run fails up, on the right line",
         files={"core/Buchung.cpp": BLOCK_COMMENT_THEN_CORE_TO_RUN}, status=1,
         names=['core/Buchung.cpp:4: up: core/ includes run/ ("run/RunDriver.h")',
                "core/ may include platform/"]),
    case("one writer including another fails across",
         files={"fibu/Datev.cpp": '#include "core/Buchung.h"\n#include "sepa/SepaWriter.h"\n'},
         status=1, names=["fibu/Datev.cpp:2: across: fibu/ includes sepa/"]),
    case("an indented directive counts",
         files={"print/Report.cpp": '\n  #   include "app/FrmDTA.h"\n'},
         status=1, names=["print/Report.cpp:2: across: print/ includes app/"]),
    case("a declaration of a type from a higher floor fails up, one from below passes",
         files={"run/RunDriver.h": "#pragma once\nnamespace qvl {\nstruct RunReport {\n    int n;\n};\n}\n",
                "print/Report.h": '#include "core/Buchung.h"\nclass Report : public Base\n{\n};\n',
                "core/Buchung.h": "#pragma once\nnamespace qvl {\nclass Report;\n\nstruct RunReport;\n"
                                  "class QWidget; // Qt's, defined nowhere here\n}\n",
                "app/FrmDTA.h": "#pragma once\nclass Report;\n// class RunReport;\n"},
         status=1, names=["core/Buchung.h:3: up: core/ declares Report, a type of print/",
                          "core/Buchung.h:5: up: core/ declares RunReport, a type of run/",
                          "app/FrmDTA.h:2: across: app/ declares Report, a type of print/"],
         not_names=["QWidget", "FrmDTA.h:3"]),
    case("a declaration of a type the folder may include passes",
         files={"print/Report.h": "#pragma once\nstruct Report final {\n};\n",
                "sepa/SepaWriter.h": "#pragma once\nstruct Report;\n"},
         names=["all pointing down"]),
    case("an include reached by a relative path counts",
         files={"sepa/detail/Up.h": '#include "../../run/RunDriver.h"\n',
                "run/RunDriver.h": "#pragma once\n"},
         status=1, names=["sepa/detail/Up.h:1: up: sepa/ includes run/"]),
    case("an include of test code fails up",
         files={"sepa/Fixture.cpp": '#include "tests/run/RunDriverTest.cpp"\n'},
         status=1, names=["sepa/Fixture.cpp:1: up: sepa/ includes tests/"]),
    case("includes in comments and raw strings do not count",
         files={"sepa/Commented.cpp": textwrap.dedent("""\
             // #include "app/FrmDTA.h"
             /* #include "run/RunDriver.h" */
             /*
             #include "run/RunDriver.h"
             */
             // a continued comment \\
             #include "run/RunDriver.h"
             const char* text = R"x(
             #include "app/FrmDTA.h"
             )x";
             int thousand = 1'000; /* was:
             #include "app/FrmDTA.h"
             */
             """)}),
    case("a comment before a directive and a string holding /* leave it counted",
         files={"sepa/Tricky.cpp": textwrap.dedent("""\
             const char* pattern = "/*"; char quote = '"';
             /* old */ #include "app/FrmDTA.h"
             #include "run/RunDriver.h"
             """)},
         status=1, names=["sepa/Tricky.cpp:2: across: sepa/ includes app/",
                          "sepa/Tricky.cpp:3: up: sepa/ includes run/"]),
    case("a source folder without a line fails",
         files={"statements/Camt.h": '#include "core/Buchung.h"\n'},
         status=1, names=["statements/: a source folder without a line in scripts/layers.conf"]),
    case("a circle of two folders in the conf fails",
         conf=CONF.replace("core: platform", "core: platform run"), status=1,
         names=["the floors form a circle: core -> run -> core"],
         not_names=["all pointing down"]),
    case("a longer circle fails",
         conf=CONF.replace("platform:\n", "platform: print\n"), status=1,
         names=["the floors form a circle: ", "platform -> print"]),
    case("a folder may name itself without forming a circle",
         conf=CONF.replace("core: platform", "core: core platform")),
    case("a conf naming a folder without a line fails",
         conf=CONF.replace("fibu: print", "fibu: prnit print"), status=1,
         names=["fibu/ may include prnit/, which has no line"]),
    case("a malformed conf line fails",
         conf=CONF + "select app models\n", status=1, names=['expected "folder: folders']),
]


def run_checker(files, conf):
    with tempfile.TemporaryDirectory() as root:
        for path, text in {**CLEAN_TREE, **files, "scripts/layers.conf": conf}.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        done = subprocess.run([sys.executable, CHECKER, "--root", root],
                              capture_output=True, text=True, check=False)
        return done.returncode, done.stdout + done.stderr


class CheckLayersTest(unittest.TestCase):
    def test_cases(self):
        for c in CASES:
            with self.subTest(c["name"]):
                status, output = run_checker(c["files"], c["conf"])
                self.assertEqual(status, c["status"], output)
                for expected in c["names"]:
                    self.assertIn(expected, output)
                for unexpected in c["not_names"]:
                    self.assertNotIn(unexpected, output)

    def test_clean_tree_says_one_line(self):
        status, output = run_checker({}, CONF)
        self.assertEqual((status, len(output.splitlines())), (0, 1), output)

    def test_each_wrong_include_is_one_finding(self):
        status, output = run_checker({"sepa/CsvList.cpp": WRONG_INCLUDE_IN_SEPA,
                                      "core/Buchung.cpp": BLOCK_COMMENT_THEN_CORE_TO_RUN}, CONF)
        findings = [line for line in output.splitlines() if ": up: " in line or ": across: " in line]
        self.assertEqual((status, len(findings)), (1, 2), output)

    def test_conf_given_apart_from_the_tree(self):
        with tempfile.NamedTemporaryFile("w", suffix=".conf", delete=False) as conf:
            conf.write(CONF.replace("app: core platform", "app: sepa core platform"))
        try:
            with tempfile.TemporaryDirectory() as root:
                for path, text in {**CLEAN_TREE, "app/Form.cpp": '#include "sepa/SepaWriter.h"\n'}.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                        f.write(text)
                args = [sys.executable, CHECKER, "--root", root]
                without = subprocess.run(args, capture_output=True, text=True, check=False)
                given = subprocess.run(args + ["--conf", conf.name], capture_output=True, text=True,
                                       check=False)
        finally:
            os.unlink(conf.name)
        self.assertEqual(without.returncode, 2, without.stdout)  # the tree has no conf of its own
        self.assertEqual(given.returncode, 0, given.stdout)


if __name__ == "__main__":
    unittest.main()
