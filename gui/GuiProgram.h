#pragma once
// What the desktop program consists of at run time: the clock, the user interface, the
// single-instance guard, the form's state and its window, started as the program starts.

#include "app/FrmDTA.h"
#include "commands/ProgramStart.h"
#include "gui/FrmDTAWindow.h"
#include "gui/GuiUserInterface.h"
#include "base/Clock.h"

#include <QString>
#include <memory>

namespace qvl {

class SingleInstance;

struct GuiStart {
    QString programDir;        // the folder of the settings file and the log file
    QString commandLine;       // "connection string|suite INI path"
    QString odbcDriver;
    bool singleInstance = true; // a second start brings the first window to the front
    bool restorePlacement = true; // the window opens where the user left it last time
};

class GuiProgram {
public:
    GuiProgram();
    ~GuiProgram();

    // Loads the form; when it is ready, the window shows its state (not shown yet).
    StartupResult start(const GuiStart &start);
    // Shows the window where the user left it (size, position, maximised); on the first
    // start (or restorePlacement off) at the size its tabs need without scroll bars, within
    // the screen's free area, else maximised.
    void show();

    FrmDTA &form() { return *m_form; }
    FrmDTAWindow &window() { return *m_window; }

private:
    SystemClock m_clock;
    GuiUserInterface m_ui;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<FrmDTA> m_form;
    std::unique_ptr<FrmDTAWindow> m_window;
    bool m_restorePlacement = true;
};

} // namespace qvl
