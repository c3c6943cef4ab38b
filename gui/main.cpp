// qvl32-sepa: the desktop program. Opens the main form on the suite's database.
#include "gui/GuiApplication.h"
#include "gui/GuiProgram.h"
#include "os/CommandLineSecret.h"
#include "os/HeadlessGui.h"
#include "os/Paths.h"
#include "text/Translation.h"
#include "os/ThreadEnd.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

using namespace qvl;

namespace {

struct Options {
    QCommandLineOption help{{u"h"_qs, u"help"_qs}, u"Diese Hilfe ausgeben."_qs};
    QCommandLineOption version{u"version"_qs, u"Die Version ausgeben."_qs};
    QCommandLineOption programDir{u"program-dir"_qs, u"Programmordner (Einstellungsdatei, Protokoll); ohne die Option "
                                  "QVL32_PROGRAM_DIR, sonst der Ordner des Programms."_qs,
                                  u"ORDNER"_qs};
    QCommandLineOption odbcDriver{u"odbc-driver"_qs, u"ODBC-Treiber für SQL Server."_qs, u"NAME"_qs};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            u"Beitragseinzug: öffnet das Hauptformular auf der Datenbank der Waldverwaltung."_qs);
        parser.addOptions({help, version, programDir, odbcDriver});
        parser.addPositionalArgument(u"BEFEHLSZEILE"_qs, u"\"Verbindung|INI-Pfad\", beide Teile freiwillig."_qs,
                                     u"[BEFEHLSZEILE]"_qs);
    }
};

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
}

} // namespace

int main(int argc, char **argv)
{
    prepareThreadEnd();
    const Options options;
    {
        // Help, version and a wrong option only print: they open no window and must work
        // without a display. The options are read once more below, with the translations.
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i]));
        QCommandLineParser first;
        options.addTo(first);
        if (!first.parse(arguments) || first.isSet(options.help) || first.isSet(options.version))
            prepareHeadlessGui(true);
    }

    GuiApplication app(argc, argv);
    QApplication::setApplicationName(u"qvl32-sepa"_qs);
    QApplication::setOrganizationName(u"QVL32"_qs);
    QApplication::setApplicationVersion(QString::number(QVL_VERSION_MAJOR) + u'.' + QString::number(QVL_VERSION_MINOR));
    installGermanTranslation();

    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(app.arguments())) {
        print(stderr, parser.errorText() + u"\nAufruf: qvl32-sepa [Optionen] [BEFEHLSZEILE]; alle Optionen zeigt --help.\n"_qs);
        return 2;
    }
    if (parser.isSet(options.help)) {
        print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(options.version)) {
        print(stdout, QApplication::applicationName() + u' ' + QApplication::applicationVersion() + u'\n');
        return 0;
    }

    GuiStart start;
    start.programDir =
        parser.isSet(options.programDir) ? parser.value(options.programDir)
                                         : defaultProgramDir(QApplication::applicationDirPath());
    // The program's command line is one text; blanks inside it belong to it.
    const QStringList positional = parser.positionalArguments();
    start.commandLine = positional.join(u' ');
    // What ps shows from now on: the connection string (and its password) no longer.
    const int programDirAt = optionValueIndex(argc, argv, "program-dir");
    const int driverAt = optionValueIndex(argc, argv, "odbc-driver");
    hideArguments(argc, argv, [&](int i) {
        return i != programDirAt && i != driverAt && positional.contains(QString::fromLocal8Bit(argv[i]));
    });
    start.odbcDriver = parser.value(options.odbcDriver);

    GuiProgram program;
    try {
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
    } catch (...) {
        // The start is no event of the loop: what it throws is told here.
        GuiApplication::tellInternalError();
        return 1;
    }
    program.show();
    return app.exec();
}
