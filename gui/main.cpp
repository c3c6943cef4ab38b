// qvl32-sepa: the desktop program. Opens the main form on the suite's database.
#include "gui/GuiProgram.h"
#include "platform/Translation.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

using namespace qvl;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"qvl32-sepa"_qs);
    QApplication::setApplicationVersion(QString::number(QVL_VERSION_MAJOR) + u'.' + QString::number(QVL_VERSION_MINOR));
    installGermanTranslation();

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Beitragseinzug: öffnet das Hauptformular auf der Datenbank der Waldverwaltung."_qs);
    const QCommandLineOption help({u"h"_qs, u"help"_qs}, u"Diese Hilfe ausgeben."_qs);
    const QCommandLineOption version(u"version"_qs, u"Die Version ausgeben."_qs);
    const QCommandLineOption programDir(u"program-dir"_qs, u"Programmordner (Einstellungsdatei, Protokoll)."_qs,
                                        u"ORDNER"_qs);
    const QCommandLineOption odbcDriver(u"odbc-driver"_qs, u"ODBC-Treiber für SQL Server."_qs, u"NAME"_qs);
    parser.addOptions({help, version, programDir, odbcDriver});
    parser.addPositionalArgument(u"BEFEHLSZEILE"_qs, u"\"Verbindung|INI-Pfad\", beide Teile freiwillig."_qs,
                                 u"[BEFEHLSZEILE]"_qs);
    if (!parser.parse(app.arguments())) {
        std::fputs((parser.errorText() + u"\nAufruf: qvl32-sepa [Optionen] [BEFEHLSZEILE]; alle Optionen zeigt --help.\n"_qs)
                       .toUtf8()
                       .constData(),
                   stderr);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs((QApplication::applicationName() + u' ' + QApplication::applicationVersion() + u'\n')
                       .toUtf8()
                       .constData(),
                   stdout);
        return 0;
    }

    GuiStart start;
    start.programDir = parser.isSet(programDir) ? parser.value(programDir) : QApplication::applicationDirPath();
    // The program's command line is one text; blanks inside it belong to it.
    start.commandLine = parser.positionalArguments().join(u' ');
    start.odbcDriver = parser.value(odbcDriver);

    GuiProgram program;
    switch (program.start(start)) {
    case StartupResult::Ready:
        break;
    case StartupResult::SecondInstance:
        return 0;
    case StartupResult::SettingsMissing:
        return 3;
    case StartupResult::Failed:
        return 1;
    }
    program.show();
    return app.exec();
}
