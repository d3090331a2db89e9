// Dupliqa: backs up folders from the system tray.
#include "MainFrm/TMain.h"
#include "OneProgramPerFolder.h"
#include "TerminationSignals.h"
#include "folderSelectfrm/TfolderSelect.h"
#include "widgets/GuardedApplication.h"

#include <memory>

int main(int argc, char** argv)
{
    GuardedApplication application(argc, argv);

    // A second start from this folder shows the running program instead, as a double click on
    // its tray icon would, and has done its job.
    OneProgramPerFolder perFolder;
    if (perFolder.AnotherRuns())
        return 0;

    // The main window keeps itself hidden when a tray shows its icon; it loads the language and
    // the profiles in FormCreate, whose errors are shown and passed over.
    auto window = std::make_unique<TMain>();

    // Logout, shutdown and Ctrl+C end the program as Exit does, except that a run in progress is
    // stopped rather than finished: the desktop would not wait for it, and a half copy would be
    // left behind.
    const auto endProgram = [&window] {
        if (window->Quitting())
            return;
        window->StopRequested = true;
        window->N8Click(window.get());
    };
    // After Exit a run goes on to its end; a signal stops it even then.
    TerminationSignals terminationSignals([&window, &endProgram] {
        window->StopRequested = true;
        endProgram();
    });
    perFolder.OnShowRequested([&window] {
        if (window->Quitting())
            return false; // Exit was chosen: the later start takes over once this one has gone
        window->NormIconDblClick(window.get());
        return true;
    });
    application.SetEndRequestHandler(endProgram);

    window->FormCreate();

    // Two more forms exist for the life of the program and are never shown.
    QWidget Form1;
    Form1.setObjectName(QStringLiteral("Form1"));
    TfolderSelect folderSelect(window->UiText);

    // A signal handled before the event loop began has ended nothing yet.
    const int result = window->Quitting() ? 0 : GuardedApplication::exec();
    application.SetEndRequestHandler(nullptr);
    window.reset(); // removes the tray icon
    return result;
}
