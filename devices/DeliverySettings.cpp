#include "devices/DeliverySettings.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool HasControl(const QString &text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

bool HasSpaceOrControl(const QString &text)
{
    for (QChar c : text)
        if (c.isSpace())
            return true;
    return HasControl(text);
}

// A host name (letters, digits, hyphens and dots) or an IPv4 or IPv6
// address. Anything else would change the meaning of the URL it goes into.
bool IsHost(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const bool v6 = host.contains(QLatin1Char(':'));
    for (QChar c : host) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                        (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                        (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                        (v6 ? c == QLatin1Char(':') || c == QLatin1Char('.')
                            : c == QLatin1Char('-') || c == QLatin1Char('.'));
        if (!ok)
            return false;
    }
    return !host.startsWith(QLatin1Char('-')) && !host.startsWith(QLatin1Char('.'));
}

// The problem with a file the delivery reads, or an empty text.
QString FileProblem(const QString &what, const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return QStringLiteral("The %1 %2 does not exist").arg(what, fileName);
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("The %1 %2 cannot be read").arg(what, fileName);
    return QString();
}

} // namespace

QStringList DeliverySettingsProblems(const TDeliverySettings &settings)
{
    QStringList problems;
    if (settings.IsEmpty())
        return problems;
    if (settings.Host.isEmpty())
        problems << QStringLiteral("No host is set for the delivery");
    else if (!IsHost(settings.Host))
        problems << QStringLiteral("The host must be a host name or an address, not \"%1\"")
                        .arg(settings.Host);
    if (settings.Port < 1 || settings.Port > 65535)
        problems
            << QStringLiteral("The port must be between 1 and 65535, not %1").arg(settings.Port);
    if (settings.User.isEmpty())
        problems << QStringLiteral("No user is set for the delivery");
    else if (HasSpaceOrControl(settings.User))
        problems << QStringLiteral("The user \"%1\" holds spaces or control characters")
                        .arg(settings.User);

    if (settings.PrivateKeyFile.isEmpty()) {
        problems << QStringLiteral(
            "No private-key file is set: the delivery logs in with a key, never a password");
    } else if (QString problem =
                   FileProblem(QStringLiteral("private-key file"), settings.PrivateKeyFile);
               !problem.isEmpty()) {
        problems << problem;
    } else {
        QFile key(settings.PrivateKeyFile);
        if (key.open(QIODevice::ReadOnly) && key.read(4) == "ssh-")
            problems << QStringLiteral("The private-key file %1 holds a public key: choose the "
                                       "private key beside it")
                            .arg(settings.PrivateKeyFile);
    }

    if (settings.RemoteFolder.isEmpty())
        problems << QStringLiteral("No remote folder is set for the delivery");
    else if (!settings.RemoteFolder.startsWith(QLatin1Char('/')))
        problems << QStringLiteral(
                        "The remote folder must be an absolute path beginning with /, not \"%1\"")
                        .arg(settings.RemoteFolder);
    else if (HasControl(settings.RemoteFolder))
        problems << QStringLiteral("The remote folder \"%1\" holds control characters")
                        .arg(settings.RemoteFolder);

    if (settings.KnownHostsFile.isEmpty())
        problems << QStringLiteral(
            "No known-hosts file is set, so the server's host key cannot be checked");
    else if (QString problem =
                 FileProblem(QStringLiteral("known-hosts file"), settings.KnownHostsFile);
             !problem.isEmpty())
        problems << problem;
    return problems;
}
