#include "pipeline/Report.h"

namespace {

bool IsBlank(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

QStringList SplitReportFields(const QString &text)
{
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype p = 0;
    auto skipBlanks = [&] {
        while (p < n && IsBlank(text[p]))
            ++p;
    };
    // A comma that separates fields, not one inside a number such as 12,5.
    auto isDelimiter = [&](qsizetype i) {
        return text[i] == QLatin1Char(',') &&
               !(i > 0 && i + 1 < n && text[i - 1].isDigit() && text[i + 1].isDigit());
    };

    skipBlanks();
    while (p < n) {
        QString field;
        if (text[p] == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (text[p] == QLatin1Char('"')) {
                    if (p + 1 < n && text[p + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                field += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && !IsBlank(text[p]) && !isDelimiter(p))
                ++p;
            field = text.mid(start, p - start);
        }
        fields << field;
        skipBlanks();
        if (p < n && isDelimiter(p)) {
            if (p + 1 == n)
                fields << QString(); // a comma at the end closes an empty field
            ++p;
            skipBlanks();
        }
    }
    return fields;
}

QStringList ReportLines(const QString &logFileName, const QStringList &headers,
                        const QStringList &lefts, const QStringList &rights)
{
    QStringList lines{QStringLiteral("Kestrin Report"), QStringLiteral("LogFile: ") + logFileName,
                      QString()};
    const QChar tab = QLatin1Char('\t');
    for (qsizetype i = 0; i < headers.size(); ++i) {
        QStringList row{i == 0 ? QStringLiteral("Time") : QString()};
        bool joinNext = false;
        for (const QString &field : SplitReportFields(headers[i])) {
            // Column names are "Ch1 T", "Ch2 P": one field of two words.
            if (joinNext)
                row.last() += QLatin1Char(' ') + field;
            else
                row << field;
            joinNext = field.startsWith(QLatin1String("Ch"));
        }
        lines << row.join(tab);
    }
    lines.reserve(lines.size() + rights.size());
    for (qsizetype i = 0; i < rights.size(); ++i) {
        const QString &right = rights[i];
        if (right.contains(QLatin1String("Error"), Qt::CaseInsensitive))
            continue;
        QString line = lefts.value(i);
        if (right.contains(QLatin1Char('"')) || right.contains(QLatin1Char(','))) {
            for (const QString &field : SplitReportFields(right))
                line += tab + field;
        } else {
            // Without quotes and commas the fields are the runs of
            // characters above blank: copied straight, one split less.
            line.reserve(line.size() + right.size());
            const QChar *c = right.constData();
            const QChar *end = c + right.size();
            while (c < end) {
                while (c < end && IsBlank(*c))
                    ++c;
                const QChar *start = c;
                while (c < end && !IsBlank(*c))
                    ++c;
                if (c > start) {
                    line += tab;
                    line.append(start, c - start);
                }
            }
        }
        lines << line;
    }
    return lines;
}
