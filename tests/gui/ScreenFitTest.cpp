// Every window on the smallest screens the program is used on: the test command runs these
// also at 1024×768 and 1366×768 with QT_SCALE_FACTOR 1.25 and 1.5 (QVL32_TEST_SCREEN), so
// the screen below is whatever that run gives.
#include "gui/GuiFixture.h"
#include "gui/GuiProgram.h"
#include "gui/ModelDialog.h"
#include "gui/OwnerDialog.h"
#include "gui/PaymentsDialog.h"
#include "gui/RunCheckDialog.h"
#include "gui/RunSummaryBox.h"
#include "check/RunCheck.h"
#include "run/RunSummary.h"

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>

using namespace qvl;
using namespace qvl::test;

namespace {

QString screenText()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return QString::number(screen->availableGeometry().width()) + u'x'
           + QString::number(screen->availableGeometry().height()) + u" logisch, Faktor "_qs
           + QString::number(screen->devicePixelRatio());
}

// Whether `w` lies in a scrolling area of `window` (reached by scrolling, not always in sight).
bool scrolls(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<const QScrollArea *>(p))
            return true;
    return false;
}

// The window inside the screen, and every button it shows outside a scrolling area.
void expectOnScreen(QWidget *window)
{
    SCOPED_TRACE(window->objectName().toStdString() + " on " + screenText().toStdString());
    // A fractional scale rounds the screen's logical size (1024 / 1,25 = 819,2): a maximised
    // window may reach one pixel further.
    const QRect room = window->screen()->availableGeometry().adjusted(-1, -1, 1, 1);
    EXPECT_TRUE(room.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    int buttons = 0;
    for (const QPushButton *b : window->findChildren<QPushButton *>()) {
        if (!b->isVisible() || b->window() != window || scrolls(b, window))
            continue;
        ++buttons;
        const QRect placed(b->mapToGlobal(QPoint(0, 0)), b->size());
        EXPECT_TRUE(room.contains(placed)) << b->objectName().toStdString() << " at " << placed.y();
        // Not hidden under the window's own edge either.
        EXPECT_TRUE(window->rect().contains(QRect(b->mapTo(window, QPoint(0, 0)), b->size())))
            << b->objectName().toStdString();
    }
    EXPECT_GT(buttons, 0);
}

// A check with much to say: the figures and the findings scroll, the buttons stay.
RunCheck longCheck()
{
    RunCheck check;
    check.figures.directDebit = true;
    check.figures.year = u"2026"_qs;
    check.figures.feeText = u"Mitgliedsbeitrag"_qs;
    check.figures.dueDate = u"21.12.2026"_qs;
    for (int i = 0; i < 5; ++i)
        check.figures.fees.append({u"Beitrag mit einem recht langen Namen "_qs + QString::number(i), 120, Money(1234567)});
    check.comparison = u"Vorjahr: 2025 Mitgliedsbeitrag, 1.234 Waldbesitzer, 98.765,43 €"_qs;
    for (int k = 0; k < 30; ++k) {
        CheckItem item{CheckKind::LeftOut, u"Befund "_qs + QString::number(k), {}};
        for (int o = 0; o < 12; ++o)
            item.owners.append({1000 + o, u"Waldbesitzer "_qs + QString::number(o), u"IBAN „DE00“"_qs});
        check.add(item);
    }
    return check;
}

} // namespace

TEST_F(MainWindowTest, ScreenFitEveryDialogKeepsItsButtonsAndItsSafeButtonOnTheScreen)
{
    start();
    {
        RunCheckDialog check(longCheck(), window.get());
        check.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&check));
        expectOnScreen(&check);
        auto *cancel = check.findChild<QPushButton *>(u"cmdCancel"_qs);
        EXPECT_TRUE(cancel->isDefault());
        EXPECT_TRUE(cancel->hasFocus());
    }
    {
        PaymentsDialog payments(*form, window.get());
        payments.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&payments));
        expectOnScreen(&payments);
        EXPECT_TRUE(payments.findChild<QPushButton *>(u"cmdSchliessen"_qs)->isDefault());
    }
    {
        ModelDialog models(*form, window.get());
        models.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&models));
        expectOnScreen(&models);
    }
    {
        OwnerDialog owners(*form, window.get());
        owners.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owners));
        expectOnScreen(&owners);
    }
    {
        RunSummary summary;
        summary.directDebit = true;
        summary.bankFile = u"MB_Mitgliedsbeitrag_06122026T101500.xml"_qs;
        summary.bankFolder = ws.root();
        for (int i = 0; i < 40; ++i)
            summary.accountingFiles.append(ws.root() + u"/DATEV/EXTF_Buchungsstapel_"_qs + QString::number(i) + u".csv"_qs);
        RunSummaryBox done(summary, window.get());
        done.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&done));
        expectOnScreen(&done);
        EXPECT_TRUE(done.findChild<QPushButton *>(u"cmdOK"_qs)->isDefault());
    }
}

// The main window opens on the screen with its bottom row; a page that is too tall for it
// scrolls, none is cut.
TEST(ScreenFit, TheMainWindowOpensOnTheScreenAndItsPagesScrollInsteadOfBeingCut)
{
    QSettings().remove(FrmDTAWindow::kGeometryKey);
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    GuiProgram program;
    ASSERT_EQ(program.start({ws.programDir(), u"Provider=SQLite;Data Source="_qs + ws.databaseFile(), {}, false}),
              StartupResult::Ready);
    program.show();
    FrmDTAWindow &window = program.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    expectOnScreen(&window);
    auto *tabs = window.findChild<QTabWidget *>(u"SSTab1"_qs);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        auto *page = qobject_cast<QScrollArea *>(tabs->currentWidget());
        ASSERT_NE(page, nullptr);
        const QSize least = page->widget()->minimumSizeHint();
        EXPECT_GE(page->widget()->height(), least.height()) << tabs->tabText(i).toStdString();
        EXPECT_GE(page->widget()->width(), least.width()) << tabs->tabText(i).toStdString();
    }
    window.close();
}
