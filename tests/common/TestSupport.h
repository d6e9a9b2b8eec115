#pragma once

#include <QByteArray>
#include <QModelIndex>
#include <QString>

class QAbstractItemModel;

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
} // namespace TestSupport
