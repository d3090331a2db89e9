#pragma once

#include <QFileIconProvider>
#include <QStandardItemModel>

#include <string>
#include <vector>

// The folders of the picker's tree, read from the file system by their bytes, so that every
// folder shows and hands back its exact path whatever its name's encoding. A folder's subfolders
// are read when it is first opened and not again: the tree is a snapshot, not a live view.
class FolderTreeModel : public QStandardItemModel {
    Q_OBJECT

public:
    // roots: full paths of the top items, in order.
    FolderTreeModel(const std::vector<std::string>& roots, QObject* parent = nullptr);

    // The full path of the folder at index; empty for no folder.
    std::string PathOf(const QModelIndex& index) const;

    // The item of path below the first top item that holds it, reading the folders on the way;
    // invalid when the tree has no such folder.
    QModelIndex IndexOf(const std::string& path);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QStandardItem* MakeFolderItem(const std::string& path, const std::string& caption) const;
    static bool Read(const QModelIndex& index);

    QFileIconProvider m_icons;
};
