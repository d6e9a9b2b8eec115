#pragma once

#include "opml/OPMLDocument.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QVariantMap>

class OPMLRowModel;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

// The OPML window: every feed of the feed list with a check box, filled in from the feed files,
// each row editable (opmlEdit), the head's title and owner, Save to write the document and Accept
// to keep the choices in the settings. Without being shown it builds the document of the list.
class opmlView : public QDialog
{
    Q_OBJECT
public:
    explicit opmlView(QWidget *parent = nullptr);
    ~opmlView() override;

    // A copy of the feed-list entries and one row per entry from its feed's settings.
    void setListOfFeeds(const QList<QVariantMap> &listOfFeeds);
    // Runs the window modally: 1 after Accept, 0 after Cancel.
    int showOPMLList();
    // The document of the rows and head fields as they stand.
    QByteArray buildOPML() const;

    OPMLRowModel *rowModel() const { return m_model; }
    OPMLDocument::Head head() const;

    // Fills the rows' missing values from their feed files, with the progress shown.
    void updateFeedInformation();
    // Flips a row's inclusion; false (and a beep) when it cannot be switched on.
    bool checkBoxAction(int row);
    // Edits the selected row.
    void opmlTableAction();
    // Asks for a file and writes the document to it; the window stays open.
    void save();
    void accept() override;

private:
    void showProgress(int done);
    // Tells why the head or a row cannot be stored, when one cannot (a value too long).
    bool refusedToStore();

    QList<QVariantMap> m_listOfFeeds;
    OPMLRowModel *m_model = nullptr;
    QPointer<QLineEdit> m_title;
    QPointer<QLineEdit> m_ownerName;
    QPointer<QLineEdit> m_ownerEMail;
    QPointer<QTableView> m_table;
    QPointer<QPushButton> m_edit;
    QPointer<QProgressBar> m_progress;
    QPointer<QLabel> m_progressText;
};
