#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {
// Absolute path of a file under tests/data.
QString dataPath(const QString &relative);
// Whole contents of a file under tests/data; fails the current test when it cannot be read.
QByteArray readData(const QString &relative);
// Absolute path of a file under tests/servers.
QString serverScript(const QString &name);
} // namespace TestSupport
