#pragma once

#include "editors/EditorSheet.h"

#include <QString>

class VLXCheckBox;
class VLXTextField;

// The sheet that asks for a link's text, its URL and whether it opens a new window. The editor
// makes one for a new link or for an A of the document (which the sheet keeps by the key the
// editor's script gave it), and hears the outcome through the done callback (1 OK, 0 Cancel)
// once the sheet is out of sight; then it reads the values and drops the sheet.
class editLink : public EditorSheet
{
    Q_OBJECT
public:
    // Shows the sheet on the parent window at once. `node` is the key of the A being edited, 0
    // for a new link.
    editLink(QWidget *parentWindow, int node, const QString &text, const QString &link,
             int newBrowser, Done done, QObject *parent = nullptr);

    // The fields as typed (not trimmed).
    QString linkText() const;
    QString linkURL() const;
    int linkNewBrowser() const;
    int elementNode() const { return m_elementNode; }

    void editLinkButtonOK();
    void editLinkButtonCancel();

    // A link URL the sheets refuse: blank once trimmed, only "http://", or no URL even with its
    // characters escaped (as ISO Latin-1).
    static bool isBlankLinkURL(const QString &url);

private:
    VLXTextField *m_text = nullptr;
    VLXTextField *m_url = nullptr;
    VLXCheckBox *m_newBrowser = nullptr;
    int m_elementNode = 0;
};
