#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <memory>
#include <vector>

// Other workstations for a test: processes of a helper program that lies beside the
// test executable, each with its own connection to the test's database.
class Workstations
{
public:
    explicit Workstations(const QString &program) : m_program(QCoreApplication::applicationDirPath() + u'/' + program) {}

    // Starts one more; false, with the reason in error(), when it did not start.
    bool start(const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(m_program, arguments);
        const bool started = process->waitForStarted();
        if (!started)
            m_error = m_program + QStringLiteral(": ") + process->errorString();
        m_processes.push_back(std::move(process));
        return started;
    }

    // Waits until every one has ended; false, with the reason in error(), when one did
    // not end within the time, crashed, or exited with a status other than 0.
    bool finish(int msecs = 120000)
    {
        for (size_t i = 0; i < m_processes.size(); ++i) {
            QProcess &p = *m_processes[i];
            if (!p.waitForFinished(msecs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
                m_error = QStringLiteral("workstation %1 did not end well (exit code %2)").arg(i).arg(p.exitCode());
                return false;
            }
        }
        return true;
    }

    // What the i-th one printed, line by line.
    QStringList output(size_t i) const
    {
        return QString::fromUtf8(m_processes[i]->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool running(size_t i) const { return m_processes[i]->state() == QProcess::Running; }
    const QString &error() const { return m_error; }

private:
    QString m_program;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QString m_error;
};
