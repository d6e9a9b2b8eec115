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

// A podcast as real ones are (23,000 episodes make 53 MB): each episode has HTML show notes
// escaped in its description and in CDATA in content:encoded, a guid that is no link, a date
// whose weekday is often wrong (a repair each), an enclosure and a media:content of the same
// file, iTunes fields and a Dublin Core creator. The words come from a fixed pseudo-random
// sequence: the same count of episodes gives the same bytes on every run and machine, the
// bytes of the reference generator (Python's random.Random(42)).
QByteArray typicalDocument(int items);
// The typical podcast as an Atom 1.0 document (about 1.6 KB an episode): a text summary that
// names markup, show notes as escaped HTML in three entries of four and as XHTML in the fourth,
// an enclosure link and iTunes fields; read, it is converted to RSS 2.0.
QByteArray typicalAtomDocument(int items);
// The date of episode i in the typical podcast, as its file has it.
QByteArray typicalPubDate(int i);
// Gives every episode of a typical podcast the date of its file again: validating the feed then
// repairs the weekday of most of them again, each with a message (the log of a save).
void restoreTypicalDates(VLXFeed &feed);
// The sizes the figures of large feeds are taken at.
inline constexpr int kTypicalSizes[] = {1000, 10000, kLargeItems, 2 * kLargeItems};
} // namespace PodcastFeed
