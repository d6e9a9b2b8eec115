#include "extensions/cc/CreativeCommonsReplies.h"

#include "io/VLXParseFeed.h"
#include "model/VLXFeedLanguage.h"
#include "model/VLXLogic.h"
#include "xml/vlxXMLDOM.h"

#include <QUrl>
#include <algorithm>
#include <libxml/tree.h>

namespace {

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// Calls back for each element child of the node, in document order.
template<class F> void eachElement(const vlxXMLNode *node, F &&call)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element)
            call(child, vlxXMLDOM::nameOfNode(child));
    }
}

QString textOf(const vlxXMLNode *node)
{
    return vlxXMLDOM::descriptionOfNode(node).trimmed();
}

CreativeCommonsReplies::Question questionOf(const vlxXMLNode *field)
{
    CreativeCommonsReplies::Question question;
    question.id = vlxXMLDOM::attributeOfNode(field, QStringLiteral("id"));
    eachElement(field, [&](const vlxXMLNode *child, const QString &name) {
        if (name == QLatin1String("label")) {
            question.label = textOf(child);
        } else if (name == QLatin1String("description")) {
            question.description = textOf(child);
        } else if (name == QLatin1String("enum")) {
            // Every title of the answer carries the answer's id, so a pop-up item always
            // knows what it stands for, however many titles an answer has.
            const QString id = vlxXMLDOM::attributeOfNode(child, QStringLiteral("id"));
            eachElement(child, [&](const vlxXMLNode *title, const QString &) {
                const QString text = textOf(title);
                if (!text.isEmpty())
                    question.answers.append({text, id});
            });
        }
    });
    return question;
}

QStringList localesOf(const vlxXMLNode *root)
{
    QStringList entries;
    eachElement(root, [&](const vlxXMLNode *child, const QString &) {
        const QString id = vlxXMLDOM::attributeOfNode(child, QStringLiteral("id"));
        const QString code = id.toLower().replace(u'_', u'-');
        entries << QStringLiteral("(%1) %2").arg(id, VLXFeedLanguage::sharedTitleForCode(code));
    });
    std::sort(entries.begin(), entries.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

QList<CreativeCommonsReplies::Choice> classesOf(const vlxXMLNode *root)
{
    QList<CreativeCommonsReplies::Choice> list;
    eachElement(root, [&](const vlxXMLNode *child, const QString &) {
        list.append({textOf(child), vlxXMLDOM::attributeOfNode(child, QStringLiteral("id"))});
    });
    return list;
}

CreativeCommonsReplies::LicenseClass licenseClassOf(const vlxXMLNode *root)
{
    CreativeCommonsReplies::LicenseClass result;
    result.id = vlxXMLDOM::attributeOfNode(root, QStringLiteral("id"));
    eachElement(root, [&](const vlxXMLNode *child, const QString &name) {
        if (name == QLatin1String("label"))
            result.hasLabel = true;
        else if (name == QLatin1String("field"))
            result.questions.append(questionOf(child));
    });
    return result;
}

CreativeCommonsReplies::Issued issuedOf(const vlxXMLNode *root)
{
    CreativeCommonsReplies::Issued result;
    eachElement(root, [&](const vlxXMLNode *child, const QString &name) {
        if (name == QLatin1String("license-uri")) {
            result.url = textOf(child);
        } else if (name == QLatin1String("license-name")) {
            result.name = textOf(child);
        } else if (name == QLatin1String("html")) {
            QString html = QString::fromUtf8(vlxXMLDOM::xmlDataOfNode(child));
            html.remove(QStringLiteral("<html>"));
            html.remove(QStringLiteral("</html>"));
            result.html = html;
        }
    });
    return result;
}

const vlxXMLNode *rootOf(const vlxXMLDOM &dom, const char *name)
{
    return dom.nodeNamed(QLatin1String(name), vlxXMLDOM::Element, nullptr);
}

bool declaresDocumentType(const vlxXMLDOM &dom)
{
    const vlxXMLNode *document = dom.xmlTree();
    for (int i = 0; i < vlxXMLDOM::numberOfChildren(document); ++i) {
        if (vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(i, document)) == vlxXMLDOM::DocumentType)
            return true;
    }
    return false;
}

// Why the class or one of its questions cannot be answered in a well-formed document.
QString unnameable(const CreativeCommonsReplies::LicenseClass &licenseClass)
{
    const QString pattern = QStringLiteral("The licence service gave the %1 id \"%2\", which "
                                           "cannot name an element of the answers.");
    if (!CreativeCommonsReplies::isElementName(QStringLiteral("license-") + licenseClass.id))
        return pattern.arg(QStringLiteral("class"), licenseClass.id);
    for (const CreativeCommonsReplies::Question &question : licenseClass.questions) {
        if (!CreativeCommonsReplies::isElementName(question.id))
            return pattern.arg(QStringLiteral("question"), question.id);
    }
    return QString();
}

} // namespace

QString CreativeCommonsReplies::localesPath()
{
    return QStringLiteral("/rest/1.5/locales");
}

QString CreativeCommonsReplies::classesPath(const QString &locale)
{
    if (locale.isEmpty())
        return QStringLiteral("/rest/1.5/");
    return QStringLiteral("/rest/1.5/?locale=") + encoded(locale);
}

QString CreativeCommonsReplies::questionsPath(const QString &classId, const QString &locale)
{
    QString path = QStringLiteral("/rest/1.5/license/") + encoded(classId);
    if (!locale.isEmpty())
        path += QStringLiteral("?locale=") + encoded(locale);
    return path;
}

QString CreativeCommonsReplies::issuePath(const QString &classId)
{
    return QStringLiteral("/rest/1.5/license/") + encoded(classId) + QStringLiteral("/issue");
}

QString CreativeCommonsReplies::replyText(const QByteArray &data, const QString &contentType)
{
    if (contentType.startsWith(QLatin1String("text/")))
        return VLXParseFeed::stringFromXMLData(data);
    return QStringLiteral("There were %1 bytes of type %2").arg(data.size()).arg(contentType);
}

QStringList CreativeCommonsReplies::locales(const QString &reply)
{
    const vlxXMLDOM dom(reply);
    return localesOf(rootOf(dom, "locales"));
}

QString CreativeCommonsReplies::localeIdOf(const QString &entry)
{
    if (!entry.startsWith(u'('))
        return QString();
    const qsizetype end = entry.indexOf(u')');
    return end < 0 ? entry.mid(1) : entry.mid(1, end - 1);
}

QList<CreativeCommonsReplies::Choice> CreativeCommonsReplies::classes(const QString &reply)
{
    const vlxXMLDOM dom(reply);
    return classesOf(rootOf(dom, "licenses"));
}

std::optional<CreativeCommonsReplies::LicenseClass>
CreativeCommonsReplies::licenseClass(const QString &reply)
{
    const vlxXMLDOM dom(reply);
    const vlxXMLNode *root = rootOf(dom, "licenseclass");
    if (!root)
        return std::nullopt;
    return licenseClassOf(root);
}

bool CreativeCommonsReplies::isElementName(const QString &text)
{
    const QByteArray name = text.toUtf8();
    return !name.isEmpty()
        && xmlValidateNCName(reinterpret_cast<const xmlChar *>(name.constData()), 0) == 0;
}

int CreativeCommonsReplies::rowsFor(const QString &classId)
{
    if (classId == QLatin1String("standard"))
        return 3;
    if (classId == QLatin1String("recombo"))
        return 2;
    return 0;
}

bool CreativeCommonsReplies::offersGenerate(const LicenseClass &licenseClass)
{
    return licenseClass.hasLabel
        && (rowsFor(licenseClass.id) > 0 || licenseClass.id == QLatin1String("publicdomain"));
}

std::optional<CreativeCommonsReplies::Issued> CreativeCommonsReplies::issued(const QString &reply)
{
    const vlxXMLDOM dom(reply);
    const vlxXMLNode *root = rootOf(dom, "result");
    if (!root)
        return std::nullopt;
    return issuedOf(root);
}

CreativeCommonsReplies::Reply CreativeCommonsReplies::read(Step step, const QByteArray &data,
                                                           const QString &contentType)
{
    Reply reply;
    if (data.size() > kMaximumReplySize) {
        reply.failure = QStringLiteral("The reply of %1 bytes is larger than the %2 bytes a "
                                       "licence service needs.")
                            .arg(data.size())
                            .arg(kMaximumReplySize);
        return reply;
    }
    const QString text = replyText(data, contentType);
    if (!contentType.startsWith(QLatin1String("text/"))) {
        reply.failure = text;
        return reply;
    }
    vlxXMLDOM dom;
    if (!dom.initWithString(text)) {
        reply.failure = QStringLiteral("The reply is not XML: %1").arg(dom.errorDescription());
        return reply;
    }
    if (declaresDocumentType(dom)) {
        reply.failure = QStringLiteral("The reply declares a document type, which no licence "
                                       "service sends.");
        return reply;
    }
    static const char *const kRoots[] = {"locales", "licenses", "licenseclass", "result"};
    const char *rootName = kRoots[int(step)];
    const vlxXMLNode *root = rootOf(dom, rootName);
    if (!root) {
        reply.failure
            = QStringLiteral("The reply holds no <%1> element.").arg(QLatin1String(rootName));
        return reply;
    }
    switch (step) {
    case Step::Locales:
        reply.locales = localesOf(root);
        break;
    case Step::Classes:
        reply.classes = classesOf(root);
        break;
    case Step::Questions:
        reply.licenseClass = licenseClassOf(root);
        reply.failure = unnameable(*reply.licenseClass);
        if (!reply.failure.isEmpty())
            reply.licenseClass.reset();
        break;
    case Step::Issue:
        reply.issued = issuedOf(root);
        break;
    }
    return reply;
}

QString CreativeCommonsReplies::answers(const QString &locale, const QString &classId,
                                        const QList<std::pair<QString, QString>> &rows)
{
    const auto esc = [](const QString &text) { return VLXLogic::encodeSpecialXMLChars(text); };
    QString document = QStringLiteral("<answers>\n");
    if (!locale.isEmpty())
        document += QStringLiteral("  <locale>%1</locale>\n").arg(esc(locale));
    document += QStringLiteral("  <license-%1>\n").arg(esc(classId));
    for (const auto &[question, answer] : rows)
        document += QStringLiteral("    <%1>%2</%1>\n").arg(esc(question), esc(answer));
    document += QStringLiteral("  </license-%1>\n</answers>\n").arg(esc(classId));
    return document;
}
