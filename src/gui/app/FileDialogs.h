#pragma once

#include <QString>

class QWidget;

// Every file dialog of the program. A dialog that shows a folder must never open a file
// in it: POSIX locks belong to the process, and closing any descriptor of a file drops
// every lock the process holds on it. Qt's own dialog reads the first bytes of each file
// it lists to name its type, and on the folder of an SQLite database that took away the
// locks the program's connection holds on the database and its -shm file; another
// workstation then took the database as unused and removed its write-ahead log while
// this one went on saving into it. So every file dialog names types and picks icons from
// the file name alone, and the desktop's own dialog (which sniffs contents in this
// process too) is never used.
namespace FileDialogs {

// Makes every file dialog the application opens from now on one that reads no file
// contents, those Qt's own dialogs open (the print dialog's output file) included.
// The main window does it as it is made; doing it again changes nothing.
void guardAll();

// Asks where a file the program writes goes, starting in the user's documents folder
// with `fileName` proposed; "" when the user cancels.
QString saveFileName(QWidget *parent, const QString &caption, const QString &fileName, const QString &filter);

// The folder save dialogs start in: the user's documents folder, or the home folder
// when there is none.
QString startFolder();

} // namespace FileDialogs
