#pragma once
// Where the reports go: an SFTP server of a weather service (a WIS 2.0 node
// or a message switch), reached with a private key and checked against a
// known-hosts file. No password is kept anywhere: the login is by key alone.
#include <QString>
#include <QStringList>
#include <cstdint>

struct TDeliverySettings
{
    QString Host;           // host name or address of the server; empty: not set
    int32_t Port = 22;      // its SSH port
    QString User;           // the SFTP user
    QString PrivateKeyFile; // an unencrypted private key; its .pub beside it if there
    QString RemoteFolder;   // absolute, for example /incoming or a wis2box dataset's path
    QString KnownHostsFile; // OpenSSH known_hosts holding the server's host key
    // Writes each report under its final name at once, with no temporary
    // name and rename: for object stores (MinIO's SFTP, behind wis2box) that
    // offer no rename and show an object only once it is whole.
    bool UploadDirectly = false;

    // Nothing set: the delivery is off.
    bool IsEmpty() const
    {
        return Host.isEmpty() && Port == 22 && User.isEmpty() && PrivateKeyFile.isEmpty() &&
               RemoteFolder.isEmpty() && KnownHostsFile.isEmpty() && !UploadDirectly;
    }
    bool operator==(const TDeliverySettings &) const = default;
};

// Every problem that keeps these settings from a delivery, one sentence each
// for the operator, in the order of the fields; none for empty settings
// (delivery off). The key and known-hosts files are looked at on the disk.
QStringList DeliverySettingsProblems(const TDeliverySettings &settings);
