// Building the main window: its controls, menus and timers, and the wiring of each to its handler.
#include "MainFrm/TMain.h"

#include "MainFrm/SchedulerAdapter.h"
#include "widgets/FormBuilding.h"
#include "widgets/Gauge.h"
#include "widgets/IconCaptions.h"
#include "widgets/Pictures.h"
#include "widgets/ProgramIcons.h"
#include "widgets/StatusPanels.h"
#include "widgets/TitleBarButtons.h"
#include "widgets/WindowFrame.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

QToolButton* MakeToolButton(const char* name, const QIcon& picture)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(63, 44);
    button->setIconSize(QSize(24, 24));
    button->setIcon(picture);
    // The captions were laid out for a narrow 8-point face; the buttons keep their size.
    ApplyDesignFont(button);
    button->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }"));
    return button;
}

QAction* MakeAction(QObject* owner, const char* name)
{
    auto* action = new QAction(owner);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

TMain::TMain()
    : m_dialogs(this)
    , m_toolbarPictures(ToolbarPictures())
    , m_listPictures(ListPictures())
{
    setObjectName(QStringLiteral("Main"));
    // Title bar with the system menu and the close button only, and no title text.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    KeepMinimiseAndMaximiseOff(this);
    KeepTitleBarBlank(this);
    setWindowIcon(MainIcon());
    ApplyDesignFont(this);
    move(213, 163);
    SetOuterSize(this, QSize(483, 318));

    createActions();
    createToolbar();
    createProfileList();
    createStatusBar();
    createMainMenu();
    createTimers();
    // Until a language is applied.
    relabel(::UiText::BuiltIn());
    m_scheduler = std::make_unique<SchedulerAdapter>(*this);
    createTrayIcon();
}

TMain::~TMain() = default;

void TMain::createActions()
{
    N2 = MakeAction(this, "N2");
    N3 = MakeAction(this, "N3");
    N5 = MakeAction(this, "N5");
    N6 = MakeAction(this, "N6");
    N11 = MakeAction(this, "N11");
    N8 = MakeAction(this, "N8");
    N10 = MakeAction(this, "N10");
    LargeIcons1 = MakeAction(this, "LargeIcons1");
    SmallIcons1 = MakeAction(this, "SmallIcons1");
    List1 = MakeAction(this, "List1");
    Details1 = MakeAction(this, "Details1");
    N13 = MakeAction(this, "N13");
    N14 = MakeAction(this, "N14");
    N15 = MakeAction(this, "N15");
    N9 = MakeAction(this, "N9");
    for (size_t i = 0; i < LanguageItems.size(); ++i) {
        const std::string name = "a" + std::to_string(i + 1);
        LanguageItems[i] = MakeAction(this, name.c_str());
        LanguageItems[i]->setText(QString::fromStdString(name));
        LanguageItems[i]->setVisible(false);
        connect(LanguageItems[i], &QAction::triggered, this,
                [this, i] { guarded([this, i] { LanguageItemClick(static_cast<int>(i)); }); });
    }
    N16 = MakeAction(this, "N16");
    mnuInfo = MakeAction(this, "mnuInfo");
    mnuQuit = MakeAction(this, "mnuQuit");

    for (QAction* style : {LargeIcons1, SmallIcons1, List1, Details1})
        style->setCheckable(true);

    connectHandler(N3, &TMain::ToolButton8Click);
    connectHandler(N5, &TMain::ToolButton12Click);
    // The File menu's Delete deletes, as its caption says.
    connectHandler(N6, &TMain::ToolButton9Click);
    connectHandler(N11, &TMain::ToolButton10Click);
    connectHandler(N8, &TMain::N8Click);
    connectHandler(LargeIcons1, &TMain::LargeIcons1Click);
    connectHandler(SmallIcons1, &TMain::SmallIcons1Click);
    connectHandler(List1, &TMain::List1Click);
    connectHandler(Details1, &TMain::Details1Click);
    connectHandler(N13, &TMain::N13Click);
    connectHandler(N14, &TMain::N14Click);
    connectHandler(N9, &TMain::N9Click);
    connectHandler(N16, &TMain::N13Click);
    connectHandler(mnuInfo, &TMain::mnuInfoClick);
    connectHandler(mnuQuit, &TMain::mnuQuitClick);
}

void TMain::createToolbar()
{
    ToolBar3 = addToolBar(QString());
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setMovable(false);
    ToolBar3->setFloatable(false);
    ToolBar3->setFixedHeight(48);
    ToolBar3->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar3->setStyleSheet(QStringLiteral("QToolBar { border-top: 1px solid palette(mid); "
                                           "border-bottom: 1px solid palette(mid); spacing: 0px; }"));

    Image4 = new QLabel;
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setPixmap(GripPicture());
    Image4->setFixedSize(5, 44);
    Image4->setCursor(Qt::SizeHorCursor);
    ToolBar3->addWidget(Image4);

    ToolButton8 = MakeToolButton("ToolButton8", m_toolbarPictures[0]);
    ToolButton9 = MakeToolButton("ToolButton9", m_toolbarPictures[1]);
    ToolButton10 = MakeToolButton("ToolButton10", m_toolbarPictures[2]);
    ToolButton12 = MakeToolButton("ToolButton12", m_toolbarPictures[3]);
    ToolBar3->addWidget(ToolButton8);
    ToolBar3->addWidget(ToolButton9);
    ToolBar3->addWidget(ToolButton10);
    auto* gap = new QWidget;
    gap->setObjectName(QStringLiteral("ToolButton11"));
    gap->setFixedWidth(8);
    ToolBar3->addWidget(gap);
    ToolBar3->addWidget(ToolButton12);

    GroupBox1 = new QGroupBox;
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFixedSize(180, 44);
    Gauge1 = new Gauge(GroupBox1);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setGeometry(2, 22, 176, 14);
    Gauge1->setRange(0, 1);
    Gauge1->setValue(0);
    m_gaugeAction = ToolBar3->addWidget(GroupBox1);
    m_gaugeAction->setVisible(false);
    auto* end = new QWidget;
    end->setObjectName(QStringLiteral("ToolButton13"));
    end->setFixedWidth(2);
    ToolBar3->addWidget(end);

    connectHandler(ToolButton8, &TMain::ToolButton8Click);
    connectHandler(ToolButton9, &TMain::ToolButton9Click);
    connectHandler(ToolButton10, &TMain::ToolButton10Click);
    connectHandler(ToolButton12, &TMain::ToolButton12Click);
}

void TMain::createProfileList()
{
    ListView1 = new QListWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    // A caption renamed in place would name no profile for Settings or Delete, and Items.txt would
    // never learn of it: a profile is renamed on the wizard's name page instead.
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setWordWrap(true);
    ListView1->setItemDelegate(new IconCaptions(ListView1));
    setCentralWidget(ListView1);
}

void TMain::createStatusBar()
{
    auto* bar = new FixedPanelBar({80, 250, 80, 50});
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(19);
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
    for (size_t i = 0; i < StatusBar1.size(); ++i) {
        StatusBar1[i] = bar->Panel(i);
        StatusBar1[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
    }
}

void TMain::createMainMenu()
{
    auto* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto* file = new QMenu(this);
    file->setObjectName(QStringLiteral("FileMenu"));
    file->addActions({N3});
    file->addSeparator()->setObjectName(QStringLiteral("N4"));
    file->addActions({N5, N6, N11});
    file->addSeparator()->setObjectName(QStringLiteral("N7"));
    file->addAction(N8);
    N2->setMenu(file);

    auto* view = new QMenu(this);
    view->setObjectName(QStringLiteral("ViewMenu"));
    view->addActions({LargeIcons1, SmallIcons1, List1, Details1});
    view->addSeparator()->setObjectName(QStringLiteral("N12"));
    view->addActions({N13, N14});
    N10->setMenu(view);

    auto* languages = new QMenu(this);
    languages->setObjectName(QStringLiteral("LanguageMenu"));
    for (QAction* item : LanguageItems)
        languages->addAction(item);
    N15->setMenu(languages);

    bar->addAction(N2);
    bar->addAction(N10);
    bar->addAction(N15);
    bar->addAction(N9);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(N16);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N17"));
    PopupMenu1->addAction(mnuInfo);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    PopupMenu1->addAction(mnuQuit);
}

void TMain::createTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(Timer1); }); });
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(2000);
    connect(Timer3, &QTimer::timeout, this, [this] { guarded([this] { Timer3Timer(Timer3); }); });
    Timer1->start();
    Timer3->start();
}

void TMain::connectHandler(QAction* action, void (TMain::*handler)(QObject*))
{
    connect(action, &QAction::triggered, this, [this, action, handler] {
        guarded([this, action, handler] { (this->*handler)(action); });
    });
}

void TMain::connectHandler(QToolButton* button, void (TMain::*handler)(QObject*))
{
    connect(button, &QToolButton::clicked, this, [this, button, handler] {
        guarded([this, button, handler] { (this->*handler)(button); });
    });
}

void TMain::guarded(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        m_dialogs.ShowError(error.what());
    }
}
