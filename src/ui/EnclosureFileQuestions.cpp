#include "ui/EnclosureFileQuestions.h"

#include "model/mimeTypes.h"
#include "platform/AlertService.h"
#include "platform/FileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

QString EnclosureFileQuestions::suggestMIMEType(const QString &url, void (*beep)())
{
    const QString type = mimeTypes::sharedMimeTypeForPath(url);
    if (type.isEmpty()) {
        (beep ? beep : &QApplication::beep)();
        return {};
    }
    Alert suggestion;
    suggestion.style = Alert::Style::Informational;
    suggestion.title = QStringLiteral("Suggested MIME Type");
    // Both arguments go in at once: a "%" in the URL is text, never a place for an argument.
    suggestion.message
        = QStringLiteral("\"%1\" is the suggested MIME type for the file %2").arg(type, url);
    suggestion.defaultButton = QStringLiteral("Apply");
    suggestion.alternateButton = QStringLiteral("Close");
    return AlertService::show(suggestion) == AlertService::kDefault ? type : QString();
}

QString EnclosureFileQuestions::chooseEnclosureFile(const QString &currentPath)
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = QStringLiteral("Select Enclosure File");
    if (currentPath.isEmpty()) {
        request.directory = QDir::homePath();
    } else {
        request.directory = QFileInfo(currentPath).absolutePath();
        request.proposedName = QFileInfo(currentPath).fileName();
    }
    const QStringList chosen = FileChooser::run(request);
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

void EnclosureFileQuestions::tellRefusal(const QStringList &refused)
{
    if (refused.isEmpty() || refused.first() == QLatin1String("Canceled"))
        return;
    QApplication::beep();
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = refused.value(0);
    alert.message = refused.value(1);
    alert.defaultButton = QStringLiteral("OK");
    AlertService::show(alert);
}
