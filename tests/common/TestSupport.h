#pragma once

#include "io/VLXExportTemplate.h"

#include <QByteArray>
#include <QModelIndex>
#include <QString>
#include <QVariantList>

#include <memory>

class QAbstractItemModel;
class QTemporaryDir;

namespace TestSupport {
// Absolute path of a file under tests/data.
QString dataPath(const QString &relative);
// Whole contents of a file under tests/data; fails the current test when it cannot be read.
QByteArray readData(const QString &relative);
// Absolute path of a file under tests/servers.
QString serverScript(const QString &name);
// The first index at or below the parent, depth first, whose text is the given one.
QModelIndex findInModel(const QAbstractItemModel *model, const QString &text,
                        const QModelIndex &parent = {});
// A template's text filled, as an export fills it, with the values a source (an extension, a
// manager) gives for the placeholders the text holds.
template<typename Source>
QString exportedBy(const QString &text, Source &&source, const QVariantList &substitutions = {})
{
    const TemplateValues::Names asked = VLXExportTemplate::placeholdersIn(text);
    TemplateValues values(&asked);
    source.actuallyBuildExport(values);
    return VLXExportTemplate::fill(text, values, substitutions);
}

// Memory is tested by bounding a process's address space (setrlimit RLIMIT_AS) and expecting
// the work to end cleanly, never by timing. Do it in a child process of its own: a death test
// in the "threadsafe" style, which starts the test program afresh.
//
// Whether the address space may be bounded: not under a sanitizer, which reserves terabytes of
// it for itself.
bool addressSpaceCanBeBounded();
// Lets the address space of this process grow by at most `bytes` beyond what it holds now; an
// allocation beyond fails as it would on a machine with that little memory left. The threads of
// Qt's global pool are started before, so that work handed to them still runs, and every thread
// shares one malloc arena, so that the bound measures what is allocated rather than the space
// each new arena reserves. False when the bound cannot be set (under a sanitizer, or refused).
bool boundAddressSpaceGrowth(qint64 bytes);

// A folder for every temporary folder of the test program's run, made the system's temporary
// folder (TMPDIR) until it is let go, when it is removed with all in it. The children of death
// tests end without removing what they made; theirs lie in it too. Call before the application
// object exists.
std::unique_ptr<QTemporaryDir> useRunTemporaryFolder();
} // namespace TestSupport
