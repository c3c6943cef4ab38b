// qvl32-report-pictures OUT-DIR: writes the demo association's reports as PDF, for the
// documentation's pictures: the ordinary fee notice (rechnung-normal.pdf), the hardest one
// (rechnung-grenzfall.pdf), and the booking list and the slip with the hardest data
// (einzelbuchungen-grenzfall.pdf, begleitzettel-grenzfall.pdf).
#include "app/FrmDTA.h"
#include "check/RunScreens.h"
#include "cli/DemoLetters.h"
#include "os/HeadlessGui.h"
#include "params/InvoiceFromForm.h"
#include "core/RunError.h"
#include "params/ListReports.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace qvl;

namespace {

// Nobody to ask: the reports are written, not shown.
class SilentUi : public UserInterface, public RunScreens {
public:
    MsgResult showMessage(const Message &m) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return MsgResult::Ok;
    }
    std::optional<QString> inputBox(const QString &, const QString &, const QString &) override { return {}; }
    void openFile(const QString &) override {}
    void setBusy(bool) override {}
    void setProgress(int, int) override {}
    bool showReport(const Report &) override { return true; }
    RunCheckChoice showRunCheck(const RunCheck &) override { return RunCheckChoice::Start; }
};

bool write(const Report &report, const QDir &out, const QString &name)
{
    try {
        report.writePdf(out.filePath(name), nullptr);
    } catch (const WriteError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return false;
    }
    std::printf("%s (%d Seiten)\n", qPrintable(out.filePath(name)), report.pageCount());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("Aufruf: qvl32-report-pictures ZIELORDNER\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir program;
    SilentUi ui;
    const FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0)));
    const auto form = [&] { return std::make_unique<FrmDTA>(AppContext{program.path(), &ui, &clock, {}, nullptr}); };

    bool ok = true;
    try {
        {
            auto f = form();
            ok = write(PrintRechnungen(*f, demo::ordinaryLetter(*f)), out, u"rechnung-normal.pdf"_qs) && ok;
        }
        auto f = form();
        Buchungen hardest = demo::hardestLetter(*f, true);
        ok = write(PrintRechnungen(*f, hardest), out, u"rechnung-grenzfall.pdf"_qs) && ok;

        // The booking list: the hardest owner, one at the largest amount, one with a line break.
        f->strExportPfad = program.path() + u'/';
        Buchung largest = hardest.front();
        largest.Nummer = 40816;
        largest.NameOrig = u"Jagd- und Waldgenossenschaft Hohen-Peißenberg-Nord"_qs; // 50 characters
        largest.VornameOrig.clear();
        largest.SummeCent = Money(99999999999);
        Buchung broken = hardest.front();
        broken.Nummer = 40817;
        broken.NameOrig = u"Erbengemeinschaft\r\nHuber"_qs;
        broken.VornameOrig = u"Anna\nMaria"_qs;
        broken.IBAN = u"DE02120300000000202051"_qs;
        const CsvList list = WriteCSVList(*f, {hardest.front(), largest, broken});
        ok = write(list.report, out, u"einzelbuchungen-grenzfall.pdf"_qs) && ok;
        ok = write(PrintBegleitzettel(*f, 3, Money(123456789012345)), out, u"begleitzettel-grenzfall.pdf"_qs) && ok;
    } catch (const RunError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return ok ? 0 : 1;
}
