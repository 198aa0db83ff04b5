#include "app/OutputFile.h"

#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <cstring>
#include <exception>
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

} // namespace

namespace OutputFile {

bool write(const QString &path, const Fill &fill, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
        return false;
    };
    // A link is followed to the file it names, as when the file is opened.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return fail(target.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file"));
    const QString finalPath = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
    const QFileInfo finalInfo(finalPath);
    if (!QFileInfo(finalInfo.absolutePath()).isDir())
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(finalInfo.absolutePath())));

    // Beside the target, so that the rename stays on one file system and is one step.
    QByteArray temporary =
        QFile::encodeName(finalInfo.absolutePath() + QStringLiteral("/.") + finalInfo.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return fail(reason(errno));
    bool named = false;
    struct Cleanup
    {
        int fd;
        const QByteArray &name;
        const bool &named;
        bool open = true;
        ~Cleanup()
        {
            if (open)
                ::close(fd);
            if (!named)
                ::unlink(name.constData());
        }
    } cleanup{fd, temporary, named};

    // The permissions a file written in place would have: the old file's, or the usual
    // ones for a new file (mkstemp makes it readable by its owner only).
    mode_t mode = 0666;
    struct stat old;
    if (::stat(QFile::encodeName(finalPath).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);

    try {
        TemporaryFileDevice device(fd);
        QString why;
        const bool filled = fill(device, why);
        // The system's reason goes first: the writer mostly sees only that a write came
        // up short.
        if (device.failure() != 0)
            return fail(reason(device.failure()));
        if (!filled)
            return fail(why.isEmpty() ? QStringLiteral("the content could not be made") : why);
        // On the disk, every byte of it, before it takes the name.
        if (::fsync(fd) != 0)
            return fail(reason(errno));
        struct stat written;
        if (::fstat(fd, &written) != 0)
            return fail(reason(errno));
        if (written.st_size != device.written())
            return fail(
                QStringLiteral("only %1 of %2 bytes reached the disk").arg(qint64(written.st_size)).arg(device.written()));
        cleanup.open = false;
        if (::close(fd) != 0)
            return fail(reason(errno));
        if (::rename(temporary.constData(), QFile::encodeName(finalPath).constData()) != 0)
            return fail(reason(errno));
        named = true;
        // The new name itself reaches the disk with its folder.
        const int folder = ::open(QFile::encodeName(finalInfo.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return true;
    } catch (const DbError &e) {
        // The rows could not be read: that is the reason, not the file.
        if (error)
            *error = e.serverText();
        return false;
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace OutputFile
