// Dupliqa: backs up folders from the system tray.
#include "MainFrm/TMain.h"
#include "folderSelectfrm/TfolderSelect.h"
#include "widgets/GuardedApplication.h"

#include <memory>

int main(int argc, char** argv)
{
    GuardedApplication application(argc, argv);

    // The main window keeps itself hidden when a tray shows its icon; it loads the language and
    // the profiles in FormCreate, whose errors are shown and passed over.
    auto window = std::make_unique<TMain>();
    window->FormCreate();

    // Two more forms exist for the life of the program and are never shown.
    QWidget Form1;
    Form1.setObjectName(QStringLiteral("Form1"));
    TfolderSelect folderSelect(window->UiText);

    const int result = GuardedApplication::exec();
    window.reset(); // removes the tray icon
    return result;
}
