#include "PortalConfig.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <arpa/inet.h>

namespace {

bool readNumber(const QString &text, double least, double *value)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= least) || v > 1e6)
        return false;
    *value = v;
    return true;
}

// Whether the text is an IPv4 or IPv6 address, and whether it is a loopback one.
bool parseAddress(const QString &text, bool *loopback)
{
    const QByteArray a = text.toLatin1();
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, a.constData(), &v4) == 1) {
        *loopback = (ntohl(v4.s_addr) >> 24) == 127;
        return true;
    }
    if (inet_pton(AF_INET6, a.constData(), &v6) == 1) {
        *loopback = IN6_IS_ADDR_LOOPBACK(&v6);
        return true;
    }
    return false;
}

} // namespace

bool PortalConfig::read(const QString &path, PortalConfig *config, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: cannot be read (%2).").arg(path, file.errorString());
        return false;
    }
    PortalConfig c;
    c.baseDir = QFileInfo(path).absolutePath();
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            *error = QStringLiteral("%1 line %2: expected Name = value.").arg(path).arg(lineNumber);
            return false;
        }
        const QString name = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        bool ok = true;
        double number = 0;
        if (name == QLatin1String("listen")) {
            c.listenAddress = value;
        } else if (name == QLatin1String("port")) {
            c.port = value.toInt(&ok);
            ok = ok && c.port >= 0 && c.port <= 65535;
        } else if (name == QLatin1String("tlscertificate")) {
            c.tlsCertificate = value;
        } else if (name == QLatin1String("tlskey")) {
            c.tlsKey = value;
        } else if (name == QLatin1String("connection")) {
            c.connection = value;
        } else if (name == QLatin1String("location")) {
            // The number the workstations' config.txt names, stored in at most 11 digits.
            static const QRegularExpression digits(QStringLiteral("^[0-9]{1,11}$"));
            ok = digits.match(value).hasMatch();
            c.locationId = value;
        } else if (name == QLatin1String("sessionminutes")) {
            ok = readNumber(value, 0.01, &number);
            c.sessionMinutes = number;
        } else if (name == QLatin1String("failurewindowminutes")) {
            ok = readNumber(value, 0.01, &number);
            c.failureWindowMinutes = number;
        } else if (name == QLatin1String("lockoutminutes")) {
            ok = readNumber(value, 0.01, &number);
            c.lockoutMinutes = number;
        } else if (name == QLatin1String("failuresperuser")) {
            ok = readNumber(value, 1, &number);
            c.failuresPerUser = int(number);
        } else if (name == QLatin1String("failuresperaddress")) {
            ok = readNumber(value, 1, &number);
            c.failuresPerAddress = int(number);
        } else if (name == QLatin1String("databaseworkers")) {
            ok = readNumber(value, 1, &number) && number <= kRequestWorkers && number == int(number);
            c.databaseWorkers = int(number);
        } else if (name == QLatin1String("databasewaitseconds")) {
            // Shorter than the time a request is given in all, so that the busy page is sent.
            ok = readNumber(value, 0.1, &number) && number <= 10;
            c.databaseWaitSeconds = number;
        } else if (name == QLatin1String("behindproxy")) {
            ok = value == QLatin1String("0") || value == QLatin1String("1");
            c.behindProxy = value == QLatin1String("1");
        } else {
            *error = QStringLiteral("%1 line %2: unknown setting %3.").arg(path).arg(lineNumber).arg(line.left(equals).trimmed());
            return false;
        }
        if (!ok) {
            *error = QStringLiteral("%1 line %2: %3 is not a usable value for %4.")
                         .arg(path)
                         .arg(lineNumber)
                         .arg(value, line.left(equals).trimmed());
            return false;
        }
    }
    const QString problem = c.problem();
    if (!problem.isEmpty()) {
        *error = QStringLiteral("%1: %2").arg(path, problem);
        return false;
    }
    *config = c;
    return true;
}

QString PortalConfig::problem() const
{
    if (connection.isEmpty())
        return QStringLiteral("Connection is not set.");
    bool loopback = false;
    if (!parseAddress(listenAddress, &loopback))
        return QStringLiteral("Listen must be an IP address, not %1.").arg(listenAddress);
    if (tlsCertificate.isEmpty() != tlsKey.isEmpty())
        return QStringLiteral("TlsCertificate and TlsKey go together: set both, or neither for plain HTTP.");
    // Passwords and session cookies must not cross a network in clear.
    if (!tls() && !loopback)
        return QStringLiteral(
                   "Plain HTTP is only served on a loopback address (127.0.0.1); set TlsCertificate and TlsKey to listen on %1.")
            .arg(listenAddress);
    return {};
}
