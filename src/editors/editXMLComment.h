#pragma once

#include "editors/SearchStepSheet.h"
#include "ui/VLXTextView.h"

#include <QPointer>
#include <QString>

// The sheet that writes or changes one XML comment of the channel, an item or the image, and a
// step of the search-and-replace walk over those comments (one searchable field: the text).
class editXMLComment : public SearchStepSheet
{
    Q_OBJECT
public:
    explicit editXMLComment(QObject *parent = nullptr);

    void setComment(const QString &comment) { m_commentValue = comment; }
    // The comment made legal inside "<!-- -->": no two hyphens touch and it does not end in one.
    QString comment() const;
    // The text view's current text.
    QString string() const;
    void setTitle(const QString &title) { m_title = title; }
    // Kept for callers that switch it; the text view offers no spell checking here.
    void setContinuousSpellCheckingEnabled(bool enabled) { m_spelling = enabled; }
    bool continuousSpellCheckingEnabled() const { return m_spelling; }

    // Runs the sheet to add or edit; 1 after Accept (read comment()), 0 after Cancel. An empty
    // comment accepted is the caller's to drop.
    int edit();

    void accept() override;

    VLXTextView *textView() const { return m_text; }

    static QString legalComment(const QString &text);

protected:
    void loadInterface() override;
    int searchFieldCount() const override { return 1; }
    QWidget *searchControl(int field) const override;
    void storeField(int field) override;
    void showValueForStep() override;
    void rememberInitialValues() override { m_initialComment = comment(); }
    bool valuesUnchanged() const override { return comment() == m_initialComment; }

private:
    void showComment();

    QPointer<VLXTextView> m_text;
    QString m_commentValue = QString(QLatin1String(""));
    QString m_title;
    bool m_spelling = true;
    QString m_initialComment;
};
