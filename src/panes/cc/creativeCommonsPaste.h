#pragma once

#include "panes/cc/CreativeCommonsLibraryDialog.h"

class QLineEdit;

// The paste dialog: the saved licences with the selected one's name, URL and HTML, and three
// buttons that put one of them on the clipboard as plain text. It preselects the licence of the
// feed or item (when the caller gives one), else the licence pasted last time.
class creativeCommonsPaste : public CreativeCommonsLibraryDialog
{
    Q_OBJECT
public:
    explicit creativeCommonsPaste(QWidget *parent = nullptr);

    // The first licence of the feed or item being edited; "" for none.
    void setFeedLicenseURLString(const QString &url) { m_feedLicenseURL = url; }
    QString feedLicenseURLString() const { return m_feedLicenseURL; }

    int selectLicense(QWidget *sender) override;

    void pasteName();
    void pasteURL();
    void pasteHTML();

    static QString licenseNameForURL(const QString &url);
    static QString licenseHTMLForURL(const QString &url);

protected:
    void rowsChanged() override { rowSelected(); }

private:
    void rowSelected();
    void paste(const QString &text);

    QString m_feedLicenseURL;
    QLineEdit *m_licenseName = nullptr;
    QLineEdit *m_licenseURL = nullptr;
    QLineEdit *m_licenseHTML = nullptr;
};
