#include "devices/SftpUploader.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <curl/curl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Once for the process, before the first handle: libcurl's global set-up
// (thread-safe in the libcurl that Debian ships, but done once all the same).
bool CurlReady()
{
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// A path as a double-quoted argument of libcurl's SFTP commands.
QByteArray QuotedPath(const QString &path)
{
    QByteArray bytes = path.toUtf8();
    bytes.replace("\\", "\\\\");
    bytes.replace("\"", "\\\"");
    return '"' + bytes + '"';
}

QString HostForUrl(const QString &host)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

struct TReadState
{
    const QByteArray *Bytes = nullptr;
    size_t Offset = 0;
};

size_t ReadCallback(char *buffer, size_t size, size_t count, void *user)
{
    auto *state = static_cast<TReadState *>(user);
    const size_t left = size_t(state->Bytes->size()) - state->Offset;
    const size_t n = std::min(left, size * count);
    std::memcpy(buffer, state->Bytes->constData() + state->Offset, n);
    state->Offset += n;
    return n;
}

struct TKeyCheck
{
    bool Called = false;
    int Match = CURLKHMATCH_MISSING;
};

int KeyCallback(CURL *, const curl_khkey *, const curl_khkey *, enum curl_khmatch match, void *user)
{
    auto *check = static_cast<TKeyCheck *>(user);
    check->Called = true;
    check->Match = match;
    // Only a key that is in the file as it is; never added, never accepted
    // once.
    return match == CURLKHMATCH_OK ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
}

// The one connection of an upload, and the caller's wish to stop it.
struct TConnection
{
    std::function<bool()> ShouldAbort;
    curl_socket_t Socket = CURL_SOCKET_BAD;
    int DeadNetworkMs = 0;
};

int SocketOptionsCallback(void *user, curl_socket_t socket, curlsocktype purpose)
{
    auto *connection = static_cast<TConnection *>(user);
    if (purpose == CURLSOCKTYPE_IPCXN) {
        connection->Socket = socket;
#ifdef TCP_USER_TIMEOUT
        const unsigned int ms = unsigned(connection->DeadNetworkMs);
        ::setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &ms, sizeof ms);
#endif
    }
    return CURL_SOCKOPT_OK;
}

int CloseSocketCallback(void *user, curl_socket_t socket)
{
    auto *connection = static_cast<TConnection *>(user);
    if (socket == connection->Socket)
        connection->Socket = CURL_SOCKET_BAD;
    return ::close(socket);
}

int ProgressCallback(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto *connection = static_cast<TConnection *>(user);
    if (!connection->ShouldAbort || !connection->ShouldAbort())
        return 0;
    // libcurl shuts an SSH session down politely, waiting for the server's
    // answers without a time limit; a cut socket answers at once.
    if (connection->Socket != CURL_SOCKET_BAD)
        ::shutdown(connection->Socket, SHUT_RDWR);
    return 1;
}

struct TSlist
{
    curl_slist *List = nullptr;
    ~TSlist() { curl_slist_free_all(List); }
    void Append(const QByteArray &line) { List = curl_slist_append(List, line.constData()); }
};

struct TEasyHandle
{
    CURL *Handle = curl_easy_init();
    ~TEasyHandle()
    {
        if (Handle)
            curl_easy_cleanup(Handle);
    }
};

} // namespace

TSftpUploader::TSftpUploader(const TDeliverySettings &settings, const TSftpUploadOptions &options)
    : FSettings(settings), FOptions(options)
{
}

TSftpUploader::~TSftpUploader() = default;

QString TSftpUploader::Address() const
{
    return HostForUrl(FSettings.Host) + QLatin1Char(':') + QString::number(FSettings.Port);
}

QString TSftpUploader::RemotePath(const QString &name) const
{
    QString folder = FSettings.RemoteFolder;
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder + QLatin1Char('/') + name;
}

QString TSftpUploader::TemporaryRemotePath(const QString &name) const
{
    return RemotePath(QLatin1Char('.') + name + QStringLiteral(".part"));
}

TUploadResult TSftpUploader::Upload(const QString &name, const QByteArray &bytes,
                                    const std::function<bool()> &shouldAbort)
{
    const QString address = Address();
    if (!CurlReady())
        return {uoConnection, QStringLiteral("libcurl could not be set up: nothing sent")};
    TConnection connection{shouldAbort, CURL_SOCKET_BAD,
                           int(std::chrono::milliseconds(FOptions.DeadNetworkTimeout).count())};

    const QString target = FSettings.UploadDirectly ? RemotePath(name) : TemporaryRemotePath(name);
    const QByteArray url = "sftp://" + HostForUrl(FSettings.Host).toUtf8() + ':' +
                           QByteArray::number(FSettings.Port) +
                           QUrl::toPercentEncoding(target, "/");
    const QByteArray user = FSettings.User.toUtf8();
    const QByteArray key = QFile::encodeName(FSettings.PrivateKeyFile);
    const QString publicKeyFile = FSettings.PrivateKeyFile + QStringLiteral(".pub");
    const QByteArray publicKey =
        QFileInfo::exists(publicKeyFile) ? QFile::encodeName(publicKeyFile) : QByteArray("");
    const QByteArray knownHosts = QFile::encodeName(FSettings.KnownHostsFile);
    TSlist postQuote;
    if (!FSettings.UploadDirectly) {
        postQuote.Append("*rm " + QuotedPath(RemotePath(name)));
        postQuote.Append("rename " + QuotedPath(target) + ' ' + QuotedPath(RemotePath(name)));
    }
    char errors[CURL_ERROR_SIZE] = {};
    TReadState read{&bytes, 0};
    TKeyCheck keyCheck;
    // Last of all, so that it goes first, while everything it points to is
    // still there.
    TEasyHandle easy;
    CURL *curl = easy.Handle;
    if (!curl)
        return {uoConnection, QStringLiteral("libcurl could not be set up: nothing sent")};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "sftp");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PUBLICKEY));
    curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, key.constData());
    curl_easy_setopt(curl, CURLOPT_SSH_PUBLIC_KEYFILE, publicKey.constData());
    curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS, knownHosts.constData());
    curl_easy_setopt(curl, CURLOPT_SSH_KEYFUNCTION, KeyCallback);
    curl_easy_setopt(curl, CURLOPT_SSH_KEYDATA, &keyCheck);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadCallback);
    curl_easy_setopt(curl, CURLOPT_READDATA, &read);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(bytes.size()));
    curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR_NONE));
    curl_easy_setopt(curl, CURLOPT_NEW_FILE_PERMS, 0644L);
    if (postQuote.List)
        curl_easy_setopt(curl, CURLOPT_POSTQUOTE, postQuote.List);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(FOptions.ConnectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, long(FOptions.TotalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(FOptions.StallTime.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, long(FOptions.StallBytesPerSecond));
    if (FOptions.MaxSendBytesPerSecond > 0)
        curl_easy_setopt(curl, CURLOPT_MAX_SEND_SPEED_LARGE,
                         curl_off_t(FOptions.MaxSendBytesPerSecond));
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPIDLE, 15L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPINTVL, 5L);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, SocketOptionsCallback);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &connection);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, CloseSocketCallback);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, &connection);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &connection);

    const CURLcode code = curl_easy_perform(curl);
    long osErrno = 0;
    curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osErrno);
    // The error buffer lives on this stack; the shut-down below may write to it.
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    const QString detail = QString::fromUtf8(errors[0] ? errors : curl_easy_strerror(code));
    // A failed or stopped connection is not shut down politely: that could
    // wait on a server that no longer answers.
    if (code != CURLE_OK && connection.Socket != CURL_SOCKET_BAD)
        ::shutdown(connection.Socket, SHUT_RDWR);

    if (code == CURLE_OK)
        return {};
    const QString folder = FSettings.RemoteFolder;
    const QString knownName = QFileInfo(FSettings.KnownHostsFile).fileName();
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return {uoAborted, QStringLiteral("the upload to %1 was stopped").arg(address)};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {uoConnection,
                QStringLiteral("the host name %1 could not be resolved").arg(FSettings.Host)};
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ECONNREFUSED)
            return {uoConnection, QStringLiteral("connection refused by %1").arg(address)};
        if (osErrno == ENETUNREACH || osErrno == EHOSTUNREACH)
            return {uoConnection,
                    QStringLiteral("%1 cannot be reached: %2")
                        .arg(address, QString::fromLocal8Bit(std::strerror(osErrno)))};
        return {uoConnection, QStringLiteral("could not connect to %1: %2").arg(address, detail)};
    case CURLE_OPERATION_TIMEDOUT:
        return {uoConnection, QStringLiteral("no answer from %1 in time: %2").arg(address, detail)};
    case CURLE_PEER_FAILED_VERIFICATION:
        if (keyCheck.Called && keyCheck.Match == CURLKHMATCH_MISMATCH)
            return {uoHostKey, QStringLiteral("Host key of %1 does not match %2: not sent")
                                   .arg(FSettings.Host, knownName)};
        if (keyCheck.Called && keyCheck.Match == CURLKHMATCH_MISSING)
            return {uoHostKey, QStringLiteral("Host key of %1 is not in %2: not sent")
                                   .arg(FSettings.Host, knownName)};
        return {uoHostKey, QStringLiteral("Host key of %1 could not be checked against %2: "
                                          "not sent (%3)")
                               .arg(FSettings.Host, knownName, detail)};
    case CURLE_LOGIN_DENIED:
        return {uoLogin, QStringLiteral("login as %1 with the key %2 refused by %3")
                             .arg(FSettings.User, FSettings.PrivateKeyFile, address)};
    case CURLE_REMOTE_ACCESS_DENIED:
        return {uoRemote, QStringLiteral("permission denied for the remote folder %1 on %2")
                              .arg(folder, address)};
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return {uoRemote,
                QStringLiteral("the remote folder %1 does not exist on %2").arg(folder, address)};
    case CURLE_REMOTE_DISK_FULL:
        return {uoRemote,
                QStringLiteral("no space left in the remote folder %1 on %2").arg(folder, address)};
    case CURLE_QUOTE_ERROR:
        return {uoRemote, QStringLiteral("%1 did not rename %2 to %3 in %4: %5")
                              .arg(address, QFileInfo(target).fileName(), name, folder, detail)};
    case CURLE_UPLOAD_FAILED:
        return {uoRemote, QStringLiteral("%1 refused the file %2 in %3: %4")
                              .arg(address, QFileInfo(target).fileName(), folder, detail)};
    default:
        return {uoConnection,
                QStringLiteral("the connection to %1 broke off: %2").arg(address, detail)};
    }
}
