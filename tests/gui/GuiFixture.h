#pragma once
// The main window on a workspace's demo database, with a user interface whose message and
// input boxes are answered by the test; the wait cursor and the progress bar stay real.

#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "gui/FormView.h"
#include "gui/FrmDTAWindow.h"
#include "gui/GuiUserInterface.h"
#include "print/Report.h"
#include "support/Workspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace qvl::test {

// The real user interface of the desktop program, but its boxes answered by the script.
class ScriptedGuiUi final : public GuiUserInterface, public ScriptedAnswers {
public:
    QStringList reports; // the names of the reports shown
    QStringList prompts; // the input boxes' prompts

    MsgResult showMessage(const Message &m) override { return answer(m); }
    std::optional<QString> inputBox(const QString &prompt, const QString &, const QString &) override
    {
        prompts.append(prompt);
        return input();
    }
    bool showReport(const Report &report) override
    {
        reports.append(report.name());
        return true;
    }
    RunCheckChoice showRunCheck(const RunCheck &check) override { return choose(check); }
};

class MainWindowTest : public ::testing::Test {
protected:
    // Starts the form on the workspace with the demo settings changed by `edit`, and shows
    // the window, active, so focus and keys behave as on a desktop.
    void start(const std::function<void(QStringList &)> &edit = {})
    {
        QStringList settings = demoSettings();
        settings.replaceInStrings(u"ExportPfad=C:\\SEPA\\Export\\"_qs, u"ExportPfad="_qs + ws.root() + u'/');
        if (edit)
            edit(settings);
        ws.writeSettings(settings);
        AppContext context;
        context.programDir = ws.programDir();
        context.ui = &ui;
        context.clock = &ws.clock;
        form = std::make_unique<FrmDTA>(context);
        window = std::make_unique<FrmDTAWindow>(*form, ui);
        ASSERT_EQ(Form_Load(*form, {}), StartupResult::Ready);
        window->view().refresh();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Clicks a check box or option button on its mark (the widget may be wider than its text).
    static void click(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    template <typename W>
    W *widget(const QString &name)
    {
        W *w = window->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    Workspace ws{30};
    ScriptedGuiUi ui;
    std::unique_ptr<FrmDTA> form;
    std::unique_ptr<FrmDTAWindow> window;
};

} // namespace qvl::test
