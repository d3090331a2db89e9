#include "folderSelectfrm/FolderTreeModel.h"

#include "platform/Listing.h"
#include "widgets/WidgetText.h"

#include <mutex>

namespace {

constexpr int PathRole = Qt::UserRole + 1;      // the folder's path, as bytes
constexpr int StateRole = Qt::UserRole + 2;     // how far its subfolders have been read: a State

enum State { Unread, Listing, Read };

State StateOf(const QModelIndex& index)
{
    return static_cast<State>(index.data(StateRole).toInt());
}

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

// What the listing threads share with the model: the model while it lives. A thread hands its names
// over under the lock, which the model's destruction takes too, so that a listing that outlives the
// model finds nobody to hand them to; one handed over just before finds its call dropped with the
// model.
struct FolderTreeModel::Mailbox {
    std::mutex lock;
    FolderTreeModel* model = nullptr;
};

FolderTreeModel::FolderTreeModel(const std::vector<std::string>& roots, QObject* parent)
    : QStandardItemModel(parent), m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->model = this;
    for (const std::string& root : roots)
        appendRow(MakeFolderItem(root, root));
}

FolderTreeModel::~FolderTreeModel()
{
    const std::lock_guard hold(m_mailbox->lock);
    m_mailbox->model = nullptr;
}

QStandardItem* FolderTreeModel::MakeFolderItem(const std::string& path, const std::string& caption) const
{
    auto* item = new QStandardItem(m_icons.icon(QFileIconProvider::Folder), WidgetText(caption));
    item->setData(QByteArray(path.data(), static_cast<qsizetype>(path.size())), PathRole);
    item->setData(Unread, StateRole);
    item->setEditable(false);
    return item;
}

std::string FolderTreeModel::PathOf(const QModelIndex& index) const
{
    return index.data(PathRole).toByteArray().toStdString();
}

bool FolderTreeModel::BeingListed(const QModelIndex& index) const
{
    return StateOf(index) == Listing;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    // A folder not yet read may hold folders; it shows that it can be opened until it is.
    if (parent.isValid() && StateOf(parent) != Read)
        return true;
    return QStandardItemModel::hasChildren(parent);
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return parent.isValid() && StateOf(parent) == Unread;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    itemFromIndex(parent)->setData(Listing, StateRole);
    const int ticket = m_nextTicket++;
    m_listing.emplace(ticket, parent);
    // The thread holds the mailbox alone, never the model, which may be gone by the time it ends.
    auto handOver = [mailbox = m_mailbox, ticket](std::optional<platform::Subfolders> names) {
        const std::lock_guard hold(mailbox->lock);
        FolderTreeModel* model = mailbox->model;
        if (!model)
            return;
        const auto deliver = [model, ticket, names = std::move(names)] { model->Listed(ticket, names); };
        QMetaObject::invokeMethod(model, deliver, Qt::QueuedConnection);
    };
    platform::VisibleSubfoldersInBackground(PathOf(parent), std::move(handOver));
}

void FolderTreeModel::Listed(int ticket, const std::optional<platform::Subfolders>& names)
{
    const auto listing = m_listing.find(ticket);
    if (listing == m_listing.end())
        return;
    const QPersistentModelIndex parent = listing->second;
    if (!names || names->complete)
        m_listing.erase(listing);
    if (!parent.isValid())
        return;
    QStandardItem* folder = itemFromIndex(parent);
    if (!names) {
        // Not listed at all (no thread to be had): opening it again tries again.
        folder->setData(Unread, StateRole);
        return;
    }
    if (names->complete)
        folder->setData(Read, StateRole);
    ShowFolders(folder, names->names);
    if (folder->rowCount() == 0) {
        // No folders inside after all: the mark that it could be opened goes.
        Q_EMIT dataChanged(parent, parent);
    }
}

void FolderTreeModel::ShowFolders(QStandardItem* folder, const std::vector<std::string>& names)
{
    const std::string path = PathOf(folder->index());
    if (folder->rowCount() == 0) {
        QList<QStandardItem*> children;
        for (const std::string& name : names)
            children << MakeFolderItem(ChildPath(path, name), name);
        folder->appendRows(children);
        return;
    }
    // The rows shown are some of names, in their order: the others go in between.
    int row = 0;
    for (const std::string& name : names) {
        const std::string child = ChildPath(path, name);
        if (row >= folder->rowCount() || PathOf(folder->child(row)->index()) != child)
            folder->insertRow(row, MakeFolderItem(child, name));
        ++row;
    }
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
