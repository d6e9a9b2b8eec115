#pragma once

#include "platform/FileChooser.h"

#include <QList>

// Answers file questions from a queue (an empty answer is a cancel) and remembers the requests.
class ScriptedFileChooser : public FileChooser
{
public:
    QStringList choose(const FileRequest &request) override;

    void enqueue(const QStringList &answer) { m_answers.append(answer); }
    const QList<FileRequest> &requests() const { return m_requests; }

private:
    QList<QStringList> m_answers;
    QList<FileRequest> m_requests;
};
