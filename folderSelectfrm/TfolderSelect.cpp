#include "folderSelectfrm/TfolderSelect.h"

#include "widgets/FormBuilding.h"
#include "folderSelectfrm/FocusWithoutSelectionLook.h"
#include "folderSelectfrm/FolderTreeModel.h"
#include "platform/HomeFolder.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QTreeView>


namespace {

// The top items of the tree: the user's own folders first, then everything else.
std::vector<std::string> TreeRoots()
{
    const std::string home = platform::HomeFolder();
    if (home.empty() || home == "/")
        return {"/"};
    return {home, "/"};
}

} // namespace

std::deque<std::optional<std::string>> TfolderSelect::s_rehearsedAnswers;

TfolderSelect::TfolderSelect(const UiText& text, QWidget* parent)
    : DialogWithoutDefaultButtons(parent), m_text(text)
{
    CreateWindow();
    CreateFolderTree();
    CreateButtons();
    FormCreate();
}

TfolderSelect::~TfolderSelect() = default;

void TfolderSelect::CreateWindow()
{
    setObjectName(QStringLiteral("folderSelect"));
    setWindowTitle(QStringLiteral("folderSelect"));
    ApplyDesignFont(this);
    move(301, 115);
    resize(OuterSize); // until the window system tells how wide its frame is
    Label1 = MakeLabel(this, "Label1", {24, 8});
}

void TfolderSelect::CreateFolderTree()
{
    m_folders = new FolderTreeModel(TreeRoots(), this);
    m_folders->setObjectName(QStringLiteral("FolderModel"));

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setGeometry(16, 32, 249, 249);
    ShellTreeView1->setModel(m_folders);
    ShellTreeView1->header()->hide();
    // The column grows with the widest folder shown and the tree scrolls sideways to it, so a
    // long name is read whole rather than cut short.
    ShellTreeView1->header()->setStretchLastSection(false);
    ShellTreeView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ShellTreeView1->setTextElideMode(Qt::ElideNone);
    ShellTreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ShellTreeView1->setIndentation(19);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellTreeView1->setItemDelegate(new FocusWithoutSelectionLook(ShellTreeView1));
    // White behind the folders only: a palette of the tree's own would key the style's cached branch arrows
    // anew for every picker, and that cache would grow with each one opened.
    QPalette white = ShellTreeView1->viewport()->palette();
    white.setColor(QPalette::Base, Qt::white);
    ShellTreeView1->viewport()->setPalette(white);
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
    return m_folders->PathOf(selected.first());
}

void TfolderSelect::showEvent(QShowEvent* event)
{
    DialogWithoutDefaultButtons::showEvent(event);
    FitOuterSize();
}

void TfolderSelect::moveEvent(QMoveEvent* event)
{
    DialogWithoutDefaultButtons::moveEvent(event);
    // A window manager frames the window after it is shown and moves it as it does.
    FitOuterSize();
}

void TfolderSelect::FitOuterSize()
{
    // Once the user has given the picker a size of their own, it stays.
    if (!isVisible() || m_sizedByUser)
        return;
    if (m_fittedSize && size() != *m_fittedSize) {
        m_sizedByUser = true;
        return;
    }
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    m_fittedSize = OuterSize.shrunkBy(frame);
    if (size() != *m_fittedSize)
        resize(*m_fittedSize);
}

void TfolderSelect::BmetaClick()
{
    m_chosen = SelectedPath();
    done(Accepted);
}

void TfolderSelect::dxButton3Click()
{
    done(Rejected);
}

void TfolderSelect::Open()
{
    if (s_rehearsedAnswers.empty()) {
        open();
        return;
    }
    const std::optional<std::string> answer = s_rehearsedAnswers.front();
    s_rehearsedAnswers.pop_front();
    if (!answer) {
        done(Rejected);
        return;
    }
    m_chosen = *answer;
    done(Accepted);
}
