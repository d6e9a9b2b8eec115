#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The Creative Commons REST 1.5 conversation, without any window: the request paths, the reading
// of the four replies and the answers document that asks for a licence.
//
// A licence service answers in a few kilobytes; a reply is bounded to kMaximumReplySize and read
// off the window's thread (read()), and one that cannot be used says why.
class CreativeCommonsReplies
{
public:
    CreativeCommonsReplies() = delete;

    // The most a reply may hold: far beyond what any step of a licence service sends.
    static constexpr qint64 kMaximumReplySize = 512 * 1024;

    struct Choice
    {
        QString title;
        QString id;
        bool operator==(const Choice &) const = default;
    };
    struct Question
    {
        QString id;
        QString label;
        std::optional<QString> description;
        // One entry per titled child of each enum, each carrying its enum's id.
        QList<Choice> answers;
    };
    struct LicenseClass
    {
        QString id;
        bool hasLabel = false; // the class can be issued (Generate is offered)
        QList<Question> questions; // every field of the reply, in document order
    };
    struct Issued
    {
        QString url;
        QString name;
        QString html;
    };

    // The four replies, in the order they are asked for.
    enum class Step { Locales, Classes, Questions, Issue };
    // What a reply held for its step, or why it cannot be used.
    struct Reply
    {
        QStringList locales;
        QList<Choice> classes;
        std::optional<LicenseClass> licenseClass;
        std::optional<Issued> issued;
        QString failure; // "" when the reply was read
    };
    // Reads the reply of the step (thread-safe, for a worker): its bytes as replyText() makes
    // them, refused when they are larger than kMaximumReplySize, not XML, declare a document type
    // (no service needs one: it only carries entity definitions), lack the step's root element,
    // or, for the questions, give a class or question id that cannot name an element of the
    // answers document.
    static Reply read(Step step, const QByteArray &data, const QString &contentType);

    // Paths below the service's base address.
    static QString localesPath();
    static QString classesPath(const QString &locale);
    static QString questionsPath(const QString &classId, const QString &locale);
    static QString issuePath(const QString &classId);

    // The reply as text: a "text/…" type is decoded as XML text, anything else becomes
    // "There were N bytes of type T" (which no step reads as XML).
    static QString replyText(const QByteArray &data, const QString &contentType);

    // "(id) title" for each locale, sorted case-insensitively; the title is the language of the
    // id lower-cased with "-" for "_" ("" when the language table lacks it).
    static QStringList locales(const QString &reply);
    // The id of a locale entry: what stands between its leading "(" and the first ")".
    static QString localeIdOf(const QString &entry);
    static QList<Choice> classes(const QString &reply);
    // Whether the text can name an element of the answers document on its own (an XML name
    // without a colon).
    static bool isElementName(const QString &text);
    // Nothing when the reply holds no licenseclass.
    static std::optional<LicenseClass> licenseClass(const QString &reply);
    // How many question rows a class shows: 3 for "standard", 2 for "recombo", none otherwise.
    static int rowsFor(const QString &classId);
    // Whether a class offers Generate once its reply arrived.
    static bool offersGenerate(const LicenseClass &licenseClass);
    static std::optional<Issued> issued(const QString &reply);

    // The answers document: the locale line only with a locale, one line per answered row
    // (question id, answer id); every id XML-escaped.
    static QString answers(const QString &locale, const QString &classId,
                           const QList<std::pair<QString, QString>> &rows);
};
