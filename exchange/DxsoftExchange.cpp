// The telemetry exchange library. A decoder program (or the sonde simulator)
// connects to a TCP port on the loopback interface and writes the telemetry
// characters; the ground station takes them out one at a time through
// _DxsoftGetSymFromRxBuffer, which never waits.
//
// The port is 52170 unless the environment variable DXSOFTEX_PORT names
// another. Sources may connect, disconnect and reconnect at any time; several
// may be connected at once and are read as their data arrives.
//
// The buffer holds at most 1 MiB. When it is full the library stops reading
// from the sources until characters are taken out: the newest data waits in
// the sockets (and the sources' writes slow down) rather than anything being
// dropped.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#define DXSOFTEX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint16_t DefaultPort = 52170;
constexpr size_t BufferCapacity = size_t(1) << 20;
constexpr size_t MaxSources = 8;
constexpr size_t ReadChunk = 64 * 1024;
// While the buffer is full the sources are not read; this is how often the
// listener looks whether room has been made.
constexpr int FullBufferRecheckMs = 5;

void CloseQuietly(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The port from DXSOFTEX_PORT, the default without it, 0 when it is not a
// port number.
uint16_t ConfiguredPort()
{
    const char *text = std::getenv("DXSOFTEX_PORT");
    if (!text || !*text)
        return DefaultPort;
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > 65535) {
        std::fprintf(stderr, "dxsoftex: DXSOFTEX_PORT=\"%s\" is not a port number (1 to 65535)\n",
                     text);
        return 0;
    }
    return uint16_t(value);
}

class TExchange
{
  public:
    ~TExchange() { Shutdown(); }

    int32_t Init()
    {
        std::lock_guard<std::mutex> init(FInitLock);
        if (FListener >= 0)
            return 1;
        const uint16_t port = ConfiguredPort();
        if (port == 0)
            return 0;

        int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (listener < 0)
            return Fail("socket", port, listener);
        const int yes = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            return Fail("bind", port, listener);
        if (::listen(listener, int(MaxSources)) != 0)
            return Fail("listen", port, listener);
        int wake[2];
        if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0)
            return Fail("pipe", port, listener);

        {
            std::lock_guard<std::mutex> lock(FBufferLock);
            FBuffer.assign(BufferCapacity, 0);
            FHead = 0;
            FCount = 0;
        }
        FListener = listener;
        FWakeRead = wake[0];
        FWakeWrite = wake[1];
        FStop = false;
        try {
            FThread = std::thread([this] { Serve(); });
        } catch (...) {
            CloseQuietly(FListener);
            CloseQuietly(FWakeRead);
            CloseQuietly(FWakeWrite);
            std::fprintf(stderr, "dxsoftex: cannot start the listening thread\n");
            return 0;
        }
        return 1;
    }

    int32_t GetSymbol()
    {
        std::lock_guard<std::mutex> lock(FBufferLock);
        if (FCount == 0)
            return -1;
        const uint8_t symbol = FBuffer[FHead];
        FHead = (FHead + 1) % FBuffer.size();
        --FCount;
        return symbol;
    }

  private:
    int32_t Fail(const char *what, uint16_t port, int &listener)
    {
        std::fprintf(stderr, "dxsoftex: cannot listen on 127.0.0.1:%u (%s: %s)\n", unsigned(port),
                     what, std::strerror(errno));
        CloseQuietly(listener);
        return 0;
    }

    void Shutdown()
    {
        std::lock_guard<std::mutex> init(FInitLock);
        if (!FThread.joinable())
            return;
        FStop = true;
        const char byte = 0;
        [[maybe_unused]] ssize_t ignored = ::write(FWakeWrite, &byte, 1);
        FThread.join();
        CloseQuietly(FListener);
        CloseQuietly(FWakeRead);
        CloseQuietly(FWakeWrite);
    }

    size_t FreeSpace()
    {
        std::lock_guard<std::mutex> lock(FBufferLock);
        return FBuffer.size() - FCount;
    }

    void Store(const uint8_t *data, size_t size)
    {
        std::lock_guard<std::mutex> lock(FBufferLock);
        const size_t tail = (FHead + FCount) % FBuffer.size();
        const size_t first = std::min(size, FBuffer.size() - tail);
        std::memcpy(FBuffer.data() + tail, data, first);
        std::memcpy(FBuffer.data(), data + first, size - first);
        FCount += size;
    }

    void Serve()
    {
        std::vector<int> sources;
        std::vector<uint8_t> chunk(ReadChunk);
        std::vector<pollfd> fds;
        while (!FStop) {
            const size_t space = FreeSpace();
            fds.clear();
            fds.push_back({FWakeRead, POLLIN, 0});
            fds.push_back({FListener, POLLIN, 0});
            // A negative descriptor is skipped by poll: a full buffer leaves
            // the sources' data (and their hang-ups) waiting in the sockets.
            for (int fd : sources)
                fds.push_back({space > 0 ? fd : -1, POLLIN, 0});
            const int ready = ::poll(fds.data(), fds.size(), space > 0 ? -1 : FullBufferRecheckMs);
            if (ready < 0 && errno != EINTR)
                break;
            if (ready <= 0 || FStop)
                continue;

            // Read the sources that were polled; a newly accepted one joins
            // them for the next round.
            std::vector<int> open;
            for (size_t i = 0; i < sources.size(); ++i) {
                int fd = sources[i];
                const short events = fds[2 + i].revents;
                if (events == 0 || fds[2 + i].fd < 0) {
                    open.push_back(fd);
                    continue;
                }
                const size_t room = std::min(FreeSpace(), chunk.size());
                if (room == 0) {
                    open.push_back(fd);
                    continue;
                }
                const ssize_t n = ::read(fd, chunk.data(), room);
                if (n > 0) {
                    Store(chunk.data(), size_t(n));
                    open.push_back(fd);
                } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
                    open.push_back(fd);
                } else {
                    CloseQuietly(fd); // the source has gone
                }
            }

            if (fds[1].revents & POLLIN) {
                const int source =
                    ::accept4(FListener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (source >= 0) {
                    if (open.size() < MaxSources)
                        open.push_back(source);
                    else
                        ::close(source);
                }
            }
            sources.swap(open);
        }
        for (int fd : sources)
            ::close(fd);
    }

    std::mutex FInitLock;
    std::mutex FBufferLock;
    std::vector<uint8_t> FBuffer;
    size_t FHead = 0;
    size_t FCount = 0;
    int FListener = -1;
    int FWakeRead = -1;
    int FWakeWrite = -1;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

TExchange Exchange;

} // namespace

// Opens the exchange when called with 1; a non-zero result means the port
// is listening. Calling it again once it is listening does no harm.
DXSOFTEX_EXPORT int32_t _DxsoftExchangeInit(int32_t mode)
{
    if (mode != 1)
        return 0;
    return Exchange.Init();
}

// The code of the next received character, or -1 when none is waiting.
DXSOFTEX_EXPORT int32_t _DxsoftGetSymFromRxBuffer(void)
{
    return Exchange.GetSymbol();
}
