#pragma once

#include "publish/ExportType.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

class QLabel;
class VLXButton;
class VLXCheckBox;
class VLXFeed;
class VLXPopUpButton;
class VLXSpinBox;
class VLXTextField;

// The export sheet of the feed window: turns the loaded feed into an HTML page, a JavaScript
// include, a text file or a CSV file through a template, or into a copy of its XML, and writes
// the result to a file. The choices (template, destination, limits, future items) are kept per
// feed under the feed's identifier; the folders last chosen are kept for all feeds.
//
// The sheet lives as long as the window: the type chosen last stays chosen, and every opening
// fills the paths and options of the feed it is opened for. Its controls are named after their
// outlets ("exportType", "exportTemplate", ...).
class ExportSheet : public QDialog
{
    Q_OBJECT
public:
    // One export type, in pop-up order after the placeholder.
    using Type = ExportType;
    static const QList<Type> &types();
    static const QString kPlaceholder; // "Select Export Type"

    explicit ExportSheet(QWidget *parent = nullptr);

    // export: shows the sheet window-modal for the feed (the loaded one, whose list entry has
    // the identifier and the file name) and returns at once; Done closes it.
    void exportFeed(std::shared_ptr<VLXFeed> feed, const QString &uniqueKey,
                    const QString &feedFileName);

    // The sheet's actions (the controls' signals call them; tests may too).
    void exportTypeChanged();
    void exportTemplateChanged();
    void exportDestinationChanged();
    void exportLimitedChanged();
    // Writes the export; true when the file was written.
    bool exportDoExport();
    void exportDone();

    // The chosen type's row in types(), -1 while the placeholder is shown.
    int chosenType() const;
    // The result line, "" while hidden.
    QString resultText() const;

    // Where a type's template and file go when the feed has none of its own.
    static QString defaultTemplatePath(const Type &type);
    static QString defaultDestination(const Type &type, const QString &feedFileName);
    // Asks for a template file, starting in the folder last used for templates, which then
    // becomes the chosen file's folder. Empty when cancelled.
    static QString chooseTemplate(const QString &title, const QStringList &extensions,
                                  const QString &current);

private:
    void buildInterface();
    void fillForType(const Type &type);
    void showResult(const QString &text);
    void setPathControlsEnabled(bool templates, bool destination);
    // Writes the bytes in one piece, the old file kept until they are all on disk. Empty when
    // written, else why not.
    static QString writeAtomically(const QString &path, const QByteArray &bytes);

    std::shared_ptr<VLXFeed> m_feed;
    QString m_uniqueKey;
    QString m_feedFileName;

    VLXPopUpButton *m_type = nullptr;
    VLXButton *m_templateButton = nullptr;
    VLXTextField *m_template = nullptr;
    VLXButton *m_destinationButton = nullptr;
    VLXTextField *m_destination = nullptr;
    VLXButton *m_exportButton = nullptr;
    VLXCheckBox *m_noFuture = nullptr;
    VLXCheckBox *m_limitItems = nullptr;
    VLXSpinBox *m_limitNumber = nullptr;
    QLabel *m_message = nullptr;
};
