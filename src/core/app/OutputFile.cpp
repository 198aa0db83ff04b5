#include "app/OutputFile.h"

#include "db/DbError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <exception>

namespace OutputFile {

bool write(const QString &path, const Fill &fill, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
        return false;
    };
    // A link is followed to the file it names, as when the file is opened; a link to
    // nothing is made a file, which is what writing through it would do.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return fail(target.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it is not a regular file"));

    try {
        QSaveFile file(path);
        // Never written in place, not even where no file can be made beside it.
        file.setDirectWriteFallback(false);
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
        QString why;
        const bool filled = fill(file, why);
        // The device's own reason goes first: the writer mostly sees only that a write
        // came up short.
        if (file.error() != QFileDevice::NoError)
            return fail(file.errorString());
        if (!filled)
            return fail(why.isEmpty() ? QStringLiteral("the content could not be made") : why);
        // Written out of the file's buffer now, so that a full disk is told as such
        // rather than as a failed rename.
        const qint64 written = file.pos();
        if (!file.flush())
            return fail(file.errorString());
        if (file.size() != written)
            return fail(QStringLiteral("only %1 of %2 bytes reached the disk").arg(file.size()).arg(written));
        if (!file.commit())
            return fail(file.errorString());
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
