#pragma once

#include <QString>
#include <memory>

class CURLHandle;
class QUrl;
class TransferTranscript;
class VLXSite;

// How an FTP or FTPS server is reached: the account and the connection options of a site. The
// publisher and the FTP folder browser make their transfer handles through it, so both talk to
// a server the same way: straight to it (no proxy, whatever the rest of the program uses), the
// user name and password as separate options (a ":" in either needs no escaping), explicit TLS
// on both connections for FTPS, and every exchange caught in a transcript.
class FTPConnection
{
public:
    // The site's options; the password as typed (sites keep none of their own).
    static FTPConnection forSite(const VLXSite &site, const QString &password);

    // A handle for the address with the options above applied, or null when libcurl gives none.
    std::shared_ptr<CURLHandle> makeHandle(const QUrl &url, TransferTranscript &transcript) const;

    // A certificate authority file for FTPS; "" uses the system's store.
    static void setCertificateAuthorityFile(const QString &path);
    static QString certificateAuthorityFile();

    QString user;
    QString password;
    int protocol = 0; // 0 FTP, 1 FTPS
    bool passive = true;
    bool useEPSV = false;
    bool useEPRT = false;
};
