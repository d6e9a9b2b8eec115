#pragma once

#include <memory>

class VLXFeed;
class VLXItems;

// Generated podcast feeds for the benchmarks: episodes as real feeds carry them, with HTML show
// notes (descriptionRepeats paragraphs of about 200 bytes), an enclosure, a guid, a date and a
// category.
namespace PodcastFeed {
std::shared_ptr<VLXItems> episode(int i, int descriptionRepeats);
std::unique_ptr<VLXFeed> podcast(int items, int descriptionRepeats);
} // namespace PodcastFeed
