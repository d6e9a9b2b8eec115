#include "platform/QtHelpService.h"

#include "platform/HelpWindow.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

QtHelpService::QtHelpService(const QString &bookFolder)
{
    index(bookFolder);
}

QtHelpService::~QtHelpService()
{
    // Widgets can only go while the application object exists.
    if (QCoreApplication::instance())
        delete m_window;
}

void QtHelpService::index(const QString &folder)
{
    static const QRegularExpression anchorPattern(
        QStringLiteral("<a\\s+(?:name|id)\\s*=\\s*\"([^\"]+)\""),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression titlePattern(QStringLiteral("<title>([^<]*)</title>"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const QDir dir(folder);
    QStringList files = dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    // The start page leads the contents.
    if (files.removeOne(QStringLiteral("index.html")))
        files.prepend(QStringLiteral("index.html"));
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        const QString path = dir.filePath(name);
        const QUrl url = path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path)
                                                           : QUrl::fromLocalFile(path);
        const auto title = titlePattern.match(text);
        m_pages.append({title.hasMatch() ? title.captured(1).trimmed() : name, url});
        for (auto it = anchorPattern.globalMatch(text); it.hasNext();) {
            const QString anchor = it.next().captured(1);
            if (!m_anchors.contains(anchor))
                m_anchors.insert(anchor, url);
        }
    }
}

QUrl QtHelpService::urlForAnchor(const QString &anchor) const
{
    QUrl url = m_anchors.value(anchor);
    if (url.isValid())
        url.setFragment(anchor);
    return url;
}

bool QtHelpService::lookupAnchor(const QString &anchor)
{
    const QUrl url = urlForAnchor(anchor);
    if (!url.isValid()) {
        qInfo().noquote() << "Help book has no topic" << anchor;
        return false;
    }
    if (!m_window) {
        m_window = new HelpWindow;
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        m_window->setContents(m_pages);
    }
    m_window->showPage(url);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

void QtHelpService::openAnchor(const QString &anchor)
{
    lookupAnchor(anchor);
}
