#pragma once

// What the benchmarks of the core share: the quiet services they run with, the clock, and the
// writer timed beside libxml2.
#include "platform/AlertService.h"

#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <chrono>

class VLXFeed;

namespace CoreBench {

// Answers every alert with its default button, so that no run waits for anybody.
class QuietAlerts : public AlertService
{
public:
    int runAlert(const Alert &) override { return kDefault; }
};

// Quiet alerts, settings in memory and test paths: nothing of the user's is read or written.
// Call once the QCoreApplication exists.
void installQuietServices();

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration writes the feed as UTF-8 (as a save does) and has libxml2 serialise a tree of
// the same document with xmlDocDumpMemory; our time is the iteration's manual time. Adds the
// seconds of each side to *ours and *theirs and answers the document's size, or -1 with the
// state skipped when libxml2 could not read the document.
qint64 writeBesideLibxml2(benchmark::State &state, const VLXFeed &feed, double *ours,
                          double *theirs);

} // namespace CoreBench
