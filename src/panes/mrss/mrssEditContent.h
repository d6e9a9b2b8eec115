#pragma once

#include "extensions/mrss/mrssRequiredElement.h"
#include "ui/VLXTableDataSource.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <QDialog>
class QWidget;
class VLXImageView;
class VLXPopUpButton;
class VLXTableView;
class VLXTextField;

// The dialog that edits one media:content element: its attributes, its local file (chosen or
// dropped, with the MIME check the item's enclosure has) and the optional elements nested in it.
// One object per use: give it the element (a new one otherwise), run editElement(), and after 1
// read contentValue(). It changes nothing but its own copy of the element.
class mrssEditContent : public QObject, public VLXTableDataSource
{
    Q_OBJECT
public:
    explicit mrssEditContent(QObject *parent = nullptr);
    ~mrssEditContent() override;

    void setContentValue(const mrssRequiredElement &element) { m_content = element; }
    const mrssRequiredElement &contentValue() const { return m_content; }
    // The preferences edit defaults: there the local-file area is left out. Set before running.
    void setRemoveLocalFileBox(bool remove) { m_removeLocalFile = remove; }

    // Runs the dialog modally over the sender's window: 1 after OK, 0 after Cancel.
    int editElement(QWidget *sender);

    void accept();
    void cancel();
    void suggestTypeAction();
    void localFileAction();
    // Takes the file into the dialog's fields; or the (title, message) pair of why not.
    QStringList newLocalEnclosureFile(const QString &path);
    // The nested table's buttons: 1 add, 2 delete, 3 modify.
    void editOptionalTableAction(int tag);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

    QDialog *documentWindow() const { return m_window; }

private:
    void loadInterface(QWidget *parent);
    void showElement();
    void showFileIcon(const QString &path);

    QPointer<QDialog> m_window;
    QWidget *m_localFileLabel = nullptr;
    QWidget *m_localFileBox = nullptr;
    VLXTextField *m_localFilename = nullptr;
    VLXImageView *m_dropTarget = nullptr;
    VLXTableView *m_optionalTable = nullptr;
    mrssRequiredElement m_content;
    bool m_removeLocalFile = false;
};
