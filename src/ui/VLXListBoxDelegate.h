#pragma once

#include <QString>
#include <Qt>

class QMimeData;
class VLXListBox;

// What a list box asks of its owner. The two data operations are needed for a reload; the others
// have the answers of an owner that does not care (select freely, refuse drops).
class VLXListBoxDelegate
{
public:
    virtual ~VLXListBoxDelegate() = default;

    virtual int numberOfRowsInListBox(VLXListBox *listBox) = 0;
    virtual QString listBoxObjectValueForRow(VLXListBox *listBox, int row) = 0;
    virtual bool listBoxShouldSelectRow(VLXListBox *, int) { return true; }
    virtual void listBoxNewRowSelected(VLXListBox *, int) { }
    virtual Qt::DropActions listBoxValidateDrop(VLXListBox *, const QMimeData *) { return {}; }
    virtual bool listBoxAcceptDrop(VLXListBox *, const QMimeData *) { return false; }
};
