#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// Whether another copy of the program runs on this machine. The first copy holds a lock
// file in the system's temporary folder for its whole run. The lock records the
// holder's process ID: a copy that crashed or was killed leaves a file whose process is
// gone, and the next copy takes the lock over instead of refusing to run.
class SingleCopy
{
public:
    // The lock file every copy uses: AccountManagementSoftware.lock in QDir::tempPath()
    // (TMPDIR when set).
    static QString lockPath();

    // Takes the lock; false when another running copy holds it. When the lock cannot
    // be taken for another reason (an unwritable folder), the check cannot tell and
    // lets the program run.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
