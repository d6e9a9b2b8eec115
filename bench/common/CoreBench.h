#pragma once

// What the benchmarks of the core share: the quiet services they run with, the clock, paired
// timings beside libxml2, and the writer timed beside libxml2.
#include "platform/AlertService.h"

#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <vector>

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

double median(std::vector<double> values);

// How many paired repetitions a comparison makes: VLX_BENCH_PAIRS, at least 5 (7 unset).
int pairs();

// Our time and libxml2's for the same work, one pair a repetition. The side that went second in
// one repetition goes first in the next, so that neither always meets the heap or the caches the
// other left, and a burst of load on the machine falls on both sides of the pair alike: the
// median of the pairs' ratios holds where the times themselves wander.
class PairedTimes
{
public:
    // Runs one repetition; each side answers its seconds, or a negative number when it failed
    // (then nothing is added and false is answered). Sets the iteration's manual time to ours.
    bool run(benchmark::State &state, const std::function<double()> &ours,
             const std::function<double()> &theirs);
    void add(double ours, double theirs);
    // The counters "<prefix>ms" and "<prefix>libxml2_ms" (medians) and "<prefix>x_libxml2" (the
    // median of the ratios), per call of the sides when perCall is given (a count of calls in
    // each side's time), and "pairs".
    void report(benchmark::State &state, const char *prefix = "", double perCall = 1) const;
    double ratio() const;
    bool empty() const { return m_ours.empty(); }

private:
    std::vector<double> m_ours;
    std::vector<double> m_theirs;
};

// Each iteration writes the feed as UTF-8 (as a save does) and has libxml2 serialise a tree of
// the same document with xmlDocDumpMemory, in turns as PairedTimes runs them. Answers the
// document's size, or -1 with the state skipped when libxml2 could not read the document.
qint64 writeBesideLibxml2(benchmark::State &state, const VLXFeed &feed, PairedTimes *times);

} // namespace CoreBench
