#pragma once

#include <QString>

// The path and address texts of publishing: where a file goes on each kind of site and how a
// path is shown to the user.
class PublishPaths
{
public:
    // "~/…" for a path inside the home folder, the path unchanged otherwise.
    static QString abbreviateWithTilde(const QString &path);
    // A leading "~" or "~/" becomes the home folder.
    static QString expandTilde(const QString &path);
    // The text after the last "/" (trailing slashes ignored): the remote name of a file or URL.
    static QString lastPathComponent(const QString &path);
    // The file an address names, as the server stores it: the last segment of its path with
    // percent-escapes decoded and without query or fragment ("ep%201.mp3?x=1" -> "ep 1.mp3").
    static QString fileNameOfURL(const QString &url);
    // The temporary name a file is sent under, in its own folder, until it has arrived whole:
    // ".<name>.vlx-part".
    static QString partFileName(const QString &name);
    // Blanks and line ends cut from both ends, as folder fields are read.
    static QString trimmed(const QString &text);
    // The path without its leading and trailing slashes.
    static QString trimSlashes(QString path);

    // "ftp://host/folder/name" with every path segment percent-escaped as UTF-8 ("/" between
    // segments kept). An empty folder gives two slashes before the name: the server's root.
    static QString ftpURL(const QString &host, const QString &folder, const QString &name);
    // The base URL joined with the path, every segment of the path escaped as UTF-8.
    static QString joinURL(const QString &baseURL, const QString &path);
    // Percent-escapes each "/"-separated segment of the path as UTF-8.
    static QString escapeSegments(const QString &path);

    // Where a local site writes a file: the home folder for an empty folder, an absolute folder
    // as it is, anything else under the home folder; "~" is expanded.
    static QString localTarget(const QString &folder, const QString &name);
};
