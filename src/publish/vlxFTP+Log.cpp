// The transfer log of a run: header, a block per file, failures and the summary.
#include "io/CURLHandle.h"
#include "model/DatePattern.h"
#include "model/TitledElement.h"
#include "publish/DMMemberAccount.h"
#include "publish/vlxFTP.h"
#include "settings/VLXSite.h"

namespace {

const QString kRule = QString(38, u'=');

} // namespace

void vlxFTP::clearLog()
{
    m_transferLog.clear();
    if (m_view)
        m_view->transferLogCleared();
}

void vlxFTP::appendLog(const QString &text)
{
    m_transferLog += text;
    if (m_view)
        m_view->transferLogAppended(text);
}

void vlxFTP::appendHeader()
{
    // The signature the program installed at start, the text its transfers send as user agent.
    QString header = kRule + u'\n' + CURLHandle::signature() + u'\n' + kRule + u'\n';
    switch (m_site->type()) {
    case 1:
        header += QStringLiteral("FTP SERVER: %1\nUSERNAME: %2\n")
                      .arg(m_site->ftpServer(), m_site->ftpUsername());
        break;
    case 2:
        header += QStringLiteral("Publish to .Mac\nUSERNAME: %1\n")
                      .arg(m_dotMacAccount ? m_dotMacAccount->name() : QString());
        break;
    default:
        header += QStringLiteral("Publish to Local Disks\n");
        break;
    }
    appendLog(header + kRule + QStringLiteral("\n\n"));
}

void vlxFTP::appendFileBlock(const QString &folder, const QString &name)
{
    appendLog(kRule + QStringLiteral("\nREMOTE PATH: %1\nREMOTE FILENAME: %2\n").arg(folder, name)
              + kRule + QStringLiteral("\n\n"));
}

void vlxFTP::appendTransferFailed(const QString &reason)
{
    appendLog(QStringLiteral("Transfer failed with error: %1\n\n").arg(reason));
}

void vlxFTP::appendSummary()
{
    appendLog(QStringLiteral("\n\nSUMMARY OF PUBLISHING RESULTS:\n%1\n%2\n")
                  .arg(QString(30, u'='), m_publishResults.join(u'\n')));
}

QString vlxFTP::lastPublishedText(const QDateTime &date)
{
    if (!date.isValid() || date == TitledElement::neverUploaded())
        return QStringLiteral("Last Published: Never");
    static const DatePattern pattern(u"%m/%d/%Y %H:%M:%S");
    return QStringLiteral("Last Published: %1").arg(pattern.write(date.toLocalTime()));
}
