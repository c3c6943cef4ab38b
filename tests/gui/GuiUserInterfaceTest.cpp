#include "gui/GuiApplication.h"
#include "gui/GuiFixture.h"
#include "gui/ReportPreview.h"
#include "db/RecordSet.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QSqlQuery>
#include <QTimer>

using namespace qvl;
using namespace qvl::test;

namespace {

Report threePageReport()
{
    RecordSet rows;
    rows.append(u"Name"_qs, FieldType::Text, 30);
    for (int i = 0; i < 150; ++i) {
        rows.addNew();
        rows.set(u"Name"_qs, u"Waldbesitzer "_qs + QString::number(i + 1));
    }
    ReportDesign design(u"Probe"_qs, u"Probebericht"_qs);
    design.section(SectionKind::Detail).Height = 300;
    design.textBox(SectionKind::Detail, u"TName"_qs, u"Name"_qs, 0, 0, 4000, 300);
    return Report(design, rows);
}

} // namespace

TEST(ReportPreview, ShowsEveryPageAndSavesAPdfFile)
{
    const Report report = threePageReport();
    ASSERT_GT(report.pageCount(), 1);
    ScriptedGuiUi ui;

    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), u"Probebericht"_qs);
        auto *pages = dialog->findChild<QPrintPreviewWidget *>();
        ASSERT_NE(pages, nullptr);
        EXPECT_EQ(pages->pageCount(), report.pageCount());
        EXPECT_NE(dialog->findChild<QAction *>(u"actSavePdf"_qs), nullptr);
        dialog->close();
    });
    EXPECT_TRUE(showReportPreview(report, ui, nullptr));
    EXPECT_TRUE(seen);
    EXPECT_TRUE(ui.messages.isEmpty());

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"Probe.pdf"_qs);
    ASSERT_TRUE(saveReportPdf(report, pdf, ui));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));

    // A folder that does not exist: told, nothing written.
    EXPECT_FALSE(saveReportPdf(report, dir.filePath(u"fehlt/Probe.pdf"_qs), ui));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].text.startsWith(u"Der Bericht konnte nicht als PDF-Datei gespeichert werden.\n"_qs));
    EXPECT_EQ(ui.messages[0].title, u"Probebericht"_qs);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"fehlt/Probe.pdf"_qs)));
}

TEST(ReportPreview, OpensMaximisedAtPageWidthAndKeepsTheZoomTheUserChose)
{
    const Report report = threePageReport();
    ScriptedGuiUi ui;
    QSettings().remove(u"Druckvorschau/Zoom"_qs);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    // What the preview shows, then what the user does before closing it.
    struct Step {
        QPrintPreviewWidget::ZoomMode shown;
        double shownFactor; // for a custom zoom
        std::function<void(QWidget *)> act;
    };
    const auto typeZoom = [](QWidget *dialog) {
        auto *zoom = dialog->findChild<QComboBox *>();
        zoom->lineEdit()->setText(u"150%"_qs);
        emit zoom->lineEdit()->editingFinished();
    };
    const auto fitPage = [](QWidget *dialog) { dialog->findChild<QAction *>(u"fitPageAction"_qs)->trigger(); };
    const Step steps[] = {{QPrintPreviewWidget::FitToWidth, 0, typeZoom},
                          {QPrintPreviewWidget::CustomZoom, 1.5, fitPage},
                          {QPrintPreviewWidget::FitInView, 0, {}}};
    for (const Step &step : steps) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            seen = true;
            EXPECT_TRUE(dialog->isMaximized());
            EXPECT_GE(dialog->frameGeometry().width(), screen.width() * 9 / 10);
            EXPECT_GE(dialog->frameGeometry().height(), screen.height() * 9 / 10);
            auto *pages = dialog->findChild<QPrintPreviewWidget *>();
            EXPECT_EQ(pages->zoomMode(), step.shown);
            if (step.shown == QPrintPreviewWidget::CustomZoom) {
                EXPECT_DOUBLE_EQ(pages->zoomFactor(), step.shownFactor);
            }
            if (step.act)
                step.act(dialog);
            dialog->close();
        });
        EXPECT_TRUE(showReportPreview(report, ui, nullptr));
        EXPECT_TRUE(seen);
    }
}

TEST(GuiUserInterface, QuestionsHaveGermanButtonsAndTheWaitCursorNests)
{
    GuiUserInterface ui;
    ui.setBusy(true);
    ui.setBusy(true);
    ui.setBusy(false);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), u"SEPA"_qs);
        EXPECT_EQ(box->text(), u"Zeile 1\nZeile 2"_qs);
        // A question is answered with the normal pointer.
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        for (QAbstractButton *b : box->buttons())
            buttons.append(b->text());
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(ui.askYesNo(u"Zeile 1\r\nZeile 2"_qs, u"SEPA"_qs));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{u"&Ja"_qs, u"&Nein"_qs}));
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.setBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A question that leads to a bank file, a stored fee or a deletion: Return and Escape
// answer it with the safe answer; Return on a focused button presses that button.
TEST(GuiUserInterface, ReturnAndEscapeAnswerAQuestionNo)
{
    GuiUserInterface ui;
    const struct {
        const char *name;
        MsgButtons buttons;
        std::optional<QMessageBox::StandardButton> focus;
        Qt::Key key;
        MsgResult answer;
    } cases[] = {
        {"Return", MsgButtons::YesNo, std::nullopt, Qt::Key_Return, MsgResult::No},
        {"Enter", MsgButtons::YesNo, std::nullopt, Qt::Key_Enter, MsgResult::No},
        {"Escape", MsgButtons::YesNo, std::nullopt, Qt::Key_Escape, MsgResult::No},
        {"Escape on Ja", MsgButtons::YesNo, QMessageBox::Yes, Qt::Key_Escape, MsgResult::No},
        {"Return on Ja", MsgButtons::YesNo, QMessageBox::Yes, Qt::Key_Return, MsgResult::Yes},
        {"Return, OK or cancel", MsgButtons::OkCancel, std::nullopt, Qt::Key_Return, MsgResult::Cancel},
        {"Return, three answers", MsgButtons::YesNoCancel, std::nullopt, Qt::Key_Return, MsgResult::Cancel},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (c.focus)
                box->button(*c.focus)->setFocus();
            QWidget *target = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(target, c.key);
        });
        EXPECT_EQ(ui.showMessage({u"Trotzdem fortfahren?"_qs, u"SEPA"_qs, MsgIcon::Question, c.buttons}), c.answer);
    }
}

// Deleting a stored run in the desktop program: the question names the run, and neither
// Return nor Escape deletes it.
TEST(GuiUserInterface, TheDeleteQuestionNamesTheRunAndNoKeyAloneDeletesIt)
{
    Workspace ws(3);
    ws.execSql(u"insert into PERSONAL_MG_BEITRAGE (id_personal, jahr, betrag, datum_erstellt, typ) values "
               "(1, '2026', 12.5, '2026-12-05 14:30:15', 'Mitgliedsbeitrag'), "
               "(2, '2026', 12.5, '2026-12-05 14:30:15', 'Mitgliedsbeitrag')"_qs);
    GuiUserInterface ui;
    AppContext context;
    context.programDir = ws.programDir();
    context.ui = &ui;
    context.clock = &ws.clock;
    FrmDTA form(context);
    form.strConnectionString = u"Provider=SQLite;Data Source="_qs + ws.databaseFile();
    form.SQLConn = Database::open(form.strConnectionString);
    const auto storedFees = [&] {
        QSqlQuery q = form.SQLConn->run(u"select count(*) from PERSONAL_MG_BEITRAGE"_qs);
        return q.next() ? q.value(0).toInt() : -1;
    };
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        form.cmbBeitraege_GotFocus();
        form.cmbBeitraege.ListIndex = 0;
        QString asked;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            asked = box->text();
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, key);
        });
        EXPECT_EQ(form.btnBeitraegeLoeschen_Click(), FrmDTA::DeleteRunResult::Declined);
        EXPECT_TRUE(asked.startsWith(u"Wollen Sie den gespeicherten Lauf „2026 Mitgliedsbeitrag“ vom 05.12.2026 mit 2 "
                                     "Beiträgen löschen?"_qs))
            << asked.toStdString();
        EXPECT_EQ(storedFees(), 2);
    }
}

namespace {

// A widget whose handler fails the way a fault of the program would.
class ThrowingObject : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::out_of_range("Zeile 12 fehlt");
        return QObject::event(e);
    }
};

} // namespace

// An exception that reaches the event loop is told as "Interner Fehler" and the program goes
// on; work behind the busy window hands its exception to the window's thread.
TEST(InternalError, NeitherTheEventLoopNorAWaitingThreadEndsTheProgram)
{
    QStringList told;
    GuiApplication::setInternalErrorHandler([&told](const QString &text) { told.append(text); });
    ThrowingObject object;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&object, &event);
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, QStringList(2, u"Interner Fehler: Zeile 12 fehlt"_qs));
    GuiApplication::setInternalErrorHandler({});

    GuiUserInterface ui;
    EXPECT_THROW(ui.waitCancellable(u"Die Verbindung wird hergestellt …"_qs,
                                    [] { throw std::runtime_error("Treiber abgestürzt"); }),
                 std::runtime_error);
    bool ran = false;
    EXPECT_TRUE(ui.waitCancellable(u"…"_qs, [&ran] { ran = true; }));
    EXPECT_TRUE(ran);
}
