// qvl32-screenshots PROGRAM-DIR OUT-DIR [SUFFIX]: opens the main form on the program folder
// (without the single-instance guard) at the size it opens at on a first start, and saves
// a picture of each visible tab, of the dialogs and of the check before a run (fee 1, due
// on a Sunday) as OUT-DIR/gui-<name><SUFFIX>.png. Run it under a real display (Xvfb) so the
// pictures show the desktop's fonts and style.
#include "gui/GuiProgram.h"
#include "gui/ModelDialog.h"
#include "gui/OwnerDialog.h"
#include "gui/PaymentsDialog.h"
#include "gui/SettingsDialog.h"
#include "gui/RunCheckDialog.h"
#include "text/Conversions.h"
#include "run/RunPreparation.h"
#include "text/Translation.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <cstdio>

using namespace qvl;

namespace {

bool save(QWidget &widget, const QString &path)
{
    widget.show();
    widget.raise();
    QApplication::processEvents();
    QApplication::processEvents();
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installGermanTranslation();
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fputs("Aufruf: qvl32-screenshots PROGRAMMORDNER ZIELORDNER [ENDUNG]\n", stderr);
        return 2;
    }
    const QDir out(args.at(2));
    const QString suffix = args.value(3);

    GuiProgram program;
    GuiStart start;
    start.programDir = args.at(1);
    start.singleInstance = false;
    start.restorePlacement = false; // the size the window opens at on a first start
    if (program.start(start) != StartupResult::Ready)
        return 1;
    FrmDTAWindow &window = program.window();
    program.show();
    if (window.isMaximized()) {
        // Under Xvfb no window manager maximises it: as large as a maximised window with
        // its title bar would be.
        const QRect screen = window.screen()->availableGeometry();
        window.setGeometry(screen.adjusted(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0));
    }
    std::printf("Fenster %dx%d%s\n", window.width(), window.height(), window.isMaximized() ? " (maximiert)" : "");

    bool ok = true;
    auto *tabs = window.findChild<QTabWidget *>(u"SSTab1"_qs);
    const char *names[] = {"allgemein", "fibu", "berechnungsbasis"};
    for (int i = 0; i < tabs->count(); ++i) {
        if (!tabs->isTabVisible(i))
            continue;
        tabs->setCurrentIndex(i);
        ok = save(window, out.filePath(u"gui-tab-"_qs + QString::fromLatin1(names[i]) + suffix + u".png"_qs)) && ok;
    }
    {
        ModelDialog models(program.form(), &window);
        ok = save(models, out.filePath(u"gui-modelle"_qs + suffix + u".png"_qs)) && ok;
        models.reject();
    }
    {
        OwnerDialog owners(program.form(), &window);
        ok = save(owners, out.filePath(u"gui-waldbesitzer"_qs + suffix + u".png"_qs)) && ok;
        owners.reject();
    }
    {
        SettingsDialog settings(program.form(), &window);
        ok = save(settings, out.filePath(u"gui-einstellungen"_qs + suffix + u".png"_qs)) && ok;
        settings.reject();
    }
    {
        PaymentsDialog payments(program.form(), &window);
        ok = save(payments, out.filePath(u"gui-zahlungen"_qs + suffix + u".png"_qs)) && ok;
        payments.reject();
    }
    {
        FrmDTA &form = program.form();
        // With the due date proposed at start.
        form.chkBeitrag[0].Value = 1;
        RunReport report;
        if (const std::optional<PreparedRun> run = PrepareRun(form, report)) {
            RunCheckDialog check(run->check, &window);
            ok = save(check, out.filePath(u"gui-pruefung"_qs + suffix + u".png"_qs)) && ok;
            check.reject();
        } else {
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
