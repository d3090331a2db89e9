#include "folderSelectfrm/FolderTreeModel.h"

#include "platform/Listing.h"
#include "widgets/WidgetText.h"

namespace {

constexpr int PathRole = Qt::UserRole + 1;      // the folder's path, as bytes
constexpr int ReadRole = Qt::UserRole + 2;      // whether its subfolders have been read

std::string ChildPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// Whether path is folder itself or lies below it.
bool Holds(const std::string& folder, const std::string& path)
{
    if (folder == "/")
        return path.starts_with('/');
    return path == folder || path.starts_with(folder + "/");
}

} // namespace

FolderTreeModel::FolderTreeModel(const std::vector<std::string>& roots, QObject* parent) : QStandardItemModel(parent)
{
    for (const std::string& root : roots)
        appendRow(MakeFolderItem(root, root));
}

QStandardItem* FolderTreeModel::MakeFolderItem(const std::string& path, const std::string& caption) const
{
    auto* item = new QStandardItem(m_icons.icon(QFileIconProvider::Folder), WidgetText(caption));
    item->setData(QByteArray(path.data(), static_cast<qsizetype>(path.size())), PathRole);
    item->setData(false, ReadRole);
    item->setEditable(false);
    return item;
}

std::string FolderTreeModel::PathOf(const QModelIndex& index) const
{
    return index.data(PathRole).toByteArray().toStdString();
}

bool FolderTreeModel::Read(const QModelIndex& index)
{
    return index.data(ReadRole).toBool();
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    // A folder not yet read may hold folders; it shows that it can be opened until it is.
    if (parent.isValid() && !Read(parent))
        return true;
    return QStandardItemModel::hasChildren(parent);
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return parent.isValid() && !Read(parent);
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QStandardItem* folder = itemFromIndex(parent);
    folder->setData(true, ReadRole);
    const std::string path = PathOf(parent);
    QList<QStandardItem*> children;
    for (const std::string& name : platform::VisibleSubfolders(path))
        children << MakeFolderItem(ChildPath(path, name), name);
    if (children.isEmpty()) {
        // No folders inside after all: the mark that it could be opened goes.
        Q_EMIT dataChanged(parent, parent);
        return;
    }
    folder->appendRows(children);
}

QModelIndex FolderTreeModel::IndexOf(const std::string& path)
{
    for (int row = 0; row < rowCount(); ++row) {
        QModelIndex at = index(row, 0);
        if (!Holds(PathOf(at), path))
            continue;
        while (PathOf(at) != path) {
            fetchMore(at);
            QModelIndex next;
            for (int child = 0; child < rowCount(at) && !next.isValid(); ++child)
                if (Holds(PathOf(index(child, 0, at)), path))
                    next = index(child, 0, at);
            if (!next.isValid())
                return {};
            at = next;
        }
        return at;
    }
    return {};
}
