#pragma once

#include "ActionsFixture.h"
#include "common/LocalServer.h"

#include <QPair>
#include <QString>
#include <QTemporaryDir>

class VLXImport;

// The feed window with a feed of three items, and a real HTTP server on 127.0.0.1 that serves the
// files of a folder under /d/<name>; the import window is opened through the window's command.
class ImportFixture : public ActionsFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // An RSS feed of items given as (title, pubDate); an empty date leaves the element out.
    static QByteArray sourceFeed(const QString &title, const QList<QPair<QString, QString>> &items,
                                 const QString &extraItemXML = {}, const QString &namespaces = {});
    // Puts a file in the served folder; answers its address.
    QString serve(const QString &name, const QByteArray &bytes);
    // Opens the import window for the loaded feed (optionally with a source to start from).
    VLXImport *openImport();
    VLXImport *openImportFromDrop(const QString &source);
    // Opens a source and waits until it was read (or refused).
    bool open(VLXImport *import, const QString &source);
    static bool waitForOpening(VLXImport *import);
    static QStringList rowTitles(const VLXImport *import);
    static QStringList markedTitles(const VLXImport *import);

    LocalServer server;
    QTemporaryDir served;
};
