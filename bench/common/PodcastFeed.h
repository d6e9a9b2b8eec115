#pragma once

#include <QByteArray>
#include <memory>

class VLXFeed;
class VLXItems;

// Generated podcast feeds for the benchmarks: episodes as real feeds carry them, with HTML show
// notes (descriptionRepeats paragraphs of about 200 bytes), an enclosure, a guid, a date and a
// category.
namespace PodcastFeed {
std::shared_ptr<VLXItems> episode(int i, int descriptionRepeats);
std::unique_ptr<VLXFeed> podcast(int items, int descriptionRepeats);

// The same kind of podcast as a file would bring it: an RSS 2.0 document of that many episodes,
// each about 1.8 KB (23,000 episodes make 42 MB), with escaped HTML show notes, iTunes
// elements, the full notes in content:encoded and two elements of a namespace the program does
// not know (kept as they were read). With mediaGroups each episode also has a media:group of
// two media:content elements (an MP3 and an Ogg file) and a media:title.
QByteArray document(int items, bool mediaGroups = false);
// The bytes of the usual large feed, made once: 23,000 episodes, 42 MB.
const QByteArray &largeDocument();
constexpr int kLargeItems = 23000;
} // namespace PodcastFeed
