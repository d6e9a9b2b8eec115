#include "TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace TestSupport {

QString dataPath(const QString &relative)
{
    return QStringLiteral(VLX_TEST_DATA_DIR "/") + relative;
}

QByteArray readData(const QString &relative)
{
    QFile file(dataPath(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read test data " << relative.toStdString();
        return {};
    }
    return file.readAll();
}

QString serverScript(const QString &name)
{
    return QStringLiteral(VLX_TEST_SERVERS_DIR "/") + name;
}

} // namespace TestSupport
