#include "app/FileDialogs.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QStandardPaths>

namespace {

// Icons and type names from the file name and kind only. Qt's provider asks the MIME
// database for the file's type, which opens any file whose name does not settle it
// ("demo.db", "demo.db-wal", "demo.db-shm") to read its first bytes.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return QFileIconProvider::icon(Drive);
        if (info.isDir())
            return QFileIconProvider::icon(Folder);
        const QIcon themed = QIcon::fromTheme(typeByName(info).iconName());
        return themed.isNull() ? QFileIconProvider::icon(File) : themed;
    }

    QString type(const QFileInfo &info) const override
    {
        if (info.isRoot())
            return QStringLiteral("Drive");
        if (info.isDir())
            return QStringLiteral("Folder");
        const QMimeType mime = typeByName(info);
        return mime.isDefault() ? QStringLiteral("File") : mime.comment();
    }

private:
    QMimeType typeByName(const QFileInfo &info) const
    {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase m_types;
};

NameOnlyIconProvider &iconProvider()
{
    static NameOnlyIconProvider provider;
    return provider;
}

void guard(QFileDialog *dialog)
{
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (dialog->iconProvider() != &iconProvider())
        dialog->setIconProvider(&iconProvider());
}

// Gives every file dialog the name-only provider before it is shown: the dialog lists
// its folder only once the event loop runs, after it has been polished.
class DialogGuard final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish && watched->isWidgetType())
            if (auto *dialog = qobject_cast<QFileDialog *>(watched))
                guard(dialog);
        return false;
    }
};

} // namespace

namespace FileDialogs {

void guardAll()
{
    static QPointer<DialogGuard> installed;
    if (installed || !qApp)
        return;
    // The desktop's own dialog would run inside this process with its own type sniffing.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    installed = new DialogGuard(qApp);
    qApp->installEventFilter(installed);
}

QString startFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString saveFileName(QWidget *parent, const QString &caption, const QString &fileName, const QString &filter)
{
    QFileDialog dialog(parent, caption, QDir(startFolder()).filePath(fileName), filter);
    guard(&dialog);
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace FileDialogs
