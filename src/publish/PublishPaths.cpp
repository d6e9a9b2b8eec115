#include "publish/PublishPaths.h"

#include <QDir>
#include <QStringList>
#include <QUrl>

QString PublishPaths::abbreviateWithTilde(const QString &path)
{
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == u"/")
        return path;
    if (path == home)
        return QStringLiteral("~");
    if (path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

QString PublishPaths::expandTilde(const QString &path)
{
    if (path == u"~")
        return QDir::homePath();
    if (path.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}

QString PublishPaths::lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    const QString stripped = path.left(end);
    const qsizetype slash = stripped.lastIndexOf(u'/');
    if (slash < 0 || stripped == u"/")
        return stripped;
    return stripped.mid(slash + 1);
}

QString PublishPaths::fileNameOfURL(const QString &url)
{
    const QUrl parsed(url.trimmed());
    const QString name = parsed.isValid() ? parsed.fileName(QUrl::FullyDecoded) : QString();
    return name.isEmpty() ? lastPathComponent(url) : name;
}

QString PublishPaths::trimmed(const QString &text)
{
    return text.trimmed();
}

QString PublishPaths::escapeSegments(const QString &path)
{
    QStringList segments = path.split(u'/');
    for (QString &segment : segments)
        segment = QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return segments.join(u'/');
}

QString PublishPaths::partFileName(const QString &name)
{
    return QStringLiteral(".%1.vlx-part").arg(lastPathComponent(name));
}

QString PublishPaths::ftpURL(const QString &host, const QString &folder, const QString &name)
{
    return QStringLiteral("ftp://%1/%2/%3")
        .arg(host, escapeSegments(folder), escapeSegments(lastPathComponent(name)));
}

QString PublishPaths::joinURL(const QString &baseURL, const QString &path)
{
    QString base = baseURL;
    if (!base.endsWith(u'/'))
        base += u'/';
    QString relative = path;
    while (relative.startsWith(u'/'))
        relative.remove(0, 1);
    return base + escapeSegments(relative);
}

QString PublishPaths::localTarget(const QString &folder, const QString &name)
{
    const QString expanded = expandTilde(folder);
    QString target;
    if (expanded.isEmpty())
        target = QDir(QDir::homePath()).filePath(name);
    else if (expanded.startsWith(u'/'))
        target = QDir(expanded).filePath(name);
    else
        target = QDir(QDir(QDir::homePath()).filePath(expanded)).filePath(name);
    return expandTilde(target);
}

QString PublishPaths::trimSlashes(QString path)
{
    while (path.startsWith(u'/'))
        path.remove(0, 1);
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}
