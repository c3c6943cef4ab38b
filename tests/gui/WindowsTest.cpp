#include "gui/GuiFixture.h"
#include "gui/GuiProgram.h"
#include "gui/ModelDialog.h"
#include "gui/OwnerDialog.h"
#include "gui/RunSummaryBox.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QUrl>

using namespace qvl;
using namespace qvl::test;

namespace {

// Every accelerator of a window ("&Starte SEPA" is Alt+S), with the texts that carry it.
QMultiMap<QString, QString> accelerators(const QWidget *window)
{
    QMultiMap<QString, QString> keys;
    const auto add = [&](const QWidget *w, const QString &text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        // A dialog that belongs to the window is a window of its own.
        if (!key.isEmpty() && w->window() == window)
            keys.insert(key.toString(), text);
    };
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        add(b, b->text());
    for (const QLabel *l : window->findChildren<QLabel *>())
        add(l, l->text());
    for (const QGroupBox *g : window->findChildren<QGroupBox *>())
        add(g, g->title());
    for (const QTabWidget *t : window->findChildren<QTabWidget *>())
        for (int i = 0; i < t->count(); ++i)
            add(t, t->tabText(i));
    return keys;
}

// Catches what the program asks the desktop to open.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

} // namespace

TEST(Windows, TheMainWindowOpensOnALaptopScreenWithoutScrollBarsAndComesBackWhereItWasLeft)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->geometry().size(), QSize(1366, 768));
    QSettings().remove(FrmDTAWindow::kGeometryKey);
    Workspace ws(5);
    ws.writeSettings(demoSettings());
    const GuiStart start{ws.programDir(), u"Provider=SQLite;Data Source="_qs + ws.databaseFile(), {}, false};
    QRect left;
    {
        GuiProgram program;
        ASSERT_EQ(program.start(start), StartupResult::Ready);
        program.show();
        FrmDTAWindow &window = program.window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_FALSE(window.isMaximized());
        EXPECT_TRUE(screen->availableGeometry().contains(window.frameGeometry())) << window.frameGeometry().width();
        EXPECT_GE(window.width(), window.sizeHint().width());
        EXPECT_GE(window.height(), window.sizeHint().height());
        auto *tabs = window.findChild<QTabWidget *>(u"SSTab1"_qs);
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            auto *page = qobject_cast<QScrollArea *>(tabs->currentWidget());
            ASSERT_NE(page, nullptr);
            EXPECT_FALSE(page->verticalScrollBar()->isVisible()) << tabs->tabText(i).toStdString();
            EXPECT_FALSE(page->horizontalScrollBar()->isVisible()) << tabs->tabText(i).toStdString();
        }
        // Moved and made smaller by the user, then closed.
        window.setGeometry(QRect(40, 30, window.width() - 100, window.height() - 50));
        left = window.geometry();
        ASSERT_TRUE(window.close());
    }
    {
        GuiProgram again;
        ASSERT_EQ(again.start(start), StartupResult::Ready);
        again.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&again.window()));
        EXPECT_EQ(again.window().geometry(), left);
        // Left where no screen is (a second monitor that is gone).
        again.window().move(3000, 2000);
        ASSERT_TRUE(again.window().close());
    }
    GuiProgram lost;
    ASSERT_EQ(lost.start(start), StartupResult::Ready);
    lost.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lost.window()));
    EXPECT_TRUE(screen->availableGeometry().intersects(lost.window().frameGeometry()))
        << lost.window().frameGeometry().x() << "," << lost.window().frameGeometry().y();
    lost.window().close();
}

// On a 1024×768 screen the window fits without a horizontal scroll bar on any tab: long
// captions wrap.
TEST_F(MainWindowTest, TheWindowFitsASmallScreenWithoutAHorizontalScrollBar)
{
    start();
    window->resize(1024 - 16, 768 - 60); // the screen less the frame and a task bar
    QApplication::processEvents();
    auto *tabs = widget<QTabWidget>(u"SSTab1"_qs);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        auto *page = qobject_cast<QScrollArea *>(tabs->currentWidget());
        ASSERT_NE(page, nullptr);
        EXPECT_LE(page->widget()->minimumSizeHint().width(), page->viewport()->width()) << tabs->tabText(i).toStdString();
        EXPECT_FALSE(page->horizontalScrollBar()->isVisible()) << tabs->tabText(i).toStdString();
    }
    EXPECT_LE(window->width(), 1024 - 16);
    // The wrapped caption still ticks its box.
    tabs->setCurrentIndex(2);
    auto *caption = widget<QLabel>(u"chkAnteiligeBerechnung.Caption"_qs);
    const int before = form->chkAnteiligeBerechnung.Value;
    QTest::mouseClick(caption, Qt::LeftButton, {}, QPoint(10, caption->height() / 2));
    EXPECT_EQ(form->chkAnteiligeBerechnung.Value, 1 - before);
}

// An owner selection stays in sight on the form until it is cleared.
TEST_F(MainWindowTest, AnActiveOwnerSelectionIsShownAndCanBeCleared)
{
    start();
    auto *label = widget<QLabel>(u"lblAuswahl"_qs);
    auto *clear = widget<QPushButton>(u"btnAuswahlAufheben"_qs);
    EXPECT_EQ(label->text(), u"Auswahl: alle Waldbesitzer"_qs);
    EXPECT_FALSE(clear->isEnabled());
    const QSize size = window->size();
    window->view().edit(u"strWBIN"_qs, u"(1001,1002)"_qs);
    EXPECT_EQ(label->text(), u"Auswahl: 2 Waldbesitzer"_qs);
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(clear->isEnabled());
    QApplication::processEvents();
    EXPECT_EQ(window->size(), size);
    clear->click();
    EXPECT_TRUE(form->strWBIN.isEmpty());
    EXPECT_EQ(label->text(), u"Auswahl: alle Waldbesitzer"_qs);
}

TEST_F(MainWindowTest, EveryWindowHasEachAcceleratorOnce)
{
    start();
    RunSummary summary;
    summary.directDebit = true;
    summary.bankFolder = ws.root();
    ModelDialog models(*form, window.get());
    OwnerDialog owners(*form, window.get());
    RunSummaryBox done(summary, window.get());
    struct Case {
        const QWidget *window;
        int atLeast;
    };
    const Case cases[] = {{window.get(), 11}, {&models, 4}, {&owners, 3}, {&done, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.window->objectName().toStdString());
        const QMultiMap<QString, QString> keys = accelerators(c.window);
        EXPECT_GE(keys.uniqueKeys().size(), c.atLeast);
        for (const QString &key : keys.uniqueKeys())
            EXPECT_EQ(keys.count(key), 1) << key.toStdString() << ": " << keys.values(key).join(u", "_qs).toStdString();
    }
    // The model dialog closes with Alt+C, its delete button keeps Alt+L.
    EXPECT_EQ(QKeySequence::mnemonic(models.findChild<QPushButton *>(u"cmdClose"_qs)->text()),
              QKeySequence(Qt::ALT | Qt::Key_C));
}

TEST_F(MainWindowTest, ARunEndsWithItsSummaryBesideTheForm)
{
    start([](QStringList &s) {
        s.replaceInStrings(u"Fibu=DATEV-FIBU"_qs, u"Fibu="_qs);
        s.replaceInStrings(u"BERECHNUNG=Formel"_qs, u"BERECHNUNG=QVL"_qs);
    });
    click(widget<QCheckBox>(u"chkBeitrag(0)"_qs));
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    const QStringList files = QDir(ws.root()).entryList({u"MB_*.xml"_qs});
    ASSERT_EQ(files.size(), 1) << ui.texts().join(u'|').toStdString();

    auto *box = window->findChild<RunSummaryBox *>(u"frmRunSummary"_qs);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), u"Beitragslauf"_qs);
    const QString text = box->findChild<QLabel *>(u"lblSummary"_qs)->text();
    EXPECT_TRUE(text.startsWith(u"Der Lastschriftlauf ist abgeschlossen.\n\nSEPA-Datei: "_qs + files[0]
                                + u"\nOrdner: "_qs + QDir::toNativeSeparators(ws.root()) + u"\nFälligkeit: 21.12.2026\nLastschriften: "_qs))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"\nKontrollsumme: "_qs)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"\nFIBU-Dateien: keine"_qs)) << text.toStdString();

    // "Ordner öffnen" shows the bank file's folder.
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(u"file"_qs, &opened, "open");
    QTest::mouseClick(box->findChild<QPushButton *>(u"cmdOpenFolder"_qs), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(u"file"_qs);
    EXPECT_EQ(opened.urls, QList<QUrl>{QUrl::fromLocalFile(ws.root())});

    // The next run replaces it; the form stays usable meanwhile.
    ui.answers = {MsgResult::Yes}; // the repeated run's question
    QTest::mouseClick(widget<QPushButton>(u"cmdStart"_qs), Qt::LeftButton);
    EXPECT_EQ(window->findChildren<RunSummaryBox *>().size(), 1);
    EXPECT_EQ(QDir(ws.root()).entryList({u"MB_*.xml"_qs}).size(), 2);
}

#include "WindowsTest.moc"
