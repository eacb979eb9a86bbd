#pragma once
// The run log: four header lines, then one tab-separated data line per data
// frame. Lines end in CR LF when written; readers accept LF too.
#include "devices/KestrinLibrary.h"

#include <QString>
#include <QStringList>

// A data line: FormatValues of the result, each followed by a tab, then the
// frame's raw text.
QString FormatLogLine(const TKestrinResult &result);
// Reads a data line into a result that already holds the run's configuration.
// Never fails: unreadable values become the no-value marker.
void ParseLogLine(const QString &line, TKestrinResult &result);
