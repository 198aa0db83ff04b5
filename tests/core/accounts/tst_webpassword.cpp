// Website passwords as the database keeps them: a hash that verifies only the password
// it was made from, is never the password, and is refused for weak new passwords.

#include "accounts/WebPassword.h"

#include <QTest>

#include <sodium.h>

class tst_WebPassword : public QObject
{
    Q_OBJECT

private slots:
    void verifiesOnlyItsOwnPassword_data();
    void verifiesOnlyItsOwnPassword();
    void storedValuesThatAreNoHash_data();
    void storedValuesThatAreNoHash();
    void olderLimitsNeedANewHash();
    void weakPasswordsRefused_data();
    void weakPasswordsRefused();
};

void tst_WebPassword::verifiesOnlyItsOwnPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("other");

    QTest::newRow("letters and digits") << "fleet1001xyz"
                                        << "fleet1001xy";
    QTest::newRow("letter case counts") << "Correct Horse"
                                        << "correct horse";
    QTest::newRow("quotes, blanks and letters beyond ASCII")
        << QStringLiteral("Pässwörd 'x' \"y\" 東京 ") << QStringLiteral("Pässwörd 'x' \"y\" 東京");
    QTest::newRow("an apostrophe that would end an SQL text") << "'; DROP TABLE WebUser; --"
                                                              << "";
}

void tst_WebPassword::verifiesOnlyItsOwnPassword()
{
    QFETCH(QString, password);
    QFETCH(QString, other);
    const QString hash = WebPassword::hash(password);
    QVERIFY(hash.startsWith(QLatin1String("$argon2id$")));
    QVERIFY(!hash.contains(password));
    QVERIFY(hash.size() < 128);
    QVERIFY(WebPassword::verify(hash, password));
    QVERIFY(!WebPassword::verify(hash, other));
    // A new salt every time: two hashes of one password differ, and both verify.
    const QString again = WebPassword::hash(password);
    QVERIFY(again != hash);
    QVERIFY(WebPassword::verify(again, password));
    QVERIFY(!WebPassword::needsRehash(hash));
}

void tst_WebPassword::storedValuesThatAreNoHash_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("no password") << QString();
    QTest::newRow("a password left in clear") << "fleet1001";
    QTest::newRow("a hash cut short") << WebPassword::hash(QStringLiteral("fleet1001")).left(40);
}

void tst_WebPassword::storedValuesThatAreNoHash()
{
    QFETCH(QString, stored);
    QVERIFY(!WebPassword::verify(stored, stored));
    QVERIFY(!WebPassword::verify(stored, QStringLiteral("fleet1001")));
    QVERIFY(WebPassword::needsRehash(stored));
}

// A hash made with other limits still verifies, and is reported for a new hash.
void tst_WebPassword::olderLimitsNeedANewHash()
{
    QVERIFY(sodium_init() >= 0);
    const QByteArray password("an older fleet password");
    char out[crypto_pwhash_STRBYTES];
    QCOMPARE(
        crypto_pwhash_str(out, password.constData(), password.size(), crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN), 0);
    const QString old = QString::fromLatin1(out);
    QVERIFY(WebPassword::verify(old, QString::fromLatin1(password)));
    QVERIFY(WebPassword::needsRehash(old));
}

void tst_WebPassword::weakPasswordsRefused_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("refusal"); // "" when taken

    QTest::newRow("nine characters are too few") << "abcdefghi"
                                                 << "acme"
                                                 << "at least 10 characters";
    QTest::newRow("ten characters are enough") << "abcdefghij"
                                               << "acme"
                                               << "";
    QTest::newRow("characters, not bytes, are counted") << QStringLiteral("ääääääääää") << "acme"
                                                        << "";
    QTest::newRow("nine characters beyond the basic plane are still nine") << QString(QStringLiteral("😀")).repeated(9) << "acme"
                                                                           << "at least 10 characters";
    QTest::newRow("the username itself") << "acmefreight1"
                                         << "acmefreight1"
                                         << "same as the username";
    QTest::newRow("the username in other letter case") << "AcmeFreight1"
                                                       << "acmefreight1"
                                                       << "same as the username";
}

void tst_WebPassword::weakPasswordsRefused()
{
    QFETCH(QString, password);
    QFETCH(QString, userName);
    QFETCH(QString, refusal);
    const QString said = WebPassword::refusal(password, userName);
    if (refusal.isEmpty())
        QCOMPARE(said, QString());
    else
        QVERIFY2(said.contains(refusal), qPrintable(said));
}

QTEST_GUILESS_MAIN(tst_WebPassword)
#include "tst_webpassword.moc"
