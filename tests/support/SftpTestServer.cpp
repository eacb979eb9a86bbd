#include "SftpTestServer.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <pwd.h>
#include <set>
#include <unistd.h>

namespace {

const QString Sshd = QStringLiteral("/usr/sbin/sshd");
const QString KeygenProgram = QStringLiteral("/usr/bin/ssh-keygen");

QString UserName()
{
    const passwd *user = ::getpwuid(::getuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString();
}

// Every descendant of `pid`, read from /proc.
std::set<pid_t> Descendants(pid_t pid)
{
    std::set<pid_t> found{pid};
    for (bool grew = true; grew;) {
        grew = false;
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t child = pid_t(entry.toInt(&number));
            if (!number || found.count(child))
                continue;
            const QByteArray stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(entry));
            // pid (comm) state ppid ...: comm may hold spaces, so read after ')'.
            const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && found.count(pid_t(fields.at(1).toInt()))) {
                found.insert(child);
                grew = true;
            }
        }
    }
    found.erase(pid);
    return found;
}

} // namespace

TSftpTestServer::TSftpTestServer(bool readOnly) : FReadOnly(readOnly)
{
    if (!QFileInfo(Sshd).isExecutable() || !QFileInfo(KeygenProgram).isExecutable() ||
        !QFileInfo(QStringLiteral("/usr/lib/openssh/sftp-server")).isExecutable()) {
        FUnavailable = QStringLiteral("OpenSSH (sshd, ssh-keygen) is not installed: "
                                      "run scripts/bootstrap");
        return;
    }
    // sshd insists on its privilege-separation folder.
    if (!QDir().mkpath(QStringLiteral("/run/sshd"))) {
        FUnavailable = QStringLiteral("/run/sshd cannot be made");
        return;
    }
    QDir().mkpath(Folder());
    if (!Keygen(FDir.filePath(QStringLiteral("host_key"))) ||
        !Keygen(FDir.filePath(QStringLiteral("other_host_key"))) ||
        !Keygen(FDir.filePath(QStringLiteral("user_key"))) ||
        !QFile::copy(FDir.filePath(QStringLiteral("user_key.pub")),
                     FDir.filePath(QStringLiteral("authorized_keys"))))
        FUnavailable = QStringLiteral("ssh-keygen failed");
}

TSftpTestServer::~TSftpTestServer()
{
    Stop();
}

bool TSftpTestServer::Keygen(const QString &file)
{
    QProcess keygen;
    keygen.start(KeygenProgram,
                 {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("ed25519"),
                  QStringLiteral("-N"), QString(), QStringLiteral("-C"),
                  QStringLiteral("ventrel-test"), QStringLiteral("-f"), file});
    return keygen.waitForFinished(30000) && keygen.exitStatus() == QProcess::NormalExit &&
           keygen.exitCode() == 0;
}

void TSftpTestServer::WriteConfig()
{
    // Debian's sftp-server, run by the user's shell so that its log of every
    // request (-e: to standard error) lands in a file of the test.
    const QString sftp = QStringLiteral("/usr/lib/openssh/sftp-server -e -l INFO") +
                         (FReadOnly ? QStringLiteral(" -R") : QString()) + QStringLiteral(" 2>>") +
                         FDir.filePath(QStringLiteral("sftp.log"));
    QStringList lines{
        QStringLiteral("Port %1").arg(FPort),
        QStringLiteral("ListenAddress 127.0.0.1"),
        QStringLiteral("HostKey ") + FDir.filePath(QStringLiteral("host_key")),
        QStringLiteral("PidFile none"),
        QStringLiteral("UsePAM no"),
        QStringLiteral("PermitRootLogin prohibit-password"),
        QStringLiteral("StrictModes no"),
        QStringLiteral("AuthorizedKeysFile ") + FDir.filePath(QStringLiteral("authorized_keys")),
        QStringLiteral("PasswordAuthentication no"),
        QStringLiteral("KbdInteractiveAuthentication no"),
        QStringLiteral("PubkeyAuthentication yes"),
        QStringLiteral("LogLevel VERBOSE"),
        QStringLiteral("Subsystem sftp internal-sftp"),
        QStringLiteral("ForceCommand ") + sftp,
    };
    QFile config(FDir.filePath(QStringLiteral("sshd_config")));
    config.open(QIODevice::WriteOnly | QIODevice::Truncate);
    config.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

bool TSftpTestServer::Start()
{
    if (!FUnavailable.isEmpty())
        return false;
    Stop();
    if (FPort == 0)
        FPort = FreeLoopbackPort();
    WriteConfig();
    const QString log = FDir.filePath(QStringLiteral("sshd.log"));
    const qint64 before = QFileInfo(log).size();
    FServer = std::make_unique<QProcess>();
    FServer->setProcessChannelMode(QProcess::MergedChannels);
    FServer->setStandardOutputFile(log, QIODevice::Append);
    FServer->start(Sshd, {QStringLiteral("-D"), QStringLiteral("-e"), QStringLiteral("-f"),
                          FDir.filePath(QStringLiteral("sshd_config"))});
    // The server may write its first line before the process counts as
    // running here.
    if (!FServer->waitForStarted(10000))
        return false;
    const QByteArray listening =
        QStringLiteral("Server listening on 127.0.0.1 port %1.").arg(FPort).toUtf8();
    return WaitFor([&] {
               return ReadFileBytes(log).mid(before).contains(listening) ||
                      FServer->state() == QProcess::NotRunning;
           }) &&
           FServer->state() == QProcess::Running;
}

void TSftpTestServer::KillSessions()
{
    if (!FServer || FServer->state() != QProcess::Running)
        return;
    const std::set<pid_t> sessions = Descendants(pid_t(FServer->processId()));
    for (pid_t pid : sessions)
        ::kill(pid, SIGKILL);
    WaitFor([&] {
        for (pid_t pid : sessions)
            if (::kill(pid, 0) == 0 &&
                !ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid)).contains(") Z "))
                return false;
        return true;
    });
}

void TSftpTestServer::Stop()
{
    if (!FServer)
        return;
    KillSessions();
    FServer->terminate();
    if (!FServer->waitForFinished(10000)) {
        FServer->kill();
        FServer->waitForFinished(10000);
    }
    FServer.reset();
}

QString TSftpTestServer::Folder() const
{
    return FDir.filePath(QStringLiteral("served/incoming"));
}

TDeliverySettings TSftpTestServer::Settings() const
{
    const QString known = FDir.filePath(QStringLiteral("known_hosts"));
    QFile file(known);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QStringLiteral("[127.0.0.1]:%1 ").arg(FPort).toUtf8() +
               ReadFileBytes(FDir.filePath(QStringLiteral("host_key.pub"))));
    TDeliverySettings settings;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = FPort;
    settings.User = UserName();
    settings.PrivateKeyFile = FDir.filePath(QStringLiteral("user_key"));
    settings.RemoteFolder = Folder();
    settings.KnownHostsFile = known;
    return settings;
}

QString TSftpTestServer::WrongKnownHosts() const
{
    const QString known = FDir.filePath(QStringLiteral("wrong/known_hosts"));
    QDir().mkpath(QFileInfo(known).path());
    QFile file(known);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(QStringLiteral("[127.0.0.1]:%1 ").arg(FPort).toUtf8() +
               ReadFileBytes(FDir.filePath(QStringLiteral("other_host_key.pub"))));
    return known;
}

QString TSftpTestServer::Log() const
{
    return QString::fromUtf8(ReadFileBytes(FDir.filePath(QStringLiteral("sshd.log"))) +
                             "---- sftp-server\n" +
                             ReadFileBytes(FDir.filePath(QStringLiteral("sftp.log"))));
}

int TSftpTestServer::Renames(const QString &name) const
{
    return int(Log().count(QStringLiteral("\" new \"%1/%2\"").arg(Folder(), name)));
}
