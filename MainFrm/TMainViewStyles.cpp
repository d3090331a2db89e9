// The four view styles of the profile list, chosen from the View menu.
#include "MainFrm/TMain.h"

#include <QAction>
#include <QListWidget>

namespace {

void CheckOnly(QAction* chosen, std::initializer_list<QAction*> all)
{
    for (QAction* item : all)
        item->setChecked(item == chosen);
}

} // namespace

void TMain::LargeIcons1Click(QObject*)
{
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    CheckOnly(LargeIcons1, {LargeIcons1, SmallIcons1, List1, Details1});
}

// The other styles have no picture list to draw from, so they show captions only.
void TMain::SmallIcons1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    CheckOnly(SmallIcons1, {LargeIcons1, SmallIcons1, List1, Details1});
}

void TMain::List1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::TopToBottom);
    ListView1->setWrapping(true);
    CheckOnly(List1, {LargeIcons1, SmallIcons1, List1, Details1});
}

void TMain::Details1Click(QObject*)
{
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setIconSize(QSize(0, 0));
    ListView1->setFlow(QListView::TopToBottom);
    ListView1->setWrapping(false);
    CheckOnly(Details1, {LargeIcons1, SmallIcons1, List1, Details1});
}
