#pragma once

// The window's items keep the names of the original form. What each one is on screen:
//
//   ToolBar3          the toolbar; Image4 its grip at the left edge
//   ToolButton8       toolbar: New (a profile, through the wizard)
//   ToolButton9       toolbar: Delete (the selected profile)
//   ToolButton10      toolbar: Settings (edit the selected profile in the wizard)
//   ToolButton11/13   toolbar: the gap before Run, the gap at the end (plain widgets)
//   ToolButton12      toolbar: Run, which turns into Stop while a run is in progress
//   GroupBox1, Gauge1 toolbar: the progress bar, shown during a run
//   ListView1         the profile list
//   StatusBar1[0..3]  status bar: profile count, file being copied, profile running, copy method
//   N2 / N10 / N15 / N9   main menu: File / View / Language / Info
//   N3, N5, N6, N11, N8   File menu: New, Run, Delete, Settings, Exit
//   LargeIcons1, SmallIcons1, List1, Details1   View menu: how the list shows the profiles
//   N13, N14          View menu: view the error log, delete the error log
//   a1 .. a8          Language menu: one item per language file found (LanguageItems)
//   PopupMenu1        the tray icon's menu: N16 view the error log, mnuInfo about, mnuQuit Exit
//   NormIcon          the tray icon
//   Timer1            the scheduler's tick, every second
//   Timer3            the start-up tick: the first runs shortly after start-up

#include "engine/FailureNotice.h"
#include "engine/FileTable.h"
#include "engine/RunContext.h"
#include "engine/RunView.h"
#include "localisation/UiText.h"
#include "profiles/Profile.h"
#include "profiles/ProfileListView.h"
#include "widgets/MessageBoxes.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QToolButton;

// The main window: the shared context of the whole program. It owns every table and flag for
// the life of the program, and wires each menu item, button and timer to its operation.
class TMain : public QMainWindow, public ProfileListView, public RunView {
    Q_OBJECT

public:
    TMain();
    ~TMain() override;

    // --- The record -----------------------------------------------------------------------
    int32_t FileCount = 0;
    ::FileTable FileTable;
    ::WizardResult WizardResult;
    ProfileSlots ProfileTable;
    int32_t ProfileCount = 0;
    bool StopRequested = false;
    bool TimerBusy = false;
    int16_t LastRunFailed = 0;
    std::string LanguageName;
    ::UiText UiText;
    int32_t LanguageFileCount = 0;
    std::array<std::string, 101> LanguageFiles; // numbered from 1

    // --- Controls ---------------------------------------------------------------------------
    QToolBar* ToolBar3 = nullptr;
    QLabel* Image4 = nullptr;
    QToolButton* ToolButton8 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* ToolButton12 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QListWidget* ListView1 = nullptr;
    std::array<QLabel*, 4> StatusBar1{};
    QAction *N2 = nullptr, *N3 = nullptr, *N5 = nullptr, *N6 = nullptr, *N8 = nullptr, *N9 = nullptr,
            *N10 = nullptr, *N11 = nullptr, *N13 = nullptr, *N14 = nullptr, *N15 = nullptr;
    QAction *LargeIcons1 = nullptr, *SmallIcons1 = nullptr, *List1 = nullptr, *Details1 = nullptr;
    std::array<QAction*, 8> LanguageItems{}; // a1 to a8
    QMenu* PopupMenu1 = nullptr;
    QAction *N16 = nullptr, *mnuInfo = nullptr, *mnuQuit = nullptr;
    QSystemTrayIcon* NormIcon = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;

    // --- Operations -------------------------------------------------------------------------
    void FormCreate();
    void ApplyLanguage(const std::string& name);
    void ScanFolder(const std::string& folder, const std::string& mask, bool recurse);
    void RunBackup(const std::string& source, const std::string& destinationRoot);
    int RunButtonImage() const { return m_runButtonImage; }
    MessageBoxes& Dialogs() { return m_dialogs; }

    // --- Handlers -----------------------------------------------------------------------------
    void ToolButton8Click(QObject* Sender);
    void ToolButton9Click(QObject* Sender);
    void ToolButton10Click(QObject* Sender);
    void ToolButton12Click(QObject* Sender);
    void N8Click(QObject* Sender);
    void N9Click(QObject* Sender);
    void N13Click(QObject* Sender);
    void N14Click(QObject* Sender);
    void mnuInfoClick(QObject* Sender);
    void mnuQuitClick(QObject* Sender);
    void NormIconDblClick(QObject* Sender);
    void LargeIcons1Click(QObject* Sender);
    void SmallIcons1Click(QObject* Sender);
    void List1Click(QObject* Sender);
    void Details1Click(QObject* Sender);
    void LanguageItemClick(int index); // a1Click to a8Click
    void Timer1Timer(QObject* Sender);
    void Timer3Timer(QObject* Sender);

    // --- ProfileListView --------------------------------------------------------------------
    void ClearItems() override;
    void AddItem(const std::string& caption, int image) override;
    void SetCountText(const std::string& text) override;
    std::optional<std::string> SelectedCaption() const override;

    // --- RunView ----------------------------------------------------------------------------
    void SetPanelText(int panel, std::string_view text) override;
    void ShowGauge(int maximum) override;
    void SetGaugePosition(int position) override;
    void HideGauge() override;
    void SetRunButton(const std::string& caption, int image) override;
    void PumpMessages() override;
    void ReportError(const std::string& message) override;

    // --- What the scheduler needs -----------------------------------------------------------
    bool RunInProgress() const { return m_runInProgress; }
    // Steps 1 to 6 of a scheduled run of profile n.
    void RunScheduledProfile(int32_t n);

    // The picture index of list item row, -1 when there is none.
    int ItemImage(int row) const;
    // Whether the tray icon is showing, so that hiding the window leaves a way back.
    bool TrayAvailable() const;
    // Whether the program has been asked to end.
    bool Quitting() const { return m_quitting; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createActions();
    void createToolbar();
    void createProfileList();
    void createStatusBar();
    void createMainMenu();
    void createTrayIcon();
    void createTimers();
    void relabel(const ::UiText& text);
    void loadProfilesAtStartUp();
    void setItemImage(int row, int image);
    enum class RunStart { ByHand, Scheduled };
    // Runs profile n and shows how it ended: the item's picture, and a notice of a failure.
    void runProfile(int32_t n, RunStart start);
    bool stillAt(int32_t n, const Profile& profile) const;
    void tellOfFailure(const std::string& profileName, RunStart start);
    void flushPanels();
    void hideToTray();
    void quitProgram();
    void closeOpenDialogs();
    void watchTray();
    void connectHandler(QAction* action, void (TMain::*handler)(QObject*));
    void connectHandler(QToolButton* button, void (TMain::*handler)(QObject*));
    // Runs a handler; an error that escapes it is shown in the standard error box.
    void guarded(const std::function<void()>& handler);

    MessageBoxes m_dialogs;
    QList<QIcon> m_toolbarPictures;
    QList<QIcon> m_listPictures;
    int m_runButtonImage = RunImage;
    bool m_runInProgress = false;
    bool m_quitting = false;
    RunFailures m_lastRunFailures;
    FailureStreaks m_failureStreaks;
    class TrayNotice* m_trayNotice = nullptr;
    std::unique_ptr<class SchedulerAdapter> m_scheduler;
    std::array<std::string, 4> m_pendingPanels;
    std::array<bool, 4> m_panelDirty{};
    int m_pendingGaugePosition = -1;
    // The times of the last pump and the last repaint on platform's coarse clock, long ago until the first.
    int64_t m_lastPumpMs = std::numeric_limits<int32_t>::min();
    int64_t m_lastPaintMs = std::numeric_limits<int32_t>::min();
    QTimer* m_trayWatch = nullptr;
    QAction* m_gaugeAction = nullptr;
};
