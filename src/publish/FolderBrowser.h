#pragma once

#include <QString>
#include <functional>
#include <memory>

class DMMemberAccount;

// A folder browser as the publish window and the site editor use it: made afresh for each use,
// started from the folder typed in a field, and answering with the folder the user chose. The
// browsers themselves (FTP, online disk, local) are installed through PublishDialogs.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    // Runs the browser modally from the folder; 1 when the user chose a folder (directory()
    // then holds it), 0 when cancelled.
    virtual int browse(const QString &folder, const QString &username, const QString &password) = 0;
    virtual QString directory() const = 0;
};

// What a browser is made for: the kind of site and the options of its transport.
struct FolderBrowserRequest
{
    int siteType = 0; // 1 FTP/FTPS, 2 the online disk, 3 local folders
    QString ftpServer;
    int ftpProtocol = 0; // 0 FTP, 1 FTPS
    bool usePASV = false;
    bool useEPSV = false;
    bool useEPRT = false;
    int useAlternateAccount = 0; // online disk: 0 the system account, else the site's own
    // Online disk: the account the caller has just checked (the site editor's, typed but not
    // stored yet); when null the browser makes its own from the settings.
    std::shared_ptr<DMMemberAccount> dmAccount;
    // Where an FTP browser writes its conversation with the server (the publish window's log);
    // empty when the caller keeps no log.
    std::function<void(const QString &)> transferLog;
};
