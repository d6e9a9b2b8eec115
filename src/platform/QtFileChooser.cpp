#include "platform/QtFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>

QString QtFileChooser::nameFilter(const QStringList &extensions)
{
    if (extensions.isEmpty())
        return QObject::tr("All files (*)");
    QStringList patterns;
    for (const QString &extension : extensions)
        patterns << QStringLiteral("*.") + extension;
    return QObject::tr("%1 files (%2)")
        .arg(extensions.join(QStringLiteral(", ")).toUpper(), patterns.join(QLatin1Char(' ')));
}

QStringList QtFileChooser::choose(const FileRequest &request)
{
    // On the heap and watched: the dialog is a child of the window it sits over, and when that
    // window goes away while the dialog is open it takes the dialog with it (the request then
    // counts as cancelled).
    QPointer<QFileDialog> chooser = new QFileDialog(QApplication::activeWindow(), request.title);
    QFileDialog &dialog = *chooser;
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setObjectName(QStringLiteral("fileChooser"));
    QString start = request.directory;
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    dialog.setDirectory(start);
    switch (request.kind) {
    case FileRequest::Kind::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.allowsMultiple ? QFileDialog::ExistingFiles
                                                  : QFileDialog::ExistingFile);
        dialog.setNameFilter(nameFilter(request.allowedExtensions));
        break;
    case FileRequest::Kind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(nameFilter(request.allowedExtensions));
        if (!request.allowedExtensions.isEmpty())
            dialog.setDefaultSuffix(request.allowedExtensions.first());
        dialog.selectFile(request.proposedName);
        break;
    case FileRequest::Kind::ChooseFolder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (!chooser)
        return {};
    const QStringList files = accepted ? dialog.selectedFiles() : QStringList();
    delete chooser.data();
    return files;
}
