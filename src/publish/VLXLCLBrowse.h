#pragma once

#include "publish/VLXBrowseBase.h"

// The folder browser of the local disks: folders, files and links as the file system holds
// them, in its own order. The home folder is the user's; folders inside it are answered
// relative to it. Any folder the user can read can be reached: the path history starts at the
// home folder, and the top-folder button and the go-to field lead above it. It makes no
// folders: the new-folder field is not shown.
class VLXLCLBrowse : public VLXBrowseBase
{
    Q_OBJECT
public:
    VLXLCLBrowse();

    void getFileListing(const QString &path) override;
    // A full path, one from "~", or one inside the folder shown; only an existing folder is
    // listed.
    bool browseGoTo(const QString &path) override;
    // The path with "~" (or an empty path) standing for the home folder, made full.
    static QString resolvedPath(const QString &path);
    // The entries of a folder (links described, not followed; hidden names left out), in the
    // file system's order; an unreadable folder has none.
    static QList<QVariantMap> listFolder(const QString &folder);

protected:
    void startBrowsing() override;
};
