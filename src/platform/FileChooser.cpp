#include "platform/FileChooser.h"

#include "platform/InstalledService.h"

#include <QDebug>

namespace {
class CancellingChooser : public FileChooser
{
public:
    QStringList choose(const FileRequest &request) override
    {
        qInfo().noquote() << "No file chooser installed; cancelled:" << request.title;
        return {};
    }
};

using Installed = InstalledService<FileChooser, CancellingChooser>;
} // namespace

QStringList FileChooser::run(const FileRequest &request)
{
    return instance().choose(request);
}

FileChooser &FileChooser::instance()
{
    return Installed::get();
}

void FileChooser::setInstance(std::shared_ptr<FileChooser> chooser)
{
    Installed::install(std::move(chooser));
}
