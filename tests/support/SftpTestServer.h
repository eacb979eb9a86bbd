#pragma once
// Debian's OpenSSH server for a test: its own host key and user key, made by
// ssh-keygen in a temporary folder, SFTP only (internal-sftp, logging each
// request), on a loopback port, serving into a folder of the test. Its log
// is kept in the temporary folder, for the test to show when it fails.
#include "devices/DeliverySettings.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

class TSftpTestServer
{
  public:
    // ReadOnly serves the folder without write permission (internal-sftp -R).
    explicit TSftpTestServer(bool readOnly = false);
    ~TSftpTestServer();

    // Why no server can be run here (no sshd, no ssh-keygen), or empty.
    const QString &Unavailable() const { return FUnavailable; }

    // Starts sshd on the port (a free one the first time) and waits until it
    // listens; false with the log when it does not.
    bool Start();
    // Ends the server and every session of it.
    void Stop();
    // Cuts every open connection, leaving the server listening.
    void KillSessions();

    uint16_t Port() const { return FPort; }
    // The folder the reports go to, as the server names it.
    QString Folder() const;
    // Settings for this server, with a known-hosts file holding its key.
    TDeliverySettings Settings() const;
    // A known-hosts file holding another key for this server's address.
    QString WrongKnownHosts() const;
    QString Log() const;
    // How often the server renamed something to `name` (a completed upload).
    int Renames(const QString &name) const;

  private:
    bool Keygen(const QString &file);
    void WriteConfig();

    QTemporaryDir FDir;
    bool FReadOnly;
    QString FUnavailable;
    uint16_t FPort = 0;
    std::unique_ptr<QProcess> FServer;
};
