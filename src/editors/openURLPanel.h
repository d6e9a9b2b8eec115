#pragma once

#include "editors/SearchStepSheet.h"
#include "ui/VLXButton.h"
#include "ui/VLXComboBox.h"

#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QMimeData;

// Asks for one URL. Open mode: a sheet on a window with the recently used URLs in its combo box
// (opening a feed from the web, downloading the image, importing items). Editor mode: a one-URL
// editor with its own title, used by the extension editors. And a step of the search-and-replace
// walk over one URL value (one searchable field: the combo box text).
class openURLPanel : public SearchStepSheet
{
    Q_OBJECT
public:
    explicit openURLPanel(QObject *parent = nullptr);

    // Recently accepted URLs, most recent first; Accept moves the URL to the front.
    void setHistory(const QStringList &history);
    const QStringList &history() const { return m_historyArray; }
    // How many URLs the history keeps: the user default "MaximumRecentDocumentCount", 10 when
    // unset or not positive.
    static int maximumHistoryCount();
    static const QString kMaximumHistoryCountKey;

    // Open mode: a sheet on the window; 1 after Accept (read URLs() and history()), 0 after
    // Cancel.
    int showOpenURLPanel(QWidget *window);
    // Open mode over a history kept in the user default under the key (stored back after
    // Accept, without the passwords typed into addresses): the URL accepted, nothing after
    // Cancel.
    static std::optional<QUrl> askForURL(QWidget *window, const QString &historyKey);

    // Editor mode (a title also makes Accept check the URL) and the URL to edit.
    void setEditWindowTitle(const QString &title) { m_windowTitle = title; }
    void setURLString(const QString &url) { m_previous = url; }
    int editURL();

    // The combo box's current text.
    QString URLString() const;
    // The URL of the trimmed text; empty when the text does not form a URL.
    QList<QUrl> URLs() const;

    void accept() override;
    // Puts back the URL given (or found when the sheet was shown) and ends with 0.
    void cancel() override;

    // Drops onto the combo box: URLs from elsewhere are taken, local files are refused.
    Qt::DropAction comboBoxValidateDrop(VLXComboBox *comboBox, const QMimeData *data) const;
    bool comboBoxAcceptDrop(VLXComboBox *comboBox, const QMimeData *data);

    VLXComboBox *fileComboBox() const { return m_fileComboBox; }
    QPushButton *acceptButton() const { return m_acceptButton; }

protected:
    void loadInterface() override;
    int searchFieldCount() const override { return 1; }
    QWidget *searchControl(int field) const override;
    // Replacements change only the combo box's text.
    void storeField(int) override { }
    void showValueForStep() override;
    void rememberInitialValues() override { m_initialURL = m_previous; }
    bool valuesUnchanged() const override { return URLString() == m_initialURL; }

private:
    void showHistory();
    void setText(const QString &text);

    QPointer<VLXComboBox> m_fileComboBox;
    QPointer<QPushButton> m_acceptButton;
    QString m_previous;
    QString m_windowTitle;
    QStringList m_historyArray;
    QString m_initialURL;
};
