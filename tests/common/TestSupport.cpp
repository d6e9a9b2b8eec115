#include "TestSupport.h"

#include <QAbstractItemModel>
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

QModelIndex findInModel(const QAbstractItemModel *model, const QString &text,
                        const QModelIndex &parent)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == text)
            return index;
        if (const QModelIndex inside = findInModel(model, text, index); inside.isValid())
            return inside;
    }
    return {};
}

} // namespace TestSupport
