#pragma once
// The --out-dir form of ventrel-render: many inputs, each written as
// DIR/NAME.SUFFIX for every requested output, the flights converted side by
// side on every core.
#include "RenderFlight.h"

#include <QString>
#include <QStringList>
#include <vector>

struct TArchiveJob
{
    QStringList Inputs;
    QString Folder;
    TRenderOptions Options;
    std::vector<const TOutputKind *> Outputs;
    // Show a progress bar on standard error (only ever on a terminal).
    bool Progress = false;
};

// NAME of an input: its file name without the last extension.
QString ArchiveName(const QString &input);

// Converts every input. A failing input gets one line on standard error that
// names it, and nothing of it is written; the others are still converted.
// SIGINT or SIGTERM stops the taking of new flights: those under way are
// finished and written whole, and one line says how far the conversion got.
// Returns the exit status: 0 when every input was converted, 1 otherwise,
// 128 + the signal (130, 143) when interrupted.
int ConvertArchive(const TArchiveJob &job);
