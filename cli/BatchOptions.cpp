#include "cli/BatchOptions.h"

namespace qvl {

QString batchUsage()
{
    return u"Aufruf: qvl32-sepa-batch [Optionen] BEFEHL\n"
           "Befehle:\n"
           "  dump                     Zustand des Hauptformulars nach dem Start ausgeben\n"
           "  run                      Beitragslauf starten (wie „Starte SEPA“)\n"
           "  list-runs                gespeicherte Beitragsläufe auflisten (ein Schlüssel je Zeile)\n"
           "  delete-run SCHLÜSSEL     gespeicherten Beitragslauf löschen (fragt; --yes bestätigt)\n"
           "  demo-db DATEI [--owners N] [--seed S]\n"
           "                           Demo-Datenbank anlegen\n"
           "Optionen:\n"
           "  --program-dir ORDNER     Programmordner (Einstellungsdatei, Protokoll)\n"
           "  --command-line TEXT      Befehlszeile des Programms: \"Verbindung|INI-Pfad\"\n"
           "  --set NAME=WERT          Steuerelement oder Feld setzen (wiederholbar)\n"
           "  --yes                    alle Fragen mit Ja beantworten\n"
           "  --save-settings          Einstellungsdatei am Ende schreiben\n"
           "  --odbc-driver NAME       ODBC-Treiber für SQL Server\n"
           "  --now DATUM              feste Uhrzeit (ISO, z. B. 2026-12-06T10:00:00)\n"
           "  --select-owners N,N,...  Lauf auf diese Waldbesitzer beschränken\n"
           "  --reports ORDNER         Berichte des Laufs als PDF in diesen Ordner\n"_qs;
}

std::optional<BatchOptions> parseBatchOptions(const QStringList &args, QString *error)
{
    BatchOptions o;
    auto fail = [error](const QString &text) {
        *error = text;
        return std::nullopt;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto next = [&](QString *out) {
            if (i + 1 >= args.size())
                return false;
            *out = args.at(++i);
            return true;
        };
        QString value;
        if (a == u"--yes"_qs) {
            o.yes = true;
        } else if (a == u"--save-settings"_qs) {
            o.saveSettings = true;
        } else if (a == u"--program-dir"_qs || a == u"--command-line"_qs || a == u"--set"_qs
                   || a == u"--odbc-driver"_qs || a == u"--now"_qs || a == u"--select-owners"_qs
                   || a == u"--reports"_qs || a == u"--owners"_qs || a == u"--seed"_qs) {
            if (!next(&value))
                return fail(u"Die Option "_qs + a + u" braucht einen Wert."_qs);
            if (a == u"--program-dir"_qs) {
                o.programDir = value;
            } else if (a == u"--command-line"_qs) {
                o.commandLine = value;
            } else if (a == u"--set"_qs) {
                const qsizetype eq = value.indexOf(u'=');
                if (eq < 1)
                    return fail(u"--set erwartet NAME=WERT, nicht „"_qs + value + u"“."_qs);
                o.sets.append({value.left(eq), value.mid(eq + 1)});
            } else if (a == u"--odbc-driver"_qs) {
                o.odbcDriver = value;
            } else if (a == u"--now"_qs) {
                o.now = value;
            } else if (a == u"--select-owners"_qs) {
                o.selectOwners = value;
            } else if (a == u"--reports"_qs) {
                o.reportsDir = value;
            } else {
                bool ok = false;
                const long long n = value.toLongLong(&ok);
                if (!ok || n < 0 || (a == u"--owners"_qs && n > 10000000) || n > 0xFFFFFFFFLL)
                    return fail(u"Die Option "_qs + a + u" erwartet eine ganze Zahl, nicht „"_qs + value + u"“."_qs);
                if (a == u"--owners"_qs)
                    o.owners = int(n);
                else
                    o.seed = unsigned(n);
            }
        } else if (a.startsWith(u"--"_qs)) {
            return fail(u"Unbekannte Option "_qs + a + u'.');
        } else if (o.command.isEmpty()) {
            o.command = a;
        } else {
            o.arguments.append(a);
        }
    }
    if (o.command.isEmpty())
        return fail(u"Es wurde kein Befehl angegeben."_qs);
    return o;
}

} // namespace qvl
