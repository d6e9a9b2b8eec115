#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One program per settings file: the first start listens on a local socket in the user's runtime
// folder; a later start hands its documents (files and addresses) to it and ends, so that one
// program alone writes the settings and the feed list. A socket left behind by a program that
// crashed is taken over.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Primary, // this start runs the program (and listens, unless *problem says otherwise)
        HandedOver, // the running program took the documents: this start ends
        Unanswered, // a program holds the socket but did not take them (*problem says why)
    };

    // The socket's path; by default one in the runtime folder named after the settings folder.
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands the documents over to the program already running, or becomes that program. Blocks
    // for as long as the running program takes to answer (a few seconds at the most).
    Role start(const QStringList &documents, QString *problem = nullptr);
    bool isListening() const;
    QString socketPath() const { return m_path; }

    // Files named relative to the folder this start runs in become absolute paths, since the
    // running program may run in another; addresses stay as they are.
    static QStringList absoluteDocuments(const QStringList &arguments);
    static QString defaultSocketPath();

    // How long a start waits for the running program's answer.
    static constexpr int kAnswerTimeoutMs = 10000;

signals:
    // A later start handed these over (none: it only asks for the window).
    void documentsReceived(const QStringList &documents);

private:
    bool handOver(const QStringList &documents, QString *problem, bool *answered);
    bool listen(QString *problem);
    void serve(QLocalSocket *socket);

    QString m_path;
    QLocalServer *m_server = nullptr;
};
