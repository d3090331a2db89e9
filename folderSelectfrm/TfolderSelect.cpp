#include "folderSelectfrm/TfolderSelect.h"

#include "widgets/FormBuilding.h"
#include "folderSelectfrm/OpenWizard.h"
#include "widgets/WidgetText.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <deque>
#include <optional>

namespace {

// A queued answer of the test seam: a folder for OK, nothing for Cancel.
std::deque<std::optional<std::string>>& QueuedAnswers()
{
    static std::deque<std::optional<std::string>> answers;
    return answers;
}

} // namespace

TfolderSelect::TfolderSelect(const UiText& text, QWidget* parent)
    : DialogWithoutDefaultButtons(parent), m_text(text)
{
    CreateWindow();
    CreateFolderTree();
    CreateButtons();
    FormCreate();
}

TfolderSelect::~TfolderSelect()
{
    // The model borrows the icon provider, which as a member dies before the model would as a child.
    ShellTreeView1->setModel(nullptr);
    delete m_folders;
}

void TfolderSelect::CreateWindow()
{
    setObjectName(QStringLiteral("folderSelect"));
    setWindowTitle(QStringLiteral("folderSelect"));
    ApplyDesignFont(this);
    move(301, 115);
    resize(297, 355);
    Label1 = MakeLabel(this, "Label1", {24, 8});
}

void TfolderSelect::CreateFolderTree()
{
    m_folders = new QFileSystemModel(this);
    m_folders->setObjectName(QStringLiteral("FolderModel"));
    m_folders->setIconProvider(&m_icons);
    m_folders->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    // The tree shows the folders as they were when it opened, as a snapshot, not a live view.
    m_folders->setOption(QFileSystemModel::DontWatchForChanges);
    m_folders->setRootPath(QStringLiteral("/"));

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setGeometry(16, 32, 249, 249);
    ShellTreeView1->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellTreeView1->header()->hide();
    ShellTreeView1->setIndentation(19);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette white = ShellTreeView1->palette();
    white.setColor(QPalette::Base, Qt::white);
    ShellTreeView1->setPalette(white);
}

void TfolderSelect::CreateButtons()
{
    Bmeta = MakeButton(this, "Bmeta", {40, 290, 81, ButtonHeight});
    Bmeta->setText(QStringLiteral("\u039F\u039A")); // Greek capitals Omicron and Kappa
    dxButton3 = MakeButton(this, "dxButton3", {152, 290, 81, ButtonHeight});
    dxButton3->setText(QStringLiteral("Άκυρο"));
    connect(Bmeta, &QPushButton::clicked, this, &TfolderSelect::BmetaClick);
    connect(dxButton3, &QPushButton::clicked, this, &TfolderSelect::dxButton3Click);
}

void TfolderSelect::FormCreate()
{
    SetLabelCaption(Label1, m_text[UiKey::LFolderSelect]);
}

std::string TfolderSelect::SelectedPath() const
{
    const QModelIndexList selected = ShellTreeView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return {};
    return SystemText(m_folders->filePath(selected.first()));
}

void TfolderSelect::HandInFolder(const std::string& folder)
{
    // With no wizard open (the picker that the main window keeps) the choice has nowhere to go.
    if (FolderChoiceHolder* wizard = OpenWizard())
        wizard->SelectedFolder = folder;
}

void TfolderSelect::BmetaClick()
{
    HandInFolder(SelectedPath());
    done(Accepted);
}

void TfolderSelect::dxButton3Click()
{
    done(Rejected);
}

int TfolderSelect::exec()
{
    if (QueuedAnswers().empty())
        return QDialog::exec();
    const std::optional<std::string> answer = QueuedAnswers().front();
    QueuedAnswers().pop_front();
    if (!answer) {
        setResult(Rejected);
        return Rejected;
    }
    HandInFolder(*answer);
    setResult(Accepted);
    return Accepted;
}


void TfolderSelect::AnswerNextWithFolder(const std::string& folder)
{
    QueuedAnswers().push_back(folder);
}

void TfolderSelect::AnswerNextWithCancel()
{
    QueuedAnswers().push_back(std::nullopt);
}

void TfolderSelect::ClearAnswers()
{
    QueuedAnswers().clear();
}

int TfolderSelect::QueuedAnswerCount()
{
    return static_cast<int>(QueuedAnswers().size());
}
