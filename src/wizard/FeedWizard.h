#pragma once

#include "extensions/itunes/iTunesCategory.h"
#include "panes/FeedWizardTool.h"
#include "ui/VLXTableDataSource.h"
#include "wizard/WizardEngine.h"

#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QMimeData;
class QStackedWidget;
class QWidget;
class VLXBox;
class VLXButton;
class VLXCheckBox;
class VLXImageView;
class VLXItems;
class VLXMatrix;
class VLXPopUpButton;
class VLXTableView;
class VLXTextField;
class VLXTextView;
class VLXTextViewHTML;

// The feed and item wizard: one window-modal sheet of pages that leads a user through making a
// new feed with its first items, or new items for the feed being edited. The engine decides
// which page follows which and which handler a button reaches; this class is the window: its
// pages, their controls and the 33 page handlers that check and store what the user typed.
class FeedWizard : public QObject, public FeedWizardTool, public VLXTableDataSource
{
    Q_OBJECT
public:
    explicit FeedWizard(QObject *parent = nullptr);
    ~FeedWizard() override;

    std::shared_ptr<VLXFeed> feedWizard(QWidget *window, const QString &uniqueKey) override;
    bool feedItemWizard(QWidget *window, const QStringList &itemExtensions, bool useEnclosure,
                        bool useiTunes) override;
    VLXFeed::ItemList newItems() const override;

    // The sheet (made on the first run and kept for later ones) and its engine.
    QDialog *window() const { return m_window; }
    WizardEngine &engine() { return m_engine; }
    // A control of the sheet by its name.
    template<typename T = QWidget> T *outlet(const QString &name) const;

    // What every page button does: the handler of the page on show acts on the tag.
    void buttonPress(int tag);
    // "%d of %d" with the position in every position label.
    void updateCountOn(int position);
    // The file's icon in the drop target; none for "" or a missing file.
    void updateLocalFileIconImage(const QString &path);
    // Makes the file the local enclosure file of the item at the index, under the rule every
    // local file follows; nil (empty) on success, else [short title, message].
    QStringList newLocalEnclosureFile(const QString &path, int index);

    // The controls' actions.
    void includeEnclosureChanged();
    void feedCategoryAction(int tag);
    void suggestTypeAction();
    void selectLocalFileAction();

    // The category table's source (VLXTableDataSource).
    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;
    bool tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data) override;
    Qt::DropAction tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                         int row) override;
    bool tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row) override;
    QStringList tableViewDragTypes(VLXTableView *table) override;

    bool eventFilter(QObject *watched, QEvent *event) override;

    // The categories the category page shows.
    const QList<iTunesCategory> &feediTunesCategory() const { return m_categories; }

private:
    // --- The sheet (FeedWizard+Interface.cpp) ---
    void loadInterface(QWidget *parent);
    QWidget *addPage(const QString &identifier, const QString &heading, const QString &text,
                     QList<int> tags);
    void setupHelpAnchors();
    void registerHandlers();
    void pageSelected(const QString &page);

    // --- Runs ---
    int run(QWidget *parent);
    void clearItemControls();
    void showEnclosureGroup(bool shown);

    // --- The pages (FeedWizard+Pages.cpp) ---
    // Cancel, Back and Help as every page has them; true when the tag was one of them.
    bool standardButton(int tag, QWidget *helpControl);
    bool feedTitleEmpty() const;
    void Intro_1(int tag);
    void Feed_type(int tag);
    void Feed_title(int tag);
    void Feed_description(int tag);
    void Feed_link(int tag);
    void Feed_copyright(int tag);
    void Feed_language(int tag);
    void Feed_iTunes_subtitle(int tag);
    void Feed_iTunes_summary(int tag);
    void Feed_iTunes_category(int tag);
    void Feed_iTunes_keywords(int tag);
    void Feed_iTunes_author(int tag);
    void Feed_iTunes_owner(int tag);
    void Feed_iTunes_image(int tag);
    void itemIntro(int tag, bool itemWizard, bool iTunes);
    void itemTitlePage(int tag, bool iTunes);
    void Item_description(int tag);
    void Item_link(int tag);
    void itemEnclosurePage(int tag, bool iTunes);
    void itemITunesTextPage(int tag, QWidget *control, int field);
    void Item_iTunes_duration(int tag);
    void finishPage(int tag, bool iTunes);
    // Shows the item on show's values (with its iTunes values when asked) and its position.
    void showItem(bool iTunes);
    // After the last page of an item: the next item, or the finish page after the last.
    void advanceLoop(bool iTunes);
    void showFeedITunesValues();

    // --- Shared services ---
    void localFileEdited();
    Qt::DropAction validateFileDrop(const QMimeData *data) const;
    bool acceptFileDrop(const QMimeData *data);

    WizardEngine m_engine;
    QPointer<QDialog> m_window;
    QStackedWidget *m_tabView = nullptr;
    QStackedWidget *m_wizardTypeImage = nullptr;

    VLXMatrix *m_chooseFeedType = nullptr;
    VLXTextField *m_feedTitle = nullptr;
    VLXTextViewHTML *m_feedDescription = nullptr;
    VLXTextField *m_feedLink = nullptr;
    VLXTextField *m_feedCopyright = nullptr;
    VLXPopUpButton *m_feedLanguage = nullptr;
    VLXTextField *m_feediTunesSubtitle = nullptr;
    VLXTextView *m_feediTunesSummary = nullptr;
    VLXTableView *m_feediTunesCategoryTable = nullptr;
    VLXButton *m_feediTunesCategoryAdd = nullptr;
    VLXButton *m_feediTunesCategoryDelete = nullptr;
    VLXButton *m_feediTunesCategoryEdit = nullptr;
    VLXTextField *m_feediTunesKeywords = nullptr;
    VLXTextField *m_feediTunesAuthor = nullptr;
    VLXTextField *m_feediTunesOwnerName = nullptr;
    VLXTextField *m_feediTunesOwnerEmail = nullptr;
    VLXTextField *m_feediTunesImage = nullptr;

    VLXTextField *m_itemTitle = nullptr;
    VLXTextViewHTML *m_itemDescription = nullptr;
    VLXTextField *m_itemLink = nullptr;
    VLXCheckBox *m_itemIncludeEnclosure = nullptr;
    VLXTextField *m_itemEnclosureURL = nullptr;
    VLXTextField *m_itemEnclosureLength = nullptr;
    VLXTextField *m_itemEnclosureType = nullptr;
    VLXButton *m_itemEnclosureSuggestType = nullptr;
    VLXBox *m_itemEnclosureLocalFileBox = nullptr;
    VLXTextField *m_itemEnclosureLocalFilename = nullptr;
    VLXImageView *m_itemEnclosureLocalFileDropTarget = nullptr;
    VLXButton *m_itemEnclosureSelectLocalFile = nullptr;
    // The twelve controls of the enclosure that the include box shows and hides together.
    QList<QWidget *> m_enclosureGroup;
    VLXTextField *m_itemiTunesSubtitle = nullptr;
    VLXTextView *m_itemiTunesSummary = nullptr;
    VLXTextField *m_itemiTunesDuration = nullptr;
    VLXTextField *m_itemiTunesKeywords = nullptr;
    VLXTextField *m_itemiTunesAuthor = nullptr;
    QList<QLabel *> m_countLabels;

    QList<iTunesCategory> m_categories;
    // The local file name the field showed before the user typed in it.
    QString m_localFileShown;
};

template<typename T> T *FeedWizard::outlet(const QString &name) const
{
    return m_window ? m_window->findChild<T *>(name) : nullptr;
}
