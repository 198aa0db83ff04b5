#include "accounts/WebPassword.h"

#include "db/DbError.h"

#include <QList>

#include <sodium.h>

namespace {

// libsodium must be set up once before its first use; it is safe to call again.
void ready()
{
    static const bool initialised = sodium_init() >= 0;
    if (!initialised)
        throw DbError(QStringLiteral("The password library could not be started."));
}

} // namespace

namespace WebPassword {

QString hash(const QString &password)
{
    ready();
    const QByteArray clear = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, clear.constData(), static_cast<unsigned long long>(clear.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw DbError(QStringLiteral("There was not enough memory to protect the website password; nothing was saved."));
    return QString::fromLatin1(out);
}

bool verify(const QString &storedHash, const QString &password)
{
    ready();
    const QByteArray stored = storedHash.toLatin1();
    if (storedHash.isEmpty() || stored.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray clear = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), clear.constData(), static_cast<unsigned long long>(clear.size())) == 0;
}

bool needsRehash(const QString &storedHash)
{
    ready();
    const QByteArray stored = storedHash.toLatin1();
    if (stored.size() >= crypto_pwhash_STRBYTES)
        return true;
    // -1 (not a hash of this kind at all) needs a new hash as much as 1 (other limits).
    return crypto_pwhash_str_needs_rehash(stored.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
           != 0;
}

QString refusal(const QString &password, const QString &userName)
{
    if (password.toUcs4().size() < MinimumLength)
        return QStringLiteral("The new password must be at least %1 characters long.").arg(MinimumLength);
    if (password.compare(userName, Qt::CaseInsensitive) == 0)
        return QStringLiteral("The new password must not be the same as the username.");
    return {};
}

} // namespace WebPassword
