#include "extensions/itunes/sortTagsiTunes.h"

#include "extensions/itunes/iTunesItem.h"

sortTagsiTunes &sortTagsiTunes::sharedInstance()
{
    static sortTagsiTunes instance;
    return instance;
}

sortTagsiTunes::sortTagsiTunes()
    : m_sortTags(FieldExtensionBase::sortTagsOf(iTunesItem::classDescriptor()))
{
}
