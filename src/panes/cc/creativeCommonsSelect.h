#pragma once

#include "panes/cc/CreativeCommonsLibraryDialog.h"

// The licence picker: the saved licences, from which the user takes one. On 1 the caller reads
// licenseURLString() and licenseNameString() (the HTML is not filled).
class creativeCommonsSelect : public CreativeCommonsLibraryDialog
{
    Q_OBJECT
public:
    explicit creativeCommonsSelect(QWidget *parent = nullptr);

    void accept() override;
    void helpButton();

    // The stored library's name and HTML of a licence; null when it lacks the URL.
    static QString licenseNameForURL(const QString &url);
    static QString licenseHTMLForURL(const QString &url);
};
