#pragma once

#include <QString>

// A fleet's website password as the database keeps it: an Argon2id hash string made by
// libsodium with its interactive limits, never the password itself. Every station role
// can read WebUser, so a stored password must be of no use to whoever reads it.
namespace WebPassword {

// The shortest new password taken, in characters.
constexpr int MinimumLength = 10;

// The hash string to store for a password (a new random salt every time). Throws
// DbError when libsodium cannot make one (it runs out of memory).
QString hash(const QString &password);

// True when the password is the one the stored hash was made from. A stored value that
// is not a hash string (NULL, empty, a password left in clear) never verifies.
bool verify(const QString &storedHash, const QString &password);

// True when the stored hash was made with other limits than hash() uses now, so the
// website should store a new hash of the password just verified.
bool needsRehash(const QString &storedHash);

// Why a new password cannot be taken for this username ("" when it can): shorter than
// MinimumLength characters, or the username itself.
QString refusal(const QString &password, const QString &userName);

} // namespace WebPassword
