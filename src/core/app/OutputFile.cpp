#include "app/OutputFile.h"

#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The temporary file as a device that keeps the system's own reason of a failed write
// ("No space left on device"), which Qt's file classes do not always pass on.
class TemporaryFileDevice final : public QIODevice
{
public:
    explicit TemporaryFileDevice(int fd) : m_fd(fd) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }
    int failure() const { return m_errno; }
    qint64 written() const { return m_written; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_errno != 0)
            return -1;
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_errno = n < 0 ? errno : EIO;
                setErrorString(reason(m_errno));
                return -1;
            }
            done += n;
        }
        m_written += done;
        return done;
    }

private:
    int m_fd;
    int m_errno = 0;
    qint64 m_written = 0;
};

// The passing file beside the target: made with the permissions a file written in place
// would have, removed again unless it was given the target's name.
class PassingFile
{
public:
    explicit PassingFile(const QString &path) : m_path(path) {}
    ~PassingFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_name.isEmpty() && !m_named)
            ::unlink(m_name.constData());
    }
    PassingFile(const PassingFile &) = delete;
    PassingFile &operator=(const PassingFile &) = delete;

    int fd() const { return m_fd; }
    QString name() const { return QFile::decodeName(m_name); }

    // Makes it; the reason when the target may not be written.
    std::optional<QString> open()
    {
        // A link is followed to the file it names, as when the file is opened.
        const QFileInfo target(m_path);
        if (target.exists() && !target.isFile())
            return target.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file");
        m_final = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
        m_folder = QFileInfo(m_final).absolutePath();
        if (!QFileInfo(m_folder).isDir())
            return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(m_folder));

        // Beside the target, so that the rename stays on one file system and is one step;
        // a dot first keeps it out of the way of a user looking at the folder.
        static const QString suffix = QStringLiteral(".part");
        m_name = QFile::encodeName(m_folder + QStringLiteral("/.") + QFileInfo(m_final).fileName() + QStringLiteral(".XXXXXX")
                                   + suffix);
        m_fd = ::mkstemps(m_name.data(), int(suffix.size()));
        if (m_fd < 0) {
            const int error = errno;
            m_name.clear();
            return reason(error);
        }
        // The permissions a file written in place would have: the old file's, or the
        // usual ones for a new file (mkstemps makes it readable by its owner only).
        m_mode = 0666;
        struct stat old;
        if (::stat(QFile::encodeName(m_final).constData(), &old) == 0) {
            m_mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            m_mode &= ~mask;
        }
        ::fchmod(m_fd, m_mode);
        return std::nullopt;
    }

    // For a writer that opens the file by its name: the descriptor is closed first.
    void closeForWriter()
    {
        ::close(m_fd);
        m_fd = -1;
    }

    // After a writer that had its name: the file gets its permissions again (the writer
    // may have made it anew) and reaches the disk.
    std::optional<QString> syncByName()
    {
        ::chmod(m_name.constData(), m_mode);
        const int fd = ::open(m_name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return reason(errno);
        const bool synced = ::fsync(fd) == 0;
        const int error = errno;
        ::close(fd);
        if (!synced)
            return reason(error);
        return std::nullopt;
    }

    // Gives it the target's name, in one step: a reader sees the old file or the new one.
    std::optional<QString> rename()
    {
        if (m_fd >= 0) {
            const int fd = m_fd;
            m_fd = -1;
            if (::close(fd) != 0)
                return reason(errno);
        }
        if (::rename(m_name.constData(), QFile::encodeName(m_final).constData()) != 0)
            return reason(errno);
        m_named = true;
        // The new name itself reaches the disk with its folder.
        const int folder = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return std::nullopt;
    }

private:
    QString m_path;
    QString m_final;
    QString m_folder;
    QByteArray m_name;
    int m_fd = -1;
    mode_t m_mode = 0666;
    bool m_named = false;
};

// Runs one writing of the file, turning every failure into the message: "Cannot write
// PATH: why", or a database error's own text (the rows could not be read: that is the
// reason, not the file).
bool attempt(const QString &path, QString *error, const std::function<std::optional<QString>(PassingFile &)> &body)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
        return false;
    };
    PassingFile file(path);
    if (const std::optional<QString> why = file.open())
        return fail(*why);
    try {
        if (const std::optional<QString> why = body(file))
            return fail(*why);
        return true;
    } catch (const DbError &e) {
        if (error)
            *error = e.serverText();
        return false;
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
}

QString unmade(const QString &why) { return why.isEmpty() ? QStringLiteral("the content could not be made") : why; }

} // namespace

namespace OutputFile {

bool write(const QString &path, const Fill &fill, QString *error)
{
    return attempt(path, error, [&fill](PassingFile &file) -> std::optional<QString> {
        TemporaryFileDevice device(file.fd());
        QString why;
        const bool filled = fill(device, why);
        // The system's reason goes first: the writer mostly sees only that a write came
        // up short.
        if (device.failure() != 0)
            return reason(device.failure());
        if (!filled)
            return unmade(why);
        // On the disk, every byte of it, before it takes the name.
        if (::fsync(file.fd()) != 0)
            return reason(errno);
        struct stat written;
        if (::fstat(file.fd(), &written) != 0)
            return reason(errno);
        if (written.st_size != device.written())
            return QStringLiteral("only %1 of %2 bytes reached the disk").arg(qint64(written.st_size)).arg(device.written());
        return file.rename();
    });
}

bool writeNamed(const QString &path, const FillNamed &fill, QString *error)
{
    return attempt(path, error, [&fill](PassingFile &file) -> std::optional<QString> {
        file.closeForWriter();
        QString why;
        if (!fill(file.name(), why))
            return unmade(why);
        if (std::optional<QString> failure = file.syncByName())
            return failure;
        return file.rename();
    });
}

} // namespace OutputFile
