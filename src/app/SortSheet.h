#pragma once

#include <QDialog>
#include <QStringList>
#include <QVariantMap>

class VLXPopUpButton;

// The sort sheet of the feed window: one sortable element of the items (a core element or one
// of an extension, "prefix:name"), a comparison (alphabetic, numeric or by date) and a
// direction. Choosing an element proposes the comparison its type calls for; the user may still
// change it. The sheet only asks: the window sorts when it is accepted.
class SortSheet : public QDialog
{
    Q_OBJECT
public:
    enum Comparison { Alphabetic = 0, Numeric = 1, Date = 2 };

    // The catalogue is the feed's sortable tags ("" for the core elements, one key per
    // extension prefix); the prefixes come in the order of the feed's extension manager.
    SortSheet(const QVariantMap &sortableTags, const QStringList &extensionOrder,
              QWidget *parent = nullptr);

    // The titles of the field menu: the core elements, then each extension's "prefix:name"
    // titles, each group in ascending order.
    static QStringList fieldTitles(const QVariantMap &sortableTags,
                                   const QStringList &extensionOrder);
    // The comparison a field's declared type calls for ("date" Date, "number" Numeric); a field
    // of a namespace that is not well supported stays Alphabetic.
    static Comparison comparisonForField(const QVariantMap &sortableTags, const QString &title);

    QString field() const;
    Comparison comparison() const;
    bool ascending() const;

    // sortSortFieldChanged:, sortHelp: (sortSort: and sortCancel: are accept() and reject()).
    void sortSortFieldChanged();
    void sortHelp();

private:
    QVariantMap m_sortFields;
    VLXPopUpButton *m_field = nullptr;
    VLXPopUpButton *m_type = nullptr;
    VLXPopUpButton *m_direction = nullptr;
};
