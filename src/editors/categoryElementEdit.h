#pragma once

#include "editors/SearchStepSheet.h"
#include "settings/categoryElement.h"
#include "ui/VLXTextField.h"

#include <QPointer>
#include <QString>

// The sheet that edits one category of the channel or an item (its text and optional domain),
// and a step of the search-and-replace walk over categories with two searchable fields: 0 the
// category text, 1 the domain.
class categoryElementEdit : public SearchStepSheet
{
    Q_OBJECT
public:
    explicit categoryElementEdit(QObject *parent = nullptr);

    // The fields are filled from the value when the sheet is first shown.
    void setCategory(const categoryElement &value) { m_value = value; }
    // The value as Accept and replacements left it.
    const categoryElement &category() const { return m_value; }

    // Runs the sheet to add or edit: 1 after an accepted change (read category()), 0 after
    // Cancel or when both fields were left empty.
    int edit();

    void accept() override;
    // Keeps the edit (the rules of Accept apply), then shows the find panel.
    void orderFrontFindPanel() override;
    // The Help button.
    void help();

    VLXTextField *categoryField() const { return m_categoryField; }
    VLXTextField *categoryDomainField() const { return m_categoryDomainField; }

protected:
    void loadInterface() override;
    int searchFieldCount() const override { return 2; }
    QWidget *searchControl(int field) const override;
    // The stored value, which replacements keep equal to the fields.
    QString fieldSearchText(int field) const override;
    void storeField(int field) override;
    void rememberInitialValues() override;
    bool valuesUnchanged() const override;

private:
    categoryElement m_value;
    QPointer<VLXTextField> m_categoryField;
    QPointer<VLXTextField> m_categoryDomainField;
    QString m_initialCategory;
    QString m_initialDomain;
};
