#include "platform/FileChooser.h"

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

std::shared_ptr<FileChooser> &installed()
{
    static std::shared_ptr<FileChooser> chooser;
    return chooser;
}
} // namespace

QStringList FileChooser::run(const FileRequest &request)
{
    return instance().choose(request);
}

FileChooser &FileChooser::instance()
{
    static CancellingChooser cancelling;
    const auto &chooser = installed();
    return chooser ? *chooser : static_cast<FileChooser &>(cancelling);
}

void FileChooser::setInstance(std::shared_ptr<FileChooser> chooser)
{
    installed() = std::move(chooser);
}
