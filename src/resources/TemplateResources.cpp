#include "resources/TemplateResources.h"

#include <QDir>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used at global scope, outside any namespace.
static void initTemplateResources()
{
    Q_INIT_RESOURCE(vlx_templates);
}

void TemplateResources::init()
{
    static const bool done = (initTemplateResources(), true);
    Q_UNUSED(done);
}

QStringList TemplateResources::templatePaths()
{
    init();
    QStringList paths;
    const QDir dir(QStringLiteral(":/templates"));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}
