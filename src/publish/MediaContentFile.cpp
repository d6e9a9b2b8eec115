#include "publish/MediaContentFile.h"

#include "model/TitledElement.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace {

// A media:content read from the item's raw Media RSS text.
class RawMediaContentFile : public MediaContentFile
{
public:
    explicit RawMediaContentFile(QString url)
        : m_url(std::move(url)), m_lastUploaded(TitledElement::neverUploaded())
    {
    }
    QString contentURL() const override { return m_url; }
    QString localEnclosureFilePath() const override { return m_localPath; }
    void setLocalEnclosureFilePath(const QString &path) override { m_localPath = path; }
    QDateTime lastUploaded() const override { return m_lastUploaded; }
    void setLastUploaded(const QDateTime &date) override
    {
        m_lastUploaded = date.isValid() ? date : TitledElement::neverUploaded();
    }

private:
    QString m_url;
    QString m_localPath;
    QDateTime m_lastUploaded;
};

void collect(const xmlNode *node, const xmlChar *uri, QList<std::shared_ptr<MediaContentFile>> &out)
{
    for (const xmlNode *n = node; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE)
            continue;
        if (n->ns && xmlStrcmp(n->ns->href, uri) == 0
            && xmlStrcmp(n->name, BAD_CAST "content") == 0) {
            xmlChar *url = xmlGetNoNsProp(n, BAD_CAST "url");
            out.append(std::make_shared<RawMediaContentFile>(
                QString::fromUtf8(reinterpret_cast<const char *>(url)).trimmed()));
            xmlFree(url);
        }
        collect(n->children, uri, out);
    }
}

} // namespace

QList<std::shared_ptr<MediaContentFile>> MediaContentFile::mediaContentsOfItem(const VLXItems &item)
{
    QList<std::shared_ptr<MediaContentFile>> contents;
    const extensionManagerItem *manager = item.XMLExtensions();
    const auto media = manager ? manager->mediaRSSExtension() : nullptr;
    if (!media || media->rawXML().trimmed().isEmpty())
        return contents;
    // The kept text is a run of elements under the canonical prefix; give it a root that
    // declares the prefix.
    const QByteArray uri = knownNamespaces::uri(KnownNamespace::mediaRSS).toUtf8();
    const QByteArray text
        = "<root xmlns:" + knownNamespaces::prefix(KnownNamespace::mediaRSS).toUtf8() + "=\"" + uri
        + "\">" + media->rawXML().toUtf8() + "</root>";
    xmlDocPtr doc = xmlReadMemory(text.constData(), int(text.size()), "media.xml", "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_RECOVER | XML_PARSE_NOERROR
                                      | XML_PARSE_NOWARNING);
    if (!doc)
        return contents;
    collect(xmlDocGetRootElement(doc), BAD_CAST uri.constData(), contents);
    xmlFreeDoc(doc);
    return contents;
}
