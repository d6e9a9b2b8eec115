#pragma once

#include "platform/FileChooser.h"

// File questions asked with QFileDialog, window-modal over the active window.
class QtFileChooser : public FileChooser
{
public:
    QStringList choose(const FileRequest &request) override;
    static QString nameFilter(const QStringList &extensions);
};
