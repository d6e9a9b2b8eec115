#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The Creative Commons REST 1.5 conversation, without any window: the request paths, the reading
// of the four replies and the answers document that asks for a licence.
class CreativeCommonsReplies
{
public:
    CreativeCommonsReplies() = delete;

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
