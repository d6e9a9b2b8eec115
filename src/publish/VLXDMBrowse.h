#pragma once

#include "publish/DMTransaction.h"
#include "publish/VLXBrowseBase.h"

#include <QFutureWatcher>
#include <memory>

class DMMemberAccount;

// The folder browser of the online disk (WebDAV): the member's "Sites" folder and what lies
// below it. Folders are answered relative to "Sites" ("Sites/feeds" answers "feeds").
//
// The account is the system's (useAlternateAccount 0) or the member named by the user name and
// password given to browse(). Callers check the account before they browse. The transaction
// reads the server's answer on a worker, and the browser makes its rows there too; a listing
// keeps at most FTPListingParser::kListingLimit entries, and the status says when it was cut.
class VLXDMBrowse : public VLXBrowseBase, public DMTransactionDelegate
{
    Q_OBJECT
public:
    VLXDMBrowse();
    ~VLXDMBrowse() override;

    void setUseAlternateAccount(int useAlternateAccount)
    {
        m_useAlternateAccount = useAlternateAccount;
    }
    // An account the caller has checked, used instead of one made from the settings and the
    // alternate-account flag (the site editor browses with what is typed, not yet stored).
    void setAccount(std::shared_ptr<DMMemberAccount> account)
    {
        m_givenAccount = std::move(account);
    }
    int useAlternateAccount() const { return m_useAlternateAccount; }
    const std::shared_ptr<DMMemberAccount> &dotMacMemberAccount() const { return m_account; }

    void getFileListing(const QString &path) override;
    // Makes the folder named in the new-folder field inside the folder shown, then lists that
    // folder again.
    void browseCreateNewFolder() override;

    // The listing entries of a listing's result, hidden names left out; sorted by the caller.
    static QList<QVariantMap> parseFileResult(const QVariantList &result);

    void transactionSuccessful(DMTransaction *transaction) override;
    void transactionHadError(DMTransaction *transaction) override;
    void transactionAborted(DMTransaction *transaction) override;

protected:
    void startBrowsing() override;
    void stopBrowsing() override;
    bool writesHomeAsTilde() const override { return false; }

private:
    void stopListing();
    // Lists a folder; a folder that is not found is told and its parent listed instead.
    void listFolder(const QString &path);
    // Makes the rows of a listing's result on a worker, then shows them.
    void showResultAside(const QVariantList &result, const QString &listedPath, bool truncated);

    int m_useAlternateAccount = 0;
    std::shared_ptr<DMMemberAccount> m_givenAccount;
    std::shared_ptr<DMMemberAccount> m_account;
    std::shared_ptr<DMTransaction> m_listing;
    std::unique_ptr<QFutureWatcher<QList<QVariantMap>>> m_rowsMade;
    // What the listing shown says of the folder asked for that was not found ("" when found).
    QString m_notFound;
};
