#include "publish/FTPConnection.h"

#include "io/CURLHandle.h"
#include "publish/TransferTranscript.h"
#include "settings/VLXSite.h"

#include <QUrl>

namespace {

QString &caFile()
{
    static QString path;
    return path;
}

} // namespace

void FTPConnection::setCertificateAuthorityFile(const QString &path)
{
    caFile() = path;
}

QString FTPConnection::certificateAuthorityFile()
{
    return caFile();
}

FTPConnection FTPConnection::forSite(const VLXSite &site, const QString &password)
{
    FTPConnection connection;
    connection.user = site.ftpUsername();
    connection.password = password;
    connection.protocol = site.ftpProtocol();
    connection.passive = site.ftpUsePASV() != 0;
    connection.useEPSV = site.ftpUseEPSV() != 0;
    connection.useEPRT = site.ftpUseEPRT() != 0;
    return connection;
}

std::shared_ptr<CURLHandle> FTPConnection::makeHandle(const QUrl &url,
                                                      TransferTranscript &transcript) const
{
    auto handle = CURLHandle::create(url);
    if (!handle)
        return nullptr;
    // Publishing and browsing go straight to the site; other transfers keep the system's proxies.
    handle->setUsesProxy(false);
    CURL *curl = handle->curl();
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.toUtf8().constData());
    transcript.attachTo(curl);
    handle->setUserAgent(CURLHandle::signature());
    handle->setStringOrNumberObject(qlonglong(useEPSV), CURLOPT_FTP_USE_EPSV);
    handle->setStringOrNumberObject(qlonglong(useEPRT), CURLOPT_FTP_USE_EPRT);
    if (protocol == 1) {
        // Explicit TLS on the control and the data connection, or no transfer at all.
        handle->setStringOrNumberObject(qlonglong(CURLUSESSL_ALL), CURLOPT_USE_SSL);
        handle->setStringOrNumberObject(qlonglong(CURLFTPAUTH_TLS), CURLOPT_FTPSSLAUTH);
        if (!caFile().isEmpty())
            handle->setString(caFile(), CURLOPT_CAINFO);
    }
    if (!passive)
        curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    return handle;
}
