#pragma once
// One report to an SFTP server, through libcurl (libssh2 underneath: no SSH
// of our own). The report goes to a temporary name in the remote folder,
// ".NAME.part", which receiving sides ignore, and is renamed to NAME once
// the whole file is there (any older NAME removed first, as an SFTP rename
// does not replace), so the final name only ever holds a whole file. An
// upload counts as confirmed only when the rename has succeeded.
//
// The server's host key must be in the known-hosts file as it is: an
// unknown or changed key refuses the upload before anything is sent. The
// login is by private key alone.
#include "devices/DeliverySettings.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>

enum TUploadOutcome : uint8_t
{
    uoConfirmed = 0,
    uoConnection = 1, // the server could not be reached, or the connection broke off
    uoHostKey = 2,    // the host key is unknown or does not match: nothing was sent
    uoLogin = 3,      // the user and key were refused
    uoRemote = 4,     // the server refused the file (permission, no such folder, full)
    uoAborted = 5     // given up because the caller asked
};

struct TUploadResult
{
    TUploadOutcome Outcome = uoConfirmed;
    // What went wrong, in words with the host and port; empty when confirmed.
    QString Message;

    bool Confirmed() const { return Outcome == uoConfirmed; }
};

struct TSftpUploadOptions
{
    // Up to the end of the SSH login.
    std::chrono::seconds ConnectTimeout{20};
    // A transfer slower than StallBytesPerSecond for StallTime is given up,
    // so a dead network never hangs the caller; TotalTimeout caps the whole.
    std::chrono::seconds StallTime{60};
    int64_t StallBytesPerSecond = 1;
    std::chrono::seconds TotalTimeout{600};
    // Sent data unacknowledged for this long ends the connection (Linux's
    // TCP_USER_TIMEOUT, with keep-alive probes on an idle one), which bounds
    // what libcurl's SSH shut-down may wait on a dead network.
    std::chrono::seconds DeadNetworkTimeout{30};
    // A cap on the upload's speed for a shared link; 0: none.
    int64_t MaxSendBytesPerSecond = 0;
};

class TSftpUploader
{
  public:
    // The settings are taken as they are; DeliverySettingsProblems tells
    // what is wrong with them beforehand.
    explicit TSftpUploader(const TDeliverySettings &settings,
                           const TSftpUploadOptions &options = TSftpUploadOptions());
    ~TSftpUploader();
    TSftpUploader(const TSftpUploader &) = delete;
    TSftpUploader &operator=(const TSftpUploader &) = delete;

    // Uploads `bytes` as `name` into the remote folder (or directly under
    // `name` with UploadDirectly). Each upload is a connection of its own,
    // closed before this returns, so nothing is left open to hang on a
    // network that has gone. `shouldAbort`, when given, is asked at least
    // once a second during the attempt; true cuts the connection and ends
    // the attempt as uoAborted.
    TUploadResult Upload(const QString &name, const QByteArray &bytes,
                         const std::function<bool()> &shouldAbort = {});

    // "host:port" as the messages name the server ("[::1]:22" for IPv6).
    QString Address() const;
    // The remote path of a report and of its temporary name.
    QString RemotePath(const QString &name) const;
    QString TemporaryRemotePath(const QString &name) const;

  private:
    TDeliverySettings FSettings;
    TSftpUploadOptions FOptions;
};
