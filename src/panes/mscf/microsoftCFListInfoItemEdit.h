#pragma once

#include "extensions/mscf/ListInfoItem.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <optional>

class QComboBox;
class QLabel;
class QWidget;
class VLXPopUpButton;
class VLXTextField;

// The dialog in which the user makes or changes one Common Feed list entry. Its namespace and
// element menus offer only what the feed's items can be sorted by (the sortable-tag table handed
// in with setSortFields). Choosing a default sort explains, once per dialog and until the user
// ticks "Don't show this message again", that the default's element is kept outside the feed.
// One object per pass of the list editor: run editListInfoItem(), then take item().
class microsoftCFListInfoItemEdit : public QObject
{
    Q_OBJECT
public:
    explicit microsoftCFListInfoItemEdit(QObject *parent = nullptr);
    ~microsoftCFListInfoItemEdit() override;

    // The user default that switches the default-sort notice off (any value does).
    static const QString kNoticeKey; // "Don'tShowMSCFSortDefaultMessage"

    // The sortable-tag table of the feed (prefix to "displayName", "DTDURL", "sortTags").
    void setSortFields(const QVariantMap &sortFields);
    // Runs the dialog modally over the parent's window, showing the entry (none: a new one) of
    // the list row (-1 when adding). 1 after Done, 0 after Cancel.
    int editListInfoItem(QWidget *parent, const std::optional<ListInfoItem> &item, int rowNumber);
    // A new entry made from the controls.
    ListInfoItem item() const;

    // The buttons and menus.
    void done();
    void cancel();
    void helpButton();
    void buttonChanged(QComboBox *menu);
    void displayMessageAboutDefaultSort();

    // The key of the namespace whose "DTDURL" is the URI, "" when none has it.
    QString findPrefixForDTDURL(const QString &uri) const;
    // The strings in ascending order by plain comparison.
    static QStringList sortArray(const QStringList &list);

    QDialog *editWindow() const { return m_editWindow; }
    const QStringList &namespacePrefixes() const { return m_namespacePrefixes; }

private:
    void loadInterface(QWidget *parent);
    void fillElements();
    void showSortControls(bool shown);
    QString selectedPrefix() const;

    QVariantMap m_sortFields;
    QStringList m_namespacePrefixes;
    int m_workingRow = -1;
    bool m_noticeShown = false;

    QPointer<QDialog> m_editWindow;
    VLXPopUpButton *m_type = nullptr;
    VLXPopUpButton *m_ns = nullptr;
    VLXPopUpButton *m_elementPU = nullptr;
    VLXPopUpButton *m_dataType = nullptr;
    VLXTextField *m_label = nullptr;
    VLXPopUpButton *m_isDefault = nullptr;
    QLabel *m_dataLabel = nullptr;
    QLabel *m_defaultLabel = nullptr;
};
