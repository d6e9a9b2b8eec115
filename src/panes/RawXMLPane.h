#pragma once

#include "document/UndoRecord.h"
#include "panes/ExtensionTabs.h"

#include <QWidget>
#include <memory>

class QPushButton;
class VLXTextView;
class extensionNSRaw;

// The pane of an extension kept as raw XML: its text, read-only, and an "Edit" button that opens
// the XML source editor. An edit is one undo step "Edit Raw XML" that also puts back the
// publication date refreshed by it (of the item shown, for a pane in the item tabs). A default
// value of the preferences (an object that allows no undo) is only changed: no feed is touched.
//
// Parsing, laying out and showing a long text would hold the window up for seconds: a text
// longer than a few pages is made ready on a worker once the pane is seen, and a text too long
// to show whole is shown in part, as the other panes show theirs (EditTracker). A feed may
// declare a thousand namespaces, each a pane of the channel's tabs and the items': a pane makes
// its controls when it is first shown (or edited), and until then costs next to nothing.
class RawXMLPane : public ExtensionPane
{
    Q_OBJECT
public:
    explicit RawXMLPane(std::shared_ptr<extensionNSRaw> extension, QWidget *parent = nullptr);

    extensionNSRaw *extension() const { return m_extension.get(); }
    // Shows another extension of the same namespace (the item tabs follow the item shown).
    void setExtension(std::shared_ptr<extensionNSRaw> extension) override;
    // The item whose extension this is (item panes), -1 for the channel and the image.
    void setItemRow(int row) { m_itemRow = row; }
    int itemRow() const { return m_itemRow; }

    void updateInterface();
    void loadData() override { updateInterface(); }
    // An extension without a field table of its class.
    bool fits(const std::shared_ptr<extensionNSRaw> &extension) const override;
    void editRawXML();
    // A fragment pretty-printed for display; text that does not parse is shown as it is.
    static QString reformat(const QString &text);
    // What the pane shows of a text: pretty-printed, in part when too long to show whole.
    static QString textToShow(const QString &text);

signals:
    // The raw XML was changed through the Edit button.
    void rawXMLEdited();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void makeControls();
    void showEdited(const QString &text);
    void prepare();
    UndoRecord editRawXMLUndoRecord(const QString &restore, int row, const QString &pubDate);
    bool inItemTabs() const;

    std::shared_ptr<extensionNSRaw> m_extension;
    VLXTextView *m_view = nullptr; // null until the controls are made
    QPushButton *m_edit = nullptr;
    int m_itemRow = -1;
    // The text shown or being made ready, held so that the same text asked for again (the tabs
    // hand a pane its object, then load it) is known at once; null after an edit.
    QString m_source;
    quint64 m_generation = 0; // a text made ready for an older request is dropped
    bool m_waiting = false; // a long text waits for the pane to be seen
};
