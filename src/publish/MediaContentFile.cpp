#include "publish/MediaContentFile.h"

#include "extensions/mrss/mrssItem.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"

namespace {

// One element of an item's Media RSS extension, found again by its place in the list; the
// extension is kept alive while the publisher holds the object.
class ModelMediaContentFile : public MediaContentFile
{
public:
    ModelMediaContentFile(std::shared_ptr<extensionNSRaw> owner, mrssItem *media, int index)
        : m_owner(std::move(owner)), m_media(media), m_index(index)
    {
    }
    QString contentURL() const override
    {
        return element() ? element()->attribute("attributeURL") : QString();
    }
    QString localEnclosureFilePath() const override
    {
        return element() ? element()->localEnclosureFilePath() : QString();
    }
    void setLocalEnclosureFilePath(const QString &path) override
    {
        if (mrssRequiredElement *content = element())
            content->setLocalEnclosureFilePath(path);
    }
    QDateTime lastUploaded() const override
    {
        return element() ? element()->lastUploaded() : QDateTime();
    }
    void setLastUploaded(const QDateTime &date) override
    {
        if (mrssRequiredElement *content = element())
            content->setLastUploaded(date);
    }

private:
    // Null once the list no longer reaches the place (the item was edited meanwhile).
    mrssRequiredElement *element() const
    {
        if (m_index >= m_media->mediaContentsValue().size())
            return nullptr;
        return &m_media->mediaContentsValueAtIndex(m_index);
    }

    std::shared_ptr<extensionNSRaw> m_owner;
    mrssItem *m_media;
    int m_index;
};

} // namespace

QList<std::shared_ptr<MediaContentFile>> MediaContentFile::mediaContentsOfItem(const VLXItems &item)
{
    QList<std::shared_ptr<MediaContentFile>> contents;
    mrssItem *media = mrssItem::inUseOf(item);
    if (!media)
        return contents;
    const auto owner = item.XMLExtensions()->mediaRSSExtension();
    for (int i = 0; i < media->mediaContentsValue().size(); ++i)
        contents.append(std::make_shared<ModelMediaContentFile>(owner, media, i));
    return contents;
}
