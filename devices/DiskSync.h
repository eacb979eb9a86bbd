#pragma once
// Forcing written data out of the operating system's cache onto the disk,
// for the writers that must survive a power cut (the run log, the outbox).
#include <QString>

class QFile;

// Forces what was written to the open file onto the disk, with what it takes
// to read it back (the size). A file that cannot be synced at all (a pipe, a
// device) counts as synced: there is no cache to lose it from.
bool SyncFileData(QFile &file);
// A new file's name lives in its folder: syncing the folder keeps the file
// itself through a power cut, not only its contents. Best effort, as not
// every system can sync a folder.
void SyncFolder(const QString &folder);
// The folder of `fileName`, synced as above.
void SyncFolderOf(const QString &fileName);
