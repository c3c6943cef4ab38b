// Connecting to a SQL Server that takes the connection but never answers: the desktop
// program shows a busy window with "Abbrechen" instead of nothing, and either the clerk
// cancels (no message, no form) or the string's time-out ends the wait with its message.

#include "gui/GuiFixture.h"
#include "db/OdbcDataSources.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

using namespace qvl;
using namespace qvl::test;

TEST(BusyWindow, AServerThatDoesNotAnswerCanBeCancelledOrTimesOut)
{
    if (registeredDriverLibrary(u"FreeTDS"_qs).isEmpty())
        GTEST_SKIP() << "the FreeTDS driver is not registered";
    // Takes connections (the system completes them) and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString connection = u"Driver={FreeTDS};Server=127.0.0.1,"_qs + QString::number(silent.serverPort())
                               + u";Database=FBG;UID=sa;PWD=x;Connect Timeout=2"_qs;

    const struct {
        const char *what;
        bool cancel;
        const char16_t *told; // nullptr: no message
    } cases[] = {
        {"cancelled", true, nullptr},
        {"time-out", false, u"Der SQL Server „127.0.0.1“ über den Port "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Workspace ws(3);
        auto ui = std::make_unique<ScriptedGuiUi>();
        AppContext context;
        context.programDir = ws.programDir();
        context.ui = ui.get();
        context.clock = &ws.clock;
        auto form = std::make_unique<FrmDTA>(context);

        QString label, button;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QProgressDialog *>(w);
                if (!dialog || !dialog->isVisible() || !label.isEmpty())
                    continue;
                label = dialog->labelText();
                if (auto *cancel = dialog->findChild<QPushButton *>())
                    button = cancel->text();
                if (c.cancel)
                    QTimer::singleShot(200, dialog, [dialog] {
                        if (auto *cancel = dialog->findChild<QPushButton *>())
                            QTest::mouseClick(cancel, Qt::LeftButton);
                    });
            }
        });
        watch.start(50);

        EXPECT_EQ(Form_Load(*form, connection), StartupResult::Failed);
        watch.stop();
        EXPECT_EQ(label, u"Die Verbindung zum SQL Server „127.0.0.1“ wird hergestellt …"_qs);
        EXPECT_EQ(button, u"Abbrechen"_qs);
        EXPECT_EQ(form->SQLConn, nullptr);
        if (c.told) {
            ASSERT_EQ(ui->messages.size(), 1);
            EXPECT_TRUE(ui->messages[0].text.contains(QString::fromUtf16(c.told))) << ui->messages[0].text.toStdString();
            EXPECT_TRUE(ui->messages[0].text.contains(u"hat nicht innerhalb von 2 Sekunden geantwortet"_qs));
        } else {
            EXPECT_TRUE(ui->messages.isEmpty());
        }
        // The cancelled attempt ends with its time-out before the interface goes.
        form.reset();
        ui.reset();
    }
}
