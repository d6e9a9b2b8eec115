#include "publish/ExportType.h"

#include "platform/ApplicationIdentity.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kLastTemplatePath = QStringLiteral("LastFeedTemplatePath");
} // namespace

const QList<ExportType> &ExportType::all()
{
    static const QList<ExportType> table {
        {"RSS to HTML",
         0,
         "Export_CF_HTML_Template",
         "Export_CF_HTML_File",
         "BasicWebpage.html",
         "html",
         {QStringLiteral("html"), QStringLiteral("htm")}},
        {"RSS to JavaScript",
         1,
         "Export_CF_JavaScript_Template",
         "Export_CF_JavaScript_File",
         "BasicJavaScript.js",
         "js",
         {QStringLiteral("js")}},
        {"RSS to Text",
         2,
         "Export_CF_Text_Template",
         "Export_CF_Text_File",
         "BasicTextfile.txt",
         "txt",
         {QStringLiteral("txt")}},
        {"RSS to CSV",
         3,
         "Export_CF_CSV_Template",
         "Export_CF_CSV_File",
         "BasicCSVfile.csv",
         "csv",
         {QStringLiteral("csv")}},
        {"RSS to XML", 4, "", "Export_CF_XML_File", "", "xml", {}},
    };
    return table;
}

QString ExportType::defaultTemplatePath(const ExportType &type)
{
    return QDir(ApplicationIdentity::userFolder())
        .filePath(QStringLiteral("Templates/") + QLatin1String(type.defaultTemplate));
}

QString ExportType::chooseTemplate(const QString &title, const QStringList &extensions,
                                   const QString &current)
{
    DefaultsStore &defaults = VLXPreferences::sharedInstance().store();
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = title;
    request.directory = defaults.string(kLastTemplatePath).value_or(QDir::homePath());
    request.proposedName = QFileInfo(current).fileName();
    request.allowedExtensions = extensions;
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return {};
    defaults.setObject(QFileInfo(chosen.first()).absolutePath(), kLastTemplatePath);
    return chosen.first();
}
