#!/usr/bin/env python3
"""The handbook's check on small trees: which message texts it finds in the sources, how it
cuts them at their values, and what it names as missing."""

import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import handbook_messages  # noqa: E402

CHECKER = os.path.join(HERE, "check_handbook.py")

SOURCES = {
    "run/StartChecks.cpp": (
        '// tell(f, u"Ein Kommentar ist keine Meldung."_qs);\n'
        'void a(Form &f) {\n'
        '    tell(f, u"Sie müssen einen Verein "\n'
        '            "auswählen!"_qs);\n'
        '    f.ui().message(u"Die Datei „"_qs + name + u"“ ist zu groß.\\nBitte kürzen Sie sie."_qs, u"Titel"_qs);\n'
        '    const QString key = u"kein Text einer Meldung"_qs;\n'
        '    throw RunError(RunError::Kind::Input, QStringLiteral("Der Lauf %1 ist alt."));\n'
        '}\n'),
    "db/ConnectionFailure.cpp": (
        'QString cause() { if (x.contains(u"Login failed"_qs)) return u"Die Anmeldung ging nicht."_qs; }\n'),
    "cli/DemoOwners.cpp": 'void d() { message(u"Kein Text des Programms für die Kasse"_qs); }\n',
    "gui/ModelDialog.cpp": 'ModelDialog::ModelDialog(QWidget *parent) : QDialog(parent)\n{\n'
                           '    installHelpKey(this, u"textmodelle"_qs);\n}\n',
    "gui/OwnerDialog.cpp": 'OwnerDialog::OwnerDialog(QWidget *parent) : QDialog(parent)\n{\n}\n',
    "app/handbook.qrc": '<RCC><qresource prefix="/doc"><file alias="handbuch/H.md">x</file>'
                        '<file alias="bild.png">../docs/bild.png</file></qresource></RCC>\n',
    "docs/bild.png": "",
    "docs/fehlt-im-programm.png": "",
}

HANDBOOK = """# Handbuch

## Textmodelle

Siehe [Einrichten](#einrichten) und [weg](#gibt-es-nicht).

![Bild](../bild.png) ![Bild](../fehlt-im-programm.png) ![Bild](../nirgends.png)

> Sie müssen einen Verein auswählen!

> Die Datei „Liste.csv“ ist zu
> groß. Bitte kürzen Sie
> sie.

## Einrichten

Der Lauf 2026 ist alt.
"""


class MessageTexts(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        for path, text in SOURCES.items():
            full = os.path.join(self.dir.name, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        self.write_handbook(HANDBOOK)

    def tearDown(self):
        self.dir.cleanup()

    def write_handbook(self, text):
        os.makedirs(os.path.join(self.dir.name, "docs", "handbuch"), exist_ok=True)
        with open(os.path.join(self.dir.name, "docs", "handbuch", "Handbuch.md"), "w", encoding="utf-8") as f:
            f.write(text)

    def check(self):
        done = subprocess.run([sys.executable, CHECKER, self.dir.name], capture_output=True, text=True)
        return done.returncode, done.stdout.splitlines()

    def test_finds_the_fixed_parts_of_messages_and_nothing_else(self):
        found = handbook_messages.message_texts(self.dir.name)
        self.assertEqual(sorted(found), sorted([
            "Sie müssen einen Verein auswählen!",   # adjacent literals joined
            "Die Datei",                            # cut where the name goes in …
            "ist zu groß.",                         # … and at the line break
            "Bitte kürzen Sie sie.",
            "Der Lauf",                             # cut at the placeholder
            "ist alt.",
            "Die Anmeldung ging nicht.",            # a cause returned, not the text it looks for
        ]))
        self.assertEqual(found["Die Anmeldung ging nicht."], "db/ConnectionFailure.cpp")

    def test_names_every_missing_message_broken_link_picture_and_window(self):
        status, lines = self.check()
        self.assertEqual(status, 1)
        self.assertEqual(sorted(lines), sorted([
            "Verweis auf einen Abschnitt, den es nicht gibt: #gibt-es-nicht",
            "Bild nicht im Programm (app/handbook.qrc): ../fehlt-im-programm.png",
            "Verweis auf eine Datei, die es nicht gibt: ../nirgends.png",
            "gui/OwnerDialog.cpp: ein Fenster ohne Abschnitt des Handbuchs für F1 (installHelpKey, addHelpMenu)",
            "db/ConnectionFailure.cpp: Meldung fehlt im Handbuch: Die Anmeldung ging nicht.",
        ]))

    def test_a_complete_handbook_passes(self):
        with open(os.path.join(self.dir.name, "gui", "OwnerDialog.cpp"), "w", encoding="utf-8") as f:
            f.write('OwnerDialog::OwnerDialog() : QDialog(p) { installHelpKey(this, u"einrichten"_qs); }\n')
        self.write_handbook(HANDBOOK.replace("[weg](#gibt-es-nicht)", "")
                            .replace(" ![Bild](../fehlt-im-programm.png) ![Bild](../nirgends.png)", "")
                            + "\n> Die Anmeldung ging nicht.\n")
        self.assertEqual(self.check(), (0, []))

    def test_a_window_opening_a_section_that_does_not_exist_is_named(self):
        with open(os.path.join(self.dir.name, "gui", "ModelDialog.cpp"), "w", encoding="utf-8") as f:
            f.write('ModelDialog::ModelDialog() : QDialog(p) { installHelpKey(this, u"modelle"_qs); }\n')
        status, lines = self.check()
        self.assertIn("gui/ModelDialog.cpp: F1 öffnet den Abschnitt „modelle“, den es nicht gibt", lines)


if __name__ == "__main__":
    unittest.main()
