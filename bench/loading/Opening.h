#pragma once

// What the loading benchmarks share: the feeds, the ways of opening one, libxml2's parse of the
// same bytes, and the peak memory of an opening measured in a fresh process.
#include "document/FeedDocument.h"
#include "model/knownNamespaces.h"

#include <QByteArray>
#include <QString>

#include <benchmark/benchmark.h>

#include <memory>

class VLXFeed;

namespace Opening {

// The typical podcast of that many episodes (PodcastFeed::typicalDocument), made once.
const QByteArray &typicalOf(int items);
// The same bytes in a file of a temporary folder, written once; empty when it could not be.
QString typicalFile(int items);
// The benchmarks' own podcast (PodcastFeed::document), made once.
const QByteArray &documentOf(int items, bool mediaGroups = false);

// The namespace read into its classes, or kept as raw text (RawKeptExtension).
void keepRaw(KnownNamespace ns, bool raw);

// libxml2's tree parse of the bytes; the seconds of xmlReadMemory alone, -1 when it failed.
double libxml2TreeParse(const QByteArray &bytes);

// The loader alone on the bytes, keeping nothing of them.
std::shared_ptr<VLXFeed> open(const QByteArray &bytes, bool validate);
// The file opened as the window does on a worker thread: its bytes read, then the whole load
// with validation under a control that goes through to the end, the bytes kept for Revert in
// the result. Nothing asks the user anything (the results of the reading are not shown).
FeedDocument::Prepared openAsTheWindow(const QString &path);
// The same load of bytes already in memory (a file just read, or a feed made for the run).
FeedDocument::Prepared openBytesAsTheWindow(QByteArray bytes);

// What a process measured for its peak opens: the loader keeping nothing or the decoded text,
// the window's way (the bytes kept for Revert), or libxml2's parse of the file's bytes.
enum class Kept { Nothing = 0, Text = 1, WindowPath = 2, Libxml2 = 3 };
inline constexpr char kPeakOption[] = "--peak-of-opening";
// Run as "bench_loading --peak-of-opening FILE KEEP RAW": opens a one-item feed, then reads the
// file, opens it as KEEP says (with the known namespace numbered RAW kept as raw text, none for
// -1) and prints the peak resident memory above what the process held before that, in KiB; -1
// when the feed did not open. Answers the process's exit code.
int printPeakOfOpening(const QString &path, Kept kept, int rawNamespace);
// The peak of an opening in a fresh process of its own, whose allocator has seen nothing of
// the benchmarks before, in KiB; negative when it failed.
long peakOfOpeningInChild(const QString &path, Kept kept, int rawNamespace = -1);

// The bytes written to the file; their size, or -1 with the state skipped.
qint64 writeFeedFile(benchmark::State &state, const QString &path, const QByteArray &bytes);

} // namespace Opening
