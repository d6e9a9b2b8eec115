#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One open or save question. Extensions are given without the dot ("xml"); an empty list
// allows every file.
struct FileRequest
{
    enum class Kind { OpenFile, SaveFile, ChooseFolder };

    Kind kind = Kind::OpenFile;
    QString title;
    QString directory;
    QString proposedName;
    QStringList allowedExtensions;
    bool allowsMultiple = false;
};

// The file choosers of the application. The window installs QtFileChooser; tests install
// ScriptedFileChooser, which answers from a queue instead of blocking.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The chosen paths; empty when the user cancelled.
    virtual QStringList choose(const FileRequest &request) = 0;

    static QStringList run(const FileRequest &request);
    static FileChooser &instance();
    // nullptr returns to the default, which cancels every request.
    static void setInstance(std::shared_ptr<FileChooser> chooser);
};
