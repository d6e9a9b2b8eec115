#pragma once

#include <QStringList>

// The languages offered for a feed: titles and RSS language codes read once from the resource
// "LanguageCodes" (one "Title : code" per line). One shared instance lives for the whole run;
// the class-level twins forward to it.
class VLXFeedLanguage
{
public:
    static VLXFeedLanguage &sharedInstance();

    const QStringList &languages() const { return m_languages; }
    QStringList languageTitles() const { return m_languagesTitle; }
    QStringList languageCodes() const { return m_languagesCode; }
    // The title of the first line whose code equals the argument exactly; "" when none.
    QString titleForCode(const QString &code) const;
    // The code of the first line whose title equals the argument exactly; "" when none.
    QString codeForTitle(const QString &title) const;

    static QStringList sharedLanguageTitles() { return sharedInstance().languageTitles(); }
    static QStringList sharedLanguageCodes() { return sharedInstance().languageCodes(); }
    static QString sharedTitleForCode(const QString &code)
    {
        return sharedInstance().titleForCode(code);
    }
    static QString sharedCodeForTitle(const QString &title)
    {
        return sharedInstance().codeForTitle(title);
    }

    // Builds a table from the text of a language resource (also used by tests).
    static VLXFeedLanguage fromText(const QString &text);

private:
    VLXFeedLanguage() = default;

    QStringList m_languages;
    QStringList m_languagesTitle;
    QStringList m_languagesCode;
};
