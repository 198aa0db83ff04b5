#pragma once

#include <QString>

class MainWindow;

// The start-up steps and the program's end. They work on appContext() and on the one
// database connection, which Db::current() returns once OpenDatabase has run.

// Fills the four configuration values from the file at path, or when path is empty from
// the first config.txt found: beside the executable, then the machine's /etc/ams/config.txt.
// Throws ConfigError.
void ReadConfigFile(const QString &path = {});

// Opens the program's connection: the configured connection text, followed directly by
// "PWD=QZ;" unless it names a PWD of its own, within the 10-second time-out; a relative
// SQLite file lies in baseDir, or when that is empty beside the configuration read (in
// the user's data folder for the machine's file; ConfigFile::databaseFolder). Throws
// DbError, also when the database is at another schema version than the program's
// (the message names both and the amsdb upgrade to run).
void OpenDatabase(const QString &baseDir = {});

// Fills CompanySettings from the Company row of this location. Without a row the
// settings keep their values and the company information screen opens in the main
// window, so that the location can be set up. Returns whether the row was there.
// Throws DbError.
bool LoadCompanySettings();

// Disables the administration commands unless AdminWorkstation is exactly "1".
void ApplyWorkstationRights(MainWindow &window);

// Closes the connection and ends the program at once; nothing on an open screen is
// saved and no screen runs its closing steps.
void ExitApplication();
