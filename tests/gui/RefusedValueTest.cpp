#include "gui/GuiFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>

using namespace qvl;
using namespace qvl::test;

namespace {

const QString kNoNumber = u"Es wurde keine gültige Zahl eingegeben."_qs;
const QString kNoInvoiceNumber = u"Die Rechnungsnummer muss eine ganze Zahl von 1 bis 999.999.999 sein."_qs;

void retype(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace

TEST_F(MainWindowTest, ClosingWithARefusedBoxKeepsTheWindowOpenAndSavesNothing)
{
    start();
    const QByteArray before = ws.settingsBytes();
    widget<QTabWidget>(u"SSTab1"_qs)->setCurrentIndex(2);
    auto *price = widget<QLineEdit>(u"txtPreisMindestbetrag"_qs);
    retype(price, u"1,2,3"_qs);

    // "Beenden", then the window's close box: each time the message, the focus back in the box.
    QTest::mouseClick(widget<QPushButton>(u"cmdBeenden"_qs), Qt::LeftButton);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(price->hasFocus());
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    // The focus went away with another window and came back elsewhere: closing still finds
    // the refused box and shows it.
    widget<QLineEdit>(u"txtBezeichnung"_qs)->setFocus(Qt::ActiveWindowFocusReason);
    widget<QTabWidget>(u"SSTab1"_qs)->setCurrentIndex(0);
    EXPECT_FALSE(price->hasFocus());
    EXPECT_FALSE(window->close());
    EXPECT_EQ(widget<QTabWidget>(u"SSTab1"_qs)->currentIndex(), 2);
    EXPECT_TRUE(price->hasFocus());
    EXPECT_EQ(ui.texts(), QStringList(3, kNoNumber));
    EXPECT_TRUE(form->SQLConn); // not unloaded
    EXPECT_EQ(ws.settingsBytes(), before);

    // Corrected, "Beenden" closes and saves.
    retype(price, u"12,5"_qs);
    QTest::mouseClick(widget<QPushButton>(u"cmdBeenden"_qs), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ui.messages.size(), 3);
    EXPECT_TRUE(ws.settingsBytes().contains("\r\nFORMEL-MINDESTBETRAG-PREIS=12,50\r\n")) << ws.settingsBytes().toStdString();
}

TEST_F(MainWindowTest, ARefusedBoxKeepsItsTabHoweverTheTabIsChanged)
{
    start();
    auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
    tabs->setCurrentIndex(2);
    auto *highest = widget<QLineEdit>(u"txtHoechstbeitrag"_qs);
    retype(highest, QString());

    QTabBar *bar = tabs->tabBar();
    const std::function<void()> changes[] = {
        [&] { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center()); },
        [&] { QTest::keyClick(highest, Qt::Key_Tab, Qt::ControlModifier); },
        [&] { QTest::keyClick(highest, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier); },
        [&] {
            const QPointF at = bar->tabRect(1).center();
            QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &wheel);
        },
    };
    for (int i = 0; i < int(std::size(changes)); ++i) {
        SCOPED_TRACE(i);
        changes[i]();
        EXPECT_EQ(tabs->currentIndex(), 2);
        EXPECT_TRUE(highest->hasFocus());
        EXPECT_EQ(ui.messages.size(), i + 1);
    }
    // The next key still reaches the box; a number lets the tab change.
    QTest::keyClicks(highest, u"500"_qs);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(form->txtHoechstbeitrag.Text, u"500,00"_qs);
    EXPECT_EQ(ui.texts(), QStringList(4, kNoNumber));
}

TEST_F(MainWindowTest, InvoiceNumberTakesNineDigitsAtMost)
{
    start();
    auto *number = widget<QLineEdit>(u"txtRechNr"_qs);
    // Every character reaches it, and what is no invoice number is refused when it is left,
    // never read as another number ("1E+20" is not 120).
    retype(number, u"1E+20"_qs);
    EXPECT_EQ(number->text(), u"1E+20"_qs);
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_TRUE(number->hasFocus());
    EXPECT_EQ(ui.texts(), QStringList{kNoInvoiceNumber});
    ui.messages.clear();
    retype(number, u"99999999999999999999"_qs);
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_TRUE(number->hasFocus());
    EXPECT_EQ(ui.texts(), QStringList{kNoInvoiceNumber});
    // Neither a run nor closing goes past it.
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    EXPECT_EQ(ui.texts(), QStringList(2, kNoInvoiceNumber));
    EXPECT_FALSE(window->close());
    EXPECT_EQ(ui.messages.size(), 3);

    retype(number, u"999999999"_qs);
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_FALSE(number->hasFocus());
    EXPECT_EQ(form->txtRechNr.Text, u"999999999"_qs);
    EXPECT_EQ(ui.messages.size(), 3);
}
