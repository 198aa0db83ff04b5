#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

#include <memory>

// An ams-portal started for a test on a free loopback port, with its own configuration
// file; its log is kept to be searched.
class PortalProcess
{
public:
    // `settings` are extra "Name = value" lines.
    bool start(const QString &connection, const QStringList &settings = {})
    {
        QFile config(m_dir.filePath(QStringLiteral("portal.conf")));
        if (!config.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        config.write(QStringLiteral("Listen = 127.0.0.1\nPort = 0\nConnection = %1\n").arg(connection).toUtf8());
        for (const QString &line : settings)
            config.write(line.toUtf8() + '\n');
        config.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("ams.*=true"));
        m_process.setProcessEnvironment(env);
        m_process.start(QString::fromLocal8Bit(qgetenv("AMS_BIN_DIR")) + QStringLiteral("/ams-portal"),
                        {QStringLiteral("--config"), config.fileName()});
        if (!m_process.waitForStarted(10000))
            return false;
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(15000))
            out += m_process.readAllStandardOutput();
        const auto match = QRegularExpression(QStringLiteral("port (\\d+)")).match(QString::fromUtf8(out));
        if (!match.hasMatch()) {
            m_process.waitForFinished(3000);
            m_log += m_process.readAllStandardError();
            return false;
        }
        m_port = match.captured(1).toInt();
        return true;
    }

    ~PortalProcess() { stop(); }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    int port() const { return m_port; }
    QString configDir() const { return m_dir.path(); }
    // Everything the portal logged so far.
    QByteArray log()
    {
        m_log += m_process.readAllStandardError();
        return m_log;
    }
    QByteArray startError() { return log(); }
    int exitCode()
    {
        m_process.waitForFinished(10000);
        return m_process.exitCode();
    }

    std::unique_ptr<httplib::Client> client() const
    {
        auto c = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        c->set_read_timeout(20, 0);
        return c;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_log;
    int m_port = 0;
};
