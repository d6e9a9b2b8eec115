#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One way of exporting the loaded feed: through a template into an HTML page, a JavaScript
// include, a text or a CSV file, or as a copy of its XML. The export sheet offers them in this
// order, and an additional file of a publishing site is made by the same types under the same
// numbers.
struct ExportType
{
    const char *title; // "RSS to HTML"
    int engineType; // the template engine's type; the XML export uses the writer
    const char *templateKey; // per-feed setting of the template, "" for XML
    const char *fileKey; // per-feed setting of the destination
    const char *defaultTemplate; // in the user folder's "Templates", "" for XML
    const char *extension; // of the default file name and the destination chooser
    QStringList templateExtensions; // offered by the template chooser
    bool isXML() const { return !*templateKey; }

    static const QList<ExportType> &all();
    // Where a type's template is when the feed has none of its own.
    static QString defaultTemplatePath(const ExportType &type);
    // Asks for a template file, starting in the folder last used for templates, which then
    // becomes the chosen file's folder. Empty when cancelled.
    static QString chooseTemplate(const QString &title, const QStringList &extensions,
                                  const QString &current);
};
