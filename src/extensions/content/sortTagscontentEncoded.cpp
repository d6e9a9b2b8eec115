#include "extensions/content/sortTagscontentEncoded.h"

#include "extensions/content/contentEncodedItem.h"

sortTagscontentEncoded &sortTagscontentEncoded::sharedInstance()
{
    static sortTagscontentEncoded instance;
    return instance;
}

sortTagscontentEncoded::sortTagscontentEncoded()
    : m_sortTags(FieldExtensionBase::sortTagsOf(contentEncodedItem::classDescriptor()))
{
}
