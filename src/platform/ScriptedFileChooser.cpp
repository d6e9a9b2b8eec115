#include "platform/ScriptedFileChooser.h"

QStringList ScriptedFileChooser::choose(const FileRequest &request)
{
    m_requests.append(request);
    return m_answers.isEmpty() ? QStringList() : m_answers.takeFirst();
}
