#pragma once
// The Save Report file: the data list turned back into tab-separated fields,
// one line per heading line and per error-free row.
#include <QString>
#include <QStringList>

// Splits a data-list text into fields. Fields are separated by commas and by
// runs of blanks or other characters up to code 32; a field that starts with
// a double quote runs to the matching quote (the quotes are removed, a doubled
// quote inside stands for one). A comma between two digits is a decimal
// comma and stays inside its number.
QStringList SplitReportFields(const QString &text);

// The report's lines: "Kestrin Report", "LogFile: " and the log file's name,
// an empty line, then each header line (a field beginning with "Ch" is joined
// with the next by one blank; "Time" in front of the first line, an empty
// field in front of the others), then each right text that does not contain
// "Error" in any letter case, with its left text in front. Fields are joined
// with tabs.
QStringList ReportLines(const QString &logFileName, const QStringList &headers,
                        const QStringList &lefts, const QStringList &rights);
