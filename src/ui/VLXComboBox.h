#pragma once

#include "ui/TextRange.h"
#include "ui/VLXHelpAnchored.h"

#include <QComboBox>
#include <functional>

class QMimeData;

// An editable combo box of the kit: help anchor, drops decided by its owner, and the highlight
// operations of find and replace on its text.
class VLXComboBox : public QComboBox, public VLXHelpAnchored
{
    Q_OBJECT
public:
    // Opens this control's help topic (the "Help" item and field alerts send it).
    Q_INVOKABLE void showContextHelp() const { VLXHelpAnchored::showContextHelp(); }
    using ValidateDrop = std::function<Qt::DropAction(VLXComboBox *, const QMimeData *)>;
    using AcceptDrop = std::function<bool(VLXComboBox *, const QMimeData *)>;

    explicit VLXComboBox(QWidget *parent = nullptr);
    void setDropHandlers(ValidateDrop validate, AcceptDrop accept);

    TextRange hightlightRange() const;
    void setHighlightRange(TextRange range);
    QString highlightedString() const;
    void replaceHighlightedWithString(const QString &text);

signals:
    void textDidBeginEditing();
    void textDidEndEditing();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    ValidateDrop m_validateDrop;
    AcceptDrop m_acceptDrop;
};
