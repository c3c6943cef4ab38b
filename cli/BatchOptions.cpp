#include "cli/BatchOptions.h"

#include "app/InputRules.h"

#include <cmath>

#include <QCommandLineParser>
#include <QCoreApplication>

namespace qvl {

namespace {

const QString kCommands =
    u"Befehle:\n"
    "  dump                     Zustand des Hauptformulars nach dem Start ausgeben\n"
    "  check                    Prüfung vor dem Lauf ausgeben, ohne etwas zu schreiben\n"
    "  run                      Beitragslauf starten (wie „Starte SEPA“)\n"
    "  list-runs                gespeicherte Beitragsläufe auflisten (ein Schlüssel je Zeile)\n"
    "  delete-run SCHLÜSSEL     gespeicherten Beitragslauf löschen (fragt; --yes bestätigt)\n"
    "  init-db [--sql]          die eigenen Tabellen des Programms anlegen (einmal, als Administrator);\n"
    "                           --sql gibt die T-SQL-Anweisungen dafür aus, ohne zu verbinden\n"
    "  send-mail [--outbox ORDNER] [--resend-uncertain]\n"
    "                           E-Mails des Postausgangs versenden (Passwort aus QVL32_SMTP_PASSWORD);\n"
    "                           möglicherweise schon zugestellte nur mit --resend-uncertain noch einmal\n"
    "  bank-import DATEI…       Kontoauszüge (camt.053/camt.054, auch ZIP) lesen und zuordnen;\n"
    "                           übernimmt die Zuordnung nur mit --yes\n"
    "  open-items               Offene Posten (PDF und CSV in --reports)\n"
    "  letters returns|reminders|unsent\n"
    "                           Briefe zu Rücklastschriften oder Zahlungserinnerungen (--reports),\n"
    "                           der abgelehnten E-Mails (unsent) als PDF zum Drucken\n"
    "  demo-db DATEI [--owners N] [--seed S]\n"
    "                           Demo-Datenbank anlegen\n"
    "  help [THEMA]             die Themen des Handbuchs oder einen Abschnitt daraus ausgeben"_qs;

struct Options {
    QCommandLineOption help{{u"h"_qs, u"help"_qs}, u"Diese Hilfe ausgeben."_qs};
    QCommandLineOption version{u"version"_qs, u"Die Version ausgeben."_qs};
    QCommandLineOption programDir{u"program-dir"_qs, u"Programmordner (Einstellungsdatei, Protokoll); ohne die Option "
                                  "QVL32_PROGRAM_DIR, sonst der Ordner des Programms."_qs,
                                  u"ORDNER"_qs};
    QCommandLineOption commandLine{u"command-line"_qs, u"Befehlszeile des Programms: \"Verbindung|INI-Pfad\"."_qs,
                                   u"TEXT"_qs};
    QCommandLineOption commandLineFile{
        u"command-line-file"_qs,
        u"Befehlszeile des Programms aus dieser Datei (nur für ihren Besitzer lesbar, chmod 600; \"-\": "
        "Standardeingabe), damit kein Kennwort in der Prozessliste steht."_qs,
        u"DATEI"_qs};
    QCommandLineOption set{u"set"_qs, u"Steuerelement oder Feld setzen (wiederholbar)."_qs, u"NAME=WERT"_qs};
    QCommandLineOption yes{u"yes"_qs, u"Alle Fragen mit Ja beantworten."_qs};
    QCommandLineOption saveSettings{u"save-settings"_qs, u"Einstellungsdatei am Ende schreiben."_qs};
    QCommandLineOption odbcDriver{u"odbc-driver"_qs, u"ODBC-Treiber für SQL Server."_qs, u"NAME"_qs};
    QCommandLineOption now{u"now"_qs, u"Feste Uhrzeit (ISO, z. B. 2026-12-06T10:00:00)."_qs, u"DATUM"_qs};
    QCommandLineOption selectOwners{u"select-owners"_qs, u"Lauf auf diese Waldbesitzer beschränken."_qs,
                                    u"N,N,..."_qs};
    QCommandLineOption reports{u"reports"_qs, u"Berichte des Laufs als PDF in diesen Ordner."_qs, u"ORDNER"_qs};
    QCommandLineOption outbox{u"outbox"_qs, u"send-mail, letters unsent: dieser Postausgang statt „E-Mails“ "
                                            "neben den Berichten."_qs,
                              u"ORDNER"_qs};
    QCommandLineOption resendUncertain{u"resend-uncertain"_qs,
                                       u"send-mail: auch die E-Mails noch einmal senden, deren Antwort ausblieb "
                                       "(möglicherweise schon zugestellt)."_qs};
    QCommandLineOption owners{u"owners"_qs, u"demo-db: Anzahl der Waldbesitzer."_qs, u"N"_qs};
    QCommandLineOption seed{u"seed"_qs, u"demo-db: Startwert des Zufallsgenerators."_qs, u"S"_qs};
    QCommandLineOption sql{u"sql"_qs, u"init-db: die T-SQL-Anweisungen ausgeben, ohne zu verbinden."_qs};
    QCommandLineOption assign{u"assign"_qs, u"bank-import: Umsatz N dem Beleg mit dieser Rechnungsnummer zuordnen."_qs,
                              u"N=RECHNR"_qs};
    QCommandLineOption days{u"days"_qs, u"letters reminders: Tage nach der Fälligkeit (Standard 14)."_qs, u"N"_qs};
    QCommandLineOption returnFee{u"return-fee"_qs, u"letters returns: Rücklastschriftgebühr des Vereins."_qs,
                                 u"BETRAG"_qs};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(u"Beitragseinzug ohne Fenster: startet wie das Hauptformular und führt "
                                         "einen Befehl aus.\n\n"_qs
                                         + kCommands);
        parser.addOptions({help, version, programDir, commandLine, commandLineFile, set, yes, saveSettings, odbcDriver,
                           now, selectOwners, reports, outbox, resendUncertain, owners, seed, sql, assign, days,
                           returnFee});
        parser.addPositionalArgument(u"BEFEHL"_qs,
                                     u"dump, check, run, list-runs, delete-run, init-db, send-mail, bank-import, "
                                     "open-items, letters, demo-db oder help."_qs,
                                     u"BEFEHL [ARGUMENTE]"_qs);
    }
};

// --owners and --seed: a whole number in range.
bool readCount(const QString &option, const QString &value, long long max, long long *out, QString *error)
{
    bool ok = false;
    const long long n = value.toLongLong(&ok);
    if (!ok || n < 0 || n > max) {
        *error = u"Die Option --"_qs + option + u" erwartet eine ganze Zahl, nicht „"_qs + value + u"“."_qs;
        return false;
    }
    *out = n;
    return true;
}

} // namespace

QString batchUsage()
{
    QCommandLineParser parser;
    Options().addTo(parser);
    return parser.helpText();
}

std::optional<BatchOptions> parseBatchOptions(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    const Options opt;
    opt.addTo(parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }

    BatchOptions o;
    o.help = parser.isSet(opt.help);
    o.version = parser.isSet(opt.version);
    if (o.help || o.version)
        return o;

    o.programDir = parser.value(opt.programDir);
    o.commandLine = parser.value(opt.commandLine);
    o.commandLineFile = parser.value(opt.commandLineFile);
    if (parser.isSet(opt.commandLine) && parser.isSet(opt.commandLineFile)) {
        *error = u"--command-line und --command-line-file schließen einander aus."_qs;
        return std::nullopt;
    }
    for (const QString &value : parser.values(opt.set)) {
        const qsizetype eq = value.indexOf(u'=');
        if (eq < 1) {
            *error = u"--set erwartet NAME=WERT, nicht „"_qs + value + u"“."_qs;
            return std::nullopt;
        }
        o.sets.append({value.left(eq), value.mid(eq + 1)});
    }
    o.yes = parser.isSet(opt.yes);
    o.saveSettings = parser.isSet(opt.saveSettings);
    o.sql = parser.isSet(opt.sql);
    o.odbcDriver = parser.value(opt.odbcDriver);
    o.now = parser.value(opt.now);
    o.selectOwners = parser.value(opt.selectOwners);
    o.reportsDir = parser.value(opt.reports);
    o.outbox = parser.value(opt.outbox);
    o.resendUncertain = parser.isSet(opt.resendUncertain);
    long long n = 0;
    if (parser.isSet(opt.owners)) {
        if (!readCount(u"owners"_qs, parser.value(opt.owners), 10000000, &n, error))
            return std::nullopt;
        o.owners = int(n);
    }
    if (parser.isSet(opt.seed)) {
        if (!readCount(u"seed"_qs, parser.value(opt.seed), 0xFFFFFFFFLL, &n, error))
            return std::nullopt;
        o.seed = unsigned(n);
    }
    for (const QString &value : parser.values(opt.assign)) {
        const qsizetype eq = value.indexOf(u'=');
        bool entryOk = false, numberOk = false;
        const int entry = eq > 0 ? value.left(eq).toInt(&entryOk) : 0;
        const qint64 number = eq > 0 ? value.mid(eq + 1).toLongLong(&numberOk) : 0;
        if (!entryOk || !numberOk || entry < 1) {
            *error = u"--assign erwartet N=RECHNR (Umsatz und Rechnungsnummer), nicht „"_qs + value + u"“."_qs;
            return std::nullopt;
        }
        o.assignments.append({entry, number});
    }
    if (parser.isSet(opt.days)) {
        if (!readCount(u"days"_qs, parser.value(opt.days), 3650, &n, error))
            return std::nullopt;
        o.reminderDays = int(n);
    }
    if (parser.isSet(opt.returnFee)) {
        // Read as the amount boxes read it: "1.5" is no fee of 15 €, and a fee is whole cents.
        const QString text = parser.value(opt.returnFee);
        const std::optional<double> fee = typedAmount(text);
        if (!fee || *fee > 1000 || typedDecimals(text) > 2) {
            *error = u"--return-fee erwartet einen Betrag wie 3,50, nicht „"_qs + parser.value(opt.returnFee) + u"“."_qs;
            return std::nullopt;
        }
        o.returnFeeCents = qint64(std::llround(*fee * 100));
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = u"Es wurde kein Befehl angegeben."_qs;
        return std::nullopt;
    }
    o.command = positional.first();
    o.arguments = positional.mid(1);
    return o;
}

} // namespace qvl
