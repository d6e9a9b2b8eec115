#pragma once

#include "ui/VLXTextView.h"

// A description view that edits HTML source: Return types a line-break tag, pasted line breaks
// become tags, and the context menu offers "Paste HTML" (verbatim) and "Edit HTML".
class VLXTextViewHTML : public VLXTextView
{
    Q_OBJECT
public:
    explicit VLXTextViewHTML(QWidget *parent = nullptr);

    bool returnIsNL() const { return m_returnIsNL; }
    void setReturnIsNL(bool on) { m_returnIsNL = on; }

    void setEditHTMLSource(std::function<void(VLXTextViewHTML *)> edit)
    {
        m_editHTML = std::move(edit);
    }
    void editHTML();

    // Paste from the clipboard: converted unless Return types plain newlines.
    void pasteConverted();
    // Paste from the clipboard unchanged.
    void pasteHTML();
    // Inserts text over the selection as one edit and selects it; empty text does nothing.
    void insertPasted(QString text);

    static QString pasteWithBRConversions(const QString &text);

    QMenu *buildContextMenu(const QPoint &position) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool m_returnIsNL = false;
    bool m_dropping = false;
    std::function<void(VLXTextViewHTML *)> m_editHTML;
};
