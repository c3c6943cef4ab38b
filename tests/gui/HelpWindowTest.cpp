#include "gui/GuiFixture.h"
#include "gui/HelpWindow.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

using namespace qvl;
using namespace qvl::test;

namespace {

void closeHelp()
{
    if (HelpWindow *help = HelpWindow::current()) {
        help->close();
        QApplication::processEvents();
    }
}

} // namespace

TEST(HelpWindowTest, F1InADialogOpensItsSectionWithPicturesAndLinksJump)
{
    QDialog dialog;
    installHelpKey(&dialog, u"textmodelle"_qs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_F1);

    HelpWindow *help = HelpWindow::current();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    // The dialog's own window: a modal dialog blocks every window but its children.
    EXPECT_EQ(help->parentWidget(), &dialog);
    EXPECT_EQ(help->topic(), u"textmodelle"_qs);
    const QString text = help->browser()->toPlainText();
    EXPECT_TRUE(text.startsWith(u"Textmodelle"_qs)) << text.left(80).toStdString();
    EXPECT_TRUE(text.contains(u"Modell löschen"_qs));
    EXPECT_FALSE(text.contains(u"Waldbesitzer auswählen"_qs)); // the next section
    const QImage picture = help->browser()
                               ->document()
                               ->resource(QTextDocument::ImageResource, QUrl(u"../gui-modelle.png"_qs))
                               .value<QImage>();
    EXPECT_FALSE(picture.isNull());

    emit help->browser()->anchorClicked(QUrl(u"#prüfung-vor-dem-lauf"_qs));
    EXPECT_EQ(help->topic(), u"prüfung-vor-dem-lauf"_qs);
    EXPECT_TRUE(help->browser()->toPlainText().contains(u"Lauf starten"_qs));
    auto *sections = help->findChild<QTreeWidget *>(u"tvAbschnitte"_qs);
    ASSERT_NE(sections, nullptr);
    ASSERT_NE(sections->currentItem(), nullptr);
    EXPECT_EQ(sections->currentItem()->text(0), u"Prüfung vor dem Lauf"_qs);

    // A second F1 reuses the one window.
    QTest::keyClick(&dialog, Qt::Key_F1);
    EXPECT_EQ(HelpWindow::current(), help);
    EXPECT_EQ(help->topic(), u"textmodelle"_qs);
    closeHelp();
}

TEST(HelpWindowTest, F1InAModalDialogOpensHelpItsUserCanReachAndThatOutlivesTheDialog)
{
    QWidget below;
    below.show();
    auto *dialog = new QDialog(&below);
    installHelpKey(dialog, u"druckvorschau"_qs);
    bool shown = false;
    QTimer::singleShot(0, dialog, [&] {
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog)) {
            dialog->reject();
            return;
        }
        QTest::keyClick(dialog, Qt::Key_F1);
        HelpWindow *help = HelpWindow::current();
        // Its child, so the modal dialog does not block it.
        shown = help && help->isVisible() && help->topic() == u"druckvorschau"_qs && help->parentWidget() == dialog;
        dialog->reject();
    });
    dialog->exec();
    EXPECT_TRUE(shown);
    delete dialog;
    QApplication::processEvents();
    HelpWindow *help = HelpWindow::current();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), &below);
    EXPECT_EQ(help->topic(), u"druckvorschau"_qs);
    closeHelp();
}

TEST_F(MainWindowTest, HelpMenuAndF1OpenTheSectionOfTheTabInFront)
{
    start();
    auto *button = window->findChild<QPushButton *>(u"cmdHilfe"_qs);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->menu(), nullptr);
    auto *handbook = window->findChild<QAction *>(u"actHandbuch"_qs);
    auto *pdf = window->findChild<QAction *>(u"actHandbuchPdf"_qs);
    ASSERT_NE(handbook, nullptr);
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(handbook->shortcut(), QKeySequence(QKeySequence::HelpContents));
    EXPECT_EQ(pdf->text(), u"Handbuch als &PDF speichern …"_qs);
    EXPECT_EQ(button->menu()->actions(), (QList<QAction *>{handbook, pdf}));

    // F1 in the window in front, on its first tab.
    auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
    tabs->setCurrentIndex(0);
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_NE(HelpWindow::current(), nullptr);
    EXPECT_EQ(HelpWindow::current()->topic(), u"registerkarte-allgemein"_qs);
    EXPECT_EQ(HelpWindow::current()->parentWidget(), window.get());
    closeHelp();
    // The menu's entry on the third tab.
    tabs->setCurrentIndex(2);
    handbook->trigger();
    ASSERT_NE(HelpWindow::current(), nullptr);
    EXPECT_EQ(HelpWindow::current()->topic(), u"registerkarte-berechnungsbasis"_qs);
    closeHelp();
}
