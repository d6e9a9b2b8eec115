#include "extensions/dc/sortTagsDublinCore.h"

#include "extensions/dc/dcItem.h"

sortTagsDublinCore &sortTagsDublinCore::sharedInstance()
{
    static sortTagsDublinCore instance;
    return instance;
}

sortTagsDublinCore::sortTagsDublinCore()
    : m_sortTags(FieldExtensionBase::sortTagsOf(dcItem::classDescriptor()))
{
}
