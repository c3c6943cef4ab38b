#include "gui/GuiFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

using namespace qvl;
using namespace qvl::test;

namespace {

// Runs `drive` on the modal dialog that `open` shows, once it is up.
template <typename Drive>
void withDialog(QPushButton *open, Drive drive)
{
    bool driven = false;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        EXPECT_NE(dialog, nullptr);
        if (dialog) {
            drive(dialog);
            driven = true;
        }
    });
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_TRUE(driven);
}

template <typename W>
W *child(QWidget *dialog, const QString &name)
{
    W *w = dialog->findChild<W *>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

} // namespace

TEST_F(MainWindowTest, ModelDialogNewSaveDeleteAndClose)
{
    start([](QStringList &s) {
        s << u"[Erstes]"_qs << u"Text eins"_qs << u"[Ende]"_qs << u"[Zweites]"_qs << u"Text zwei"_qs << u"[Ende]"_qs;
    });
    auto *models = widget<QComboBox>(u"cmbModell"_qs);
    ASSERT_EQ(models->count(), 2);
    models->setCurrentIndex(1);
    emit models->activated(1);
    EXPECT_EQ(widget<QPlainTextEdit>(u"txtFixtext"_qs)->toPlainText(), u"Text zwei"_qs);

    ui.inputs = {u"Neu"_qs, u"Verworfen"_qs};
    withDialog(widget<QPushButton>(u"cmdLoadModel"_qs), [&](QWidget *d) {
        EXPECT_EQ(d->objectName(), u"frmModel"_qs);
        EXPECT_EQ(d->windowTitle(), u"Modelle"_qs);
        auto *list = child<QTreeWidget>(d, u"lvModels"_qs);
        auto *text = child<QPlainTextEdit>(d, u"txtFixtext"_qs);
        EXPECT_EQ(list->headerItem()->text(0), u"Modelle"_qs);
        EXPECT_EQ(text->toPlainText(), u"Text eins"_qs);

        QTest::mouseClick(child<QPushButton>(d, u"cmdNewModel"_qs), Qt::LeftButton);
        EXPECT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->currentItem()->text(0), u"Neu"_qs);
        EXPECT_TRUE(text->toPlainText().isEmpty());
        text->setPlainText(u"Zeile 1\nZeile 2"_qs);
        QTest::mouseClick(child<QPushButton>(d, u"cmdSaveModel"_qs), Qt::LeftButton);

        // A second new line, never saved, is gone when the dialog closes.
        QTest::mouseClick(child<QPushButton>(d, u"cmdNewModel"_qs), Qt::LeftButton);
        text->setPlainText(u"nie gespeichert"_qs);

        // "Modell &löschen" (Alt+L) asks before the first model goes; "Nein" keeps it.
        list->setCurrentItem(list->topLevelItem(0));
        const qsizetype asked = ui.messages.size();
        ui.answers = {MsgResult::No};
        auto *remove = child<QPushButton>(d, u"cmdDeleteModel"_qs);
        EXPECT_EQ(QKeySequence::mnemonic(remove->text()), QKeySequence(Qt::ALT | Qt::Key_L));
        QTest::mouseClick(remove, Qt::LeftButton);
        EXPECT_EQ(ui.messages.size(), asked + 1);
        EXPECT_TRUE(ui.messages.last().text.contains(u"„Erstes“"_qs)) << ui.messages.last().text.toStdString();
        EXPECT_EQ(list->topLevelItemCount(), 4);
        // "Ja" deletes it; the list shows the saved ones again.
        ui.answers = {MsgResult::Yes};
        QTest::mouseClick(child<QPushButton>(d, u"cmdDeleteModel"_qs), Qt::LeftButton);
        EXPECT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(text->toPlainText(), u"Text zwei"_qs);
        QTest::mouseClick(child<QPushButton>(d, u"cmdClose"_qs), Qt::LeftButton);
    });
    EXPECT_EQ(models->count(), 2);
    EXPECT_EQ(models->itemText(0), u"Zweites"_qs);
    EXPECT_EQ(models->itemText(1), u"Neu"_qs);
    EXPECT_EQ(form->aModelle[1][1], u"Zeile 1\r\nZeile 2"_qs);
    // The main form's fixed text is the first model's again.
    EXPECT_EQ(widget<QPlainTextEdit>(u"txtFixtext"_qs)->toPlainText(), u"Text zwei"_qs);
}

TEST_F(MainWindowTest, OwnerDialogSelectionBecomesTheRestrictionInListOrder)
{
    start();
    QList<qlonglong> chosen;
    withDialog(widget<QPushButton>(u"btnWB"_qs), [&](QWidget *d) {
        EXPECT_EQ(d->windowTitle(), u"Waldbesitzer Selektion"_qs);
        auto *list = child<QListWidget>(d, u"lbWB"_qs);
        ASSERT_GE(list->count(), 3);
        EXPECT_EQ(list->selectedItems().size(), list->count()); // all selected on opening
        EXPECT_TRUE(child<QRadioButton>(d, u"optNummer"_qs)->isChecked());

        // Sorting by name reads the list again with nothing selected.
        click(child<QRadioButton>(d, u"optName"_qs));
        EXPECT_TRUE(list->selectedItems().isEmpty());
        for (int row : {2, 0}) {
            QListWidgetItem *item = list->item(row);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            EXPECT_TRUE(item->isSelected());
        }
        for (int row : {0, 2})
            chosen.append(list->item(row)->text().section(u' ', 0, 0).toLongLong());
        QTest::mouseClick(child<QPushButton>(d, u"btnSchliessen"_qs), Qt::LeftButton);
    });
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(form->strWBIN, u"("_qs + QString::number(chosen[0]) + u',' + QString::number(chosen[1]) + u')');

    // Escape changes nothing, whatever was clicked before it.
    const QString restriction = form->strWBIN;
    withDialog(widget<QPushButton>(u"btnWB"_qs), [&](QWidget *d) {
        QTest::mouseClick(child<QPushButton>(d, u"btnKeinen"_qs), Qt::LeftButton);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(form->strWBIN, restriction);
    // Nor does it narrow "alle Waldbesitzer" to the owners listed today.
    widget<QPushButton>(u"btnAuswahlAufheben"_qs)->click();
    withDialog(widget<QPushButton>(u"btnWB"_qs), [&](QWidget *d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(form->strWBIN, u""_qs);
    EXPECT_EQ(widget<QLabel>(u"lblAuswahl"_qs)->text(), u"Auswahl: alle Waldbesitzer"_qs);

    // "Keinen Selektieren" and "Schließen": no restriction.
    window->view().edit(u"strWBIN"_qs, restriction);
    withDialog(widget<QPushButton>(u"btnWB"_qs), [&](QWidget *d) {
        QTest::mouseClick(child<QPushButton>(d, u"btnKeinen"_qs), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(d, u"btnSchliessen"_qs), Qt::LeftButton);
    });
    EXPECT_EQ(form->strWBIN, u""_qs);
}

TEST_F(MainWindowTest, LogoChosenInTheFileDialogAndRemovedByCancelling)
{
    start();
    const QString logo = ws.root() + u"/Logo.JPG"_qs;
    QFile(logo).open(QIODevice::WriteOnly);
    withDialog(widget<QPushButton>(u"cmdLogo"_qs), [&](QWidget *d) {
        auto *files = qobject_cast<QFileDialog *>(d);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->nameFilters().first(), u"JPEG (*.jpg *.JPG *.JPEG *.jpeg)"_qs);
        files->selectFile(logo);
        QMetaObject::invokeMethod(files, "accept");
    });
    EXPECT_EQ(form->txtLogo.Text, QDir::toNativeSeparators(logo));
    EXPECT_EQ(widget<QLineEdit>(u"txtLogo"_qs)->text(), form->txtLogo.Text);
    withDialog(widget<QPushButton>(u"cmdLogo"_qs), [](QWidget *d) { qobject_cast<QDialog *>(d)->reject(); });
    EXPECT_EQ(form->txtLogo.Text, u""_qs);
}

// "Einstellungen …": a refused value is named and keeps the dialog open with the focus on
// it; Escape takes nothing; "OK" takes what passed.
TEST_F(MainWindowTest, SettingsDialogRefusesNamesAndTakesOnlyOnOk)
{
    start();
    const int lead = form->lVorlaufBankarbeitstage;
    withDialog(widget<QPushButton>(u"cmdEinstellungen"_qs), [&](QWidget *d) {
        EXPECT_EQ(d->windowTitle(), u"Einstellungen"_qs);
        QApplication::setActiveWindow(d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(d));
        auto *box = child<QLineEdit>(d, u"VorlaufBankarbeitstage"_qs);
        box->setText(u"1,2,3"_qs);
        ui.messages.clear();
        QTest::mouseClick(child<QPushButton>(d, u"cmdOK"_qs), Qt::LeftButton);
        EXPECT_EQ(ui.messages.size(), 1);
        EXPECT_TRUE(ui.messages.value(0).text.contains(u"Vorlauf der Bank"_qs)) << ui.messages.value(0).text.toStdString();
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(box->hasFocus());
        EXPECT_EQ(form->lVorlaufBankarbeitstage, lead);
        // The password's place is told, never asked for.
        EXPECT_TRUE(child<QLabel>(d, u"SMTPBenutzer.Hinweis"_qs)->text().contains(u"QVL32_SMTP_PASSWORD"_qs));
        EXPECT_TRUE(d->findChildren<QLineEdit *>().size() >= 10);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(form->lVorlaufBankarbeitstage, lead);
    withDialog(widget<QPushButton>(u"cmdEinstellungen"_qs), [&](QWidget *d) {
        child<QLineEdit>(d, u"VorlaufBankarbeitstage"_qs)->setText(u"3"_qs);
        child<QComboBox>(d, u"WirtschaftsjahrBeginn"_qs)->setCurrentIndex(6);
        QTest::mouseClick(child<QPushButton>(d, u"cmdOK"_qs), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(form->lVorlaufBankarbeitstage, 3);
    EXPECT_EQ(form->lWirtschaftsjahrBeginn, 7);
}
