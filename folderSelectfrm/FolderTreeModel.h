#pragma once

#include "platform/Listing.h"

#include <QFileIconProvider>
#include <QPersistentModelIndex>
#include <QStandardItemModel>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The folders of the picker's tree, read from the file system by their bytes, so that every
// folder shows and hands back its exact path whatever its name's encoding. A folder's subfolders
// are read when it is first opened and not again: the tree is a snapshot, not a live view.
//
// They are read off the window's thread and appended when they arrive: a folder on a mount that
// never answers (a dead network share, or a link to one) holds only its own listing, never the
// window, and the model may go while such a listing still waits.
class FolderTreeModel : public QStandardItemModel {
    Q_OBJECT

public:
    // roots: full paths of the top items, in order.
    FolderTreeModel(const std::vector<std::string>& roots, QObject* parent = nullptr);
    ~FolderTreeModel() override;

    // The full path of the folder at index; empty for no folder.
    std::string PathOf(const QModelIndex& index) const;

    // The item of path below the first top item that holds it; it starts the listings of the folders
    // on the way, as opening them does. Invalid until those listings have shown the folders on the
    // way, and where the tree has no such folder.
    QModelIndex IndexOf(const std::string& path);

    // Whether the folder's subfolders have been asked for and are not all shown yet.
    bool BeingListed(const QModelIndex& index) const;

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Mailbox;

    QStandardItem* MakeFolderItem(const std::string& path, const std::string& caption) const;
    void Listed(int ticket, const std::optional<platform::Subfolders>& names);
    void ShowFolders(QStandardItem* folder, const std::vector<std::string>& names);

    QFileIconProvider m_icons;
    std::shared_ptr<Mailbox> m_mailbox;
    std::map<int, QPersistentModelIndex> m_listing; // the folders being listed, by ticket
    int m_nextTicket = 0;
};
