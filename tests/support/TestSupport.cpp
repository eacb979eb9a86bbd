#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

bool WaitFor(const std::function<bool()> &cond, std::chrono::milliseconds deadline)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > deadline.count())
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

static const char *const LocaleVariables[4] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"};

LocaleGuard::LocaleGuard(const char *name)
{
    for (int i = 0; i < 4; ++i) {
        if (const char *v = std::getenv(LocaleVariables[i]))
            FSaved[i] = std::string(v);
        unsetenv(LocaleVariables[i]);
    }
    setenv("LC_ALL", name, 1);
}

LocaleGuard::~LocaleGuard()
{
    for (int i = 0; i < 4; ++i) {
        if (FSaved[i])
            setenv(LocaleVariables[i], FSaved[i]->c_str(), 1);
        else
            unsetenv(LocaleVariables[i]);
    }
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

uint16_t FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

int64_t ResidentBytes()
{
    // Linux: the second field of statm is the resident page count.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields.at(1).toLongLong() * int64_t(::sysconf(_SC_PAGESIZE));
}
