// The keyboard as clerks use it: Return presses the button that has the focus, the focus
// is visible from the start, and Tab reaches only what a clerk can see.
#include "gui/GuiFixture.h"
#include "gui/OwnerDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>

using namespace qvl;
using namespace qvl::test;

TEST_F(MainWindowTest, ReturnPressesTheFocusedButtonInTheWindowAndInADialog)
{
    start();
    // The main window: Return on "Auswahl aufheben".
    window->view().edit(u"strWBIN"_qs, u"(1001,1002)"_qs);
    auto *clear = widget<QPushButton>(u"btnAuswahlAufheben"_qs);
    clear->setFocus();
    ASSERT_TRUE(clear->hasFocus());
    QTest::keyClick(clear, Qt::Key_Return);
    EXPECT_EQ(form->strWBIN, u""_qs);
    EXPECT_EQ(widget<QLabel>(u"lblAuswahl"_qs)->text(), u"Auswahl: alle Waldbesitzer"_qs);

    // A dialog: Return on "Keinen Selektieren" presses it and leaves the dialog open; on
    // the list it presses the dialog's default, "Schließen".
    OwnerDialog dialog(*form, window.get());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *list = dialog.findChild<QListWidget *>(u"lbWB"_qs);
    ASSERT_GT(list->count(), 2);
    auto *none = dialog.findChild<QPushButton *>(u"btnKeinen"_qs);
    none->setFocus();
    QTest::keyClick(none, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    list->setFocus();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(form->strWBIN, u'(' + list->item(1)->text().section(u' ', 0, 0) + u')');
}

TEST_F(MainWindowTest, TheFocusIsVisibleFromTheStartAndTabReachesOnlyVisibleControls)
{
    start();
    QWidget *first = QApplication::focusWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->objectName(), u"lbPersons"_qs);

    // From the tab bar once round the first page: every stop is a control the clerk sees,
    // never the page's scroll area.
    auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
    tabs->tabBar()->setFocus();
    QStringList stops;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        if (w == tabs->tabBar())
            break;
        stops.append(w->objectName());
        EXPECT_EQ(qobject_cast<QScrollArea *>(w), nullptr) << "stop " << i;
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_FALSE(w->objectName().isEmpty()) << "an unnamed stop after " << stops.join(u", "_qs).toStdString();
    }
    EXPECT_EQ(stops.value(0), u"lbPersons"_qs);
}
