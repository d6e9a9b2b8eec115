#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <deque>

class QLocalSocket;
class QSocketNotifier;

// One program per settings file: the first start listens on a local socket in a folder only the
// user can enter; a later start hands its documents (files and addresses) to it and ends, so that
// one program alone writes the settings and the feed list. A socket left behind by a program that
// crashed is taken over. Nothing is handed to, or taken from, a program of another user.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Primary, // this start runs the program (and listens, unless *problem says otherwise)
        HandedOver, // the running program took the documents: this start ends
        Unanswered, // a program holds the socket but did not take them (*problem says why)
    };

    // The socket's path; by default one in the user's own folder named after the settings folder.
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands the documents over to the program already running, or becomes that program. Blocks
    // for as long as the running program takes to answer (a few seconds at the most). A socket
    // folder that is not the user's alone, or a program of another user at the socket, makes
    // this start the program (the first without listening; *problem says why).
    Role start(const QStringList &documents, QString *problem = nullptr);
    bool isListening() const;
    QString socketPath() const { return m_path; }

    // Files named relative to the folder this start runs in become absolute paths, since the
    // running program may run in another; addresses stay as they are.
    static QStringList absoluteDocuments(const QStringList &arguments);
    // In the runtime folder when it is the user's alone, else in a folder of the program's own in
    // the user's cache folder (made when missing); never in a folder everybody can write to.
    static QString defaultSocketPath();
    // Why the folder is not one only `user` can enter (theirs, mode 0700, a folder and not a
    // link); empty when it is.
    static QString privateFolderProblem(const QString &folder, uint user);

    // How long a start waits for the running program's answer.
    static constexpr int kAnswerTimeoutMs = 10000;
    // The most documents one hand-over opens: what a person selects, not a flood.
    static constexpr int kMostDocuments = 256;
    // The most later starts the running program hears at once; the oldest goes for a newer one.
    static constexpr int kMostConnections = 32;

signals:
    // A later start handed these over (none: it only asks for the window).
    void documentsReceived(const QStringList &documents);

private:
    bool handOver(const QStringList &documents, QString *problem, bool *answered);
    bool listen(QString *problem);
    void stopListening();
    void acceptWaiting();
    bool dropOldestConnection();
    void serve(int descriptor);

    QString m_path;
    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
    // The socket file as made, so that only this one is taken away at the end.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    std::deque<QPointer<QLocalSocket>> m_connections; // oldest first
};
