// The exchange library, driven through its two entry points after loading it
// by name, as the receiver does.
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QLibrary>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using TInit = int32_t (*)(int32_t);
using TGetSym = int32_t (*)();

// A telemetry source: a TCP client of the exchange port.
class TSource
{
  public:
    explicit TSource(uint16_t port, bool blocking = true)
    {
        FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int rc = ::connect(FFd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        if (rc != 0 && errno == EINPROGRESS) {
            pollfd p{FFd, POLLOUT, 0};
            ::poll(&p, 1, 5000);
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(FFd, SOL_SOCKET, SO_ERROR, &error, &length);
            FConnected = error == 0;
        } else {
            FConnected = rc == 0;
        }
    }
    ~TSource() { Close(); }
    bool Connected() const { return FConnected; }
    bool Send(const std::string &text)
    {
        return ::send(FFd, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size());
    }
    int Fd() const { return FFd; }
    void Close()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

  private:
    int FFd = -1;
    bool FConnected = false;
};

class ExchangeLibrary : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Port = FreeLoopbackPort();
        ASSERT_NE(Port, 0);
        setenv("DXSOFTEX_PORT", std::to_string(Port).c_str(), 1);
        Load();
    }
    void TearDown() override
    {
        Library.unload();
        unsetenv("DXSOFTEX_PORT");
    }
    void Load()
    {
        Library.setFileName(QStringLiteral(VENTREL_BIN_DIR "/libdxsoftex.so"));
        ASSERT_TRUE(Library.load()) << Library.errorString().toStdString();
        Init = reinterpret_cast<TInit>(Library.resolve("_DxsoftExchangeInit"));
        GetSym = reinterpret_cast<TGetSym>(Library.resolve("_DxsoftGetSymFromRxBuffer"));
        ASSERT_NE(Init, nullptr);
        ASSERT_NE(GetSym, nullptr);
    }
    // Everything received until `count` characters have come (or the deadline).
    std::string Receive(size_t count)
    {
        std::string text;
        WaitFor([&] {
            for (int32_t c; text.size() < count && (c = GetSym()) != -1;)
                text += char(c);
            return text.size() >= count;
        });
        return text;
    }

    uint16_t Port = 0;
    QLibrary Library;
    TInit Init = nullptr;
    TGetSym GetSym = nullptr;
};

} // namespace

TEST_F(ExchangeLibrary, DeliversCharactersInOrderAndNeverWaits)
{
    ASSERT_NE(Init(1), 0);
    EXPECT_NE(Init(1), 0); // again, harmlessly
    EXPECT_EQ(GetSym(), -1);

    TSource source(Port);
    ASSERT_TRUE(source.Connected());
    ASSERT_TRUE(source.Send(std::string("/1MR:TPUVVVVF/\r\n0A1\xff/", 22)));
    const std::string text = Receive(22);
    EXPECT_EQ(text, std::string("/1MR:TPUVVVVF/\r\n0A1\xff/", 22));
    EXPECT_EQ(GetSym(), -1);

    ASSERT_TRUE(source.Send("\xff"));
    ASSERT_TRUE(WaitFor([&] {
        const int32_t c = GetSym();
        if (c != -1) {
            EXPECT_EQ(c, 255); // a character code, never a negative number
        }
        return c != -1;
    }));
}

TEST_F(ExchangeLibrary, SourcesMayComeAndGo)
{
    ASSERT_NE(Init(1), 0);
    {
        TSource first(Port);
        ASSERT_TRUE(first.Connected());
        ASSERT_TRUE(first.Send("abc/"));
        EXPECT_EQ(Receive(4), "abc/");
    }
    TSource idle(Port); // stays connected and silent
    ASSERT_TRUE(idle.Connected());
    TSource second(Port);
    ASSERT_TRUE(second.Connected());
    ASSERT_TRUE(second.Send("def/"));
    EXPECT_EQ(Receive(4), "def/");
    second.Close();
    idle.Close();
    TSource third(Port);
    ASSERT_TRUE(third.Connected());
    ASSERT_TRUE(third.Send("ghi/"));
    EXPECT_EQ(Receive(4), "ghi/");
}

TEST_F(ExchangeLibrary, FullBufferHoldsBackTheSourceAndLosesNothing)
{
    ASSERT_NE(Init(1), 0);
    TSource source(Port, false);
    ASSERT_TRUE(source.Connected());

    // Write without reading until the source cannot get rid of any more: the
    // library's buffer and both socket buffers are then full.
    auto pattern = [](size_t i) { return char('0' + (i * 7 + i / 1000) % 43); };
    size_t written = 0;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        for (size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = pattern(written + i);
        const ssize_t n = ::send(source.Fd(), chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (n > 0) {
            written += size_t(n);
            continue;
        }
        ASSERT_TRUE(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        pollfd p{source.Fd(), POLLOUT, 0};
        // Stalled with more than the library's 1 MiB sent: it holds back.
        if (::poll(&p, 1, 500) == 0 && written > (size_t(1) << 20))
            break;
        ASSERT_LT(written, size_t(512) << 20) << "the library never stopped taking data";
    }

    size_t received = 0;
    size_t wrong = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (int32_t c; (c = GetSym()) != -1; ++received)
                if (char(c) != pattern(received))
                    ++wrong;
            return received >= written;
        },
        std::chrono::seconds(60)));
    EXPECT_EQ(received, written);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(GetSym(), -1);
}

TEST_F(ExchangeLibrary, FailsCleanlyAndCanBeTriedAgain)
{
    EXPECT_EQ(Init(0), 0);
    setenv("DXSOFTEX_PORT", "70000", 1);
    EXPECT_EQ(Init(1), 0);
    setenv("DXSOFTEX_PORT", std::to_string(Port).c_str(), 1);
    const int blocker = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);
    EXPECT_EQ(Init(1), 0);
    EXPECT_EQ(GetSym(), -1);
    ::close(blocker);
    ASSERT_NE(Init(1), 0);
    TSource source(Port);
    ASSERT_TRUE(source.Send("/x/"));
    EXPECT_EQ(Receive(3), "/x/");
}

TEST_F(ExchangeLibrary, UnloadsWhileASourceIsSendingAndOpensAgain)
{
    ASSERT_NE(Init(1), 0);
    TSource source(Port);
    ASSERT_TRUE(source.Connected());
    ASSERT_TRUE(source.Send("/pending/"));
    ASSERT_TRUE(WaitFor([&] { return GetSym() != -1; }));
    ASSERT_TRUE(Library.unload());
    source.Close();

    const uint16_t port = FreeLoopbackPort();
    setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
    Load();
    ASSERT_NE(Init(1), 0);
    EXPECT_EQ(GetSym(), -1); // a fresh exchange
    TSource again(port);
    ASSERT_TRUE(again.Connected());
    ASSERT_TRUE(again.Send("/new/"));
    EXPECT_EQ(Receive(5), "/new/");
}
