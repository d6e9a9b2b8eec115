#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// A real server on 127.0.0.1 for one test: started from a fixture, stopped (at the latest) when
// the object goes. Scripts under tests/servers print their port as the first line on stdout and
// end by themselves when our stdin pipe closes, so a crashed test leaves nothing running.
class LocalServer
{
public:
    struct Certificate
    {
        QString certFile;
        QString keyFile;
    };

    LocalServer();
    ~LocalServer();
    LocalServer(const LocalServer &) = delete;
    LocalServer &operator=(const LocalServer &) = delete;

    // Runs a python3 script from tests/servers with the arguments; waits for its port line.
    bool startScript(const QString &scriptName, const QStringList &arguments = {},
                     int timeoutMs = 20000);
    // Runs a program told its port by the caller (see freePort) and waits until it accepts.
    bool startProgram(const QString &program, const QStringList &arguments, quint16 port,
                      int timeoutMs = 20000);
    void stop();

    bool isRunning() const;
    quint16 port() const { return m_port; }
    // "scheme://127.0.0.1:port" followed by the path.
    QString url(const QString &scheme, const QString &path = QStringLiteral("/")) const;
    // What the server wrote on stderr so far, plus its own log file (logFilePath) if it has one.
    QString log() const;
    QString logFilePath() const;
    // A folder of this server's own, removed with it (served files, configuration, certificates).
    QString workDir() const { return m_dir.path(); }
    QString errorString() const { return m_error; }

    // The Python with the Debian modules the scripts need.
    static QString python();
    // A port nobody listens on right now.
    static quint16 freePort();
    static bool waitForPort(quint16 port, int timeoutMs);
    // A self-signed certificate for 127.0.0.1 (it is its own CA), made with openssl in dir.
    static std::optional<Certificate> makeSelfSignedCertificate(const QString &dir,
                                                                QString *error = nullptr);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_error;
};
