#include "devices/LogFormat.h"

#include "foundation/CustomUtilities.h"

#include <QFile>
#include <QStringDecoder>
#include <cmath>

namespace {

// Date-times outside years 1 to 9999 do not name a day; a log field holding
// one is as unreadable as one holding letters.
constexpr double FirstDay = -693593.0; // 1 January 0001
constexpr double EndDay = 2958466.0;   // 1 January 10000

bool IsCalendarTime(double days)
{
    return days >= FirstDay && days < EndDay;
}

// A run log's lines 1 to 3 hold the model, the configuration and the
// launch elevation.
constexpr qsizetype HeaderLines = 3;

// The lines of a text, without their line ends (CR LF or LF).
QStringList SplitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) // the end of the last line, not a line of its own
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

// The whole lines of a file's first bytes: the last one only when the
// bytes are the whole file.
QStringList HeadLines(const QByteArray &head, bool complete)
{
    const QString text = DecodeFileText(head);
    QStringList lines = SplitLines(text);
    if (!complete && !text.endsWith(QLatin1Char('\n')) && !lines.isEmpty())
        lines.removeLast();
    return lines;
}

// Reads the configuration and the launch elevation of the header lines.
void ParseHeader(const QStringList &lines, const QString &fileName, TRunLog &log)
{
    // The second field of a header line.
    auto headerValue = [&](int index) {
        const QStringList fields = SplitString(QStringLiteral("\t"), lines[index]);
        if (fields.size() < 2)
            throw ELogFileError(
                QStringLiteral("Line %1 of log file %2 has no tab").arg(index + 1).arg(fileName));
        return fields[1];
    };
    log.Configuration.ParseConfiguration(headerValue(1));
    const QString elevation = headerValue(2);
    double metres = 0.0;
    if (!TryStrToFloatSystem(elevation, metres, GetSystemFormatSettings()))
        throw ELogFileError(QStringLiteral("The launch elevation %1 in line 3 of log file %2 is "
                                           "not a number")
                                .arg(elevation, fileName));
    if (const QString problem = LaunchElevationProblem(metres); !problem.isEmpty())
        throw ELogFileError(QStringLiteral("%1 (line 3 of log file %2)").arg(problem, fileName));
    log.LaunchElevation = metres;
}

// A field as the program writes its numbers: an optional sign, digits and
// at most one separator with digits on both sides, 15 digits at most. Its
// digits as an integer and the power of ten it is divided by are both exact
// doubles, so the one division gives the double nearest to the text, as the
// general parser does. Every other field goes to that parser.
bool ReadField(QStringView field, double &value, const TFormatSettings &settings)
{
    static constexpr double Powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char16_t separator = settings.DecimalSeparator.unicode();
    qsizetype i = 0;
    const bool negative = !field.isEmpty() && field[0] == u'-';
    if (!field.isEmpty() && (field[0] == u'-' || field[0] == u'+'))
        ++i;
    uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1; // no separator yet
    bool plain = i < field.size();
    for (; plain && i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c >= u'0' && c <= u'9') {
            mantissa = mantissa * 10 + (c - u'0');
            ++digits;
            if (decimals >= 0)
                ++decimals;
        } else {
            plain = c == separator && decimals < 0 && digits > 0 && i + 1 < field.size();
            decimals = 0;
        }
    }
    if (!plain || digits > 15 || digits == 0)
        return TryStrToFloatSystem(field, value, settings);
    const double magnitude = double(mantissa) / Powers[std::max(decimals, 0)];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

QString FormatLogLine(const TKestrinResult &result)
{
    // Built in a scratch text that keeps its room, and copied out at its
    // exact size: recorded lines are kept for the whole run.
    thread_local QString scratch;
    scratch.resize(0);
    result.AppendValues(scratch, GetSystemFormatSettings());
    scratch += result.RawText();
    return QString(scratch.constData(), scratch.size());
}

void ParseLogLine(const QString &line, TKestrinResult &result)
{
    ParseLogLine(line, result, GetSystemFormatSettings());
}

void ParseLogLine(const QString &line, TKestrinResult &result, const TFormatSettings &settings)
{
    for (int c = 1; c <= KestrinChannels; ++c)
        result.SetValue(c, NoValue);

    const QStringView text(line);
    qsizetype pos = 0;
    bool fieldsLeft = true;
    // The next tab-separated field; false when the line has no more.
    auto nextField = [&](QStringView &field) {
        if (!fieldsLeft)
            return false;
        const qsizetype tab = text.indexOf(u'\t', pos);
        field = tab < 0 ? text.mid(pos) : text.mid(pos, tab - pos);
        fieldsLeft = tab >= 0;
        pos = tab + 1;
        return true;
    };

    QStringView field;
    double time = 0.0;
    nextField(field);
    if (!ReadField(field, time, settings) || !IsCalendarTime(time))
        return;
    result.SetTime(time);
    if (!nextField(field)) // the time of day: written for people, not read
        return;

    std::array<double, KestrinChannels> values;
    values.fill(NoValue);
    for (int c = 1; c <= KestrinChannels; ++c) {
        if (!result.IsChannelPresent(c))
            continue;
        if (!nextField(field))
            return; // a line short of a field tells nothing reliable
        if (field == u"Error")
            continue;
        if (!ReadField(field, values[size_t(c - 1)], settings))
            return;
    }
    for (int c = 1; c <= KestrinChannels; ++c)
        result.SetValue(c, values[size_t(c - 1)]);
    result.ApplyRangeChecks();
}

QStringList LogHeaderLines(const TKestrinResult &configuration, double launchElevation)
{
    const int32_t elevation = RoundToInt32(launchElevation);
    QStringList headings;
    configuration.ColumnHeadings(headings);
    return {QStringLiteral("Kestrin Data\t") + configuration.ModelLetter(),
            QStringLiteral("Configuration\t") + configuration.ConfigurationString(),
            QStringLiteral("Launch Elevation (m):\t") + QString::number(elevation),
            JoinStrings(QStringLiteral("\t"), headings)};
}

QByteArray EncodeLogLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLocal8Bit();
        bytes += "\r\n";
    }
    return bytes;
}

QString DecodeFileText(const QByteArray &bytes)
{
    const auto utf16 = [&](QStringDecoder::Encoding encoding, qsizetype skip) {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        return QString(decoder(QByteArrayView(bytes).sliced(skip)));
    };
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringDecoder::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringDecoder::Utf16BE, 2);
    // Without a mark: two characters of text, each with a zero byte.
    const auto text = [&](qsizetype i) { return bytes[i] >= '\t' && bytes[i] <= '~'; };
    if (bytes.size() >= 4 && text(0) && bytes[1] == 0 && text(2) && bytes[3] == 0)
        return utf16(QStringDecoder::Utf16LE, 0);
    if (bytes.size() >= 4 && bytes[0] == 0 && text(1) && bytes[2] == 0 && text(3))
        return utf16(QStringDecoder::Utf16BE, 0);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromLocal8Bit(QByteArrayView(bytes).sliced(3));
    return QString::fromLocal8Bit(bytes);
}

QString RunLogHeadProblem(const QByteArray &head, bool complete)
{
    // The first lines, the last of them maybe cut off by the head's end.
    const QStringList lines = SplitLines(DecodeFileText(head)).mid(0, HeaderLines);
    for (const QString &line : lines)
        for (QChar c : line)
            if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
                return QStringLiteral("its first lines hold characters that are not text");
    if (!complete && HeadLines(head, complete).size() < HeaderLines)
        return QStringLiteral("its first %1 lines do not end within its first %2 bytes")
            .arg(HeaderLines)
            .arg(FileHeadBytes);
    return QString();
}

void CheckRunLogHead(const QByteArray &head, bool complete, const QString &fileName)
{
    if (const QString problem = RunLogHeadProblem(head, complete); !problem.isEmpty())
        throw ELogFileError(QStringLiteral("%1 is not a run log: %2").arg(fileName, problem));
    const QStringList lines = HeadLines(head, complete);
    if (lines.size() >= HeaderLines) {
        TRunLog header;
        ParseHeader(lines, fileName, header);
    }
}

QString LaunchElevationProblem(double metres)
{
    if (metres >= LowestLaunchElevation && metres <= HighestLaunchElevation)
        return QString();
    return QStringLiteral("The launch elevation %1 m is outside the possible %2 to %3 m")
        .arg(metres)
        .arg(LowestLaunchElevation)
        .arg(HighestLaunchElevation);
}

TRunLog ReadRunLog(const QString &fileName)
{
    QFile file(fileName);
    // Unbuffered: a buffered read of a pipe would wait for more than the head.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw ELogFileError(QStringLiteral("Could not open file ") + fileName);
    // The first bytes tell whether the file is a run log at all, before the
    // memory for the whole of it is taken.
    QByteArray contents;
    while (contents.size() < FileHeadBytes) {
        const QByteArray part = file.read(FileHeadBytes - contents.size());
        if (part.isEmpty())
            break;
        contents += part;
    }
    if (file.error() == QFileDevice::NoError)
        CheckRunLogHead(contents, contents.size() < FileHeadBytes, fileName);
    if (!file.isSequential() && file.size() > contents.size()) {
        qsizetype done = contents.size();
        contents.resize(qsizetype(file.size()));
        while (done < contents.size()) {
            const qint64 n = file.read(contents.data() + done, contents.size() - done);
            if (n <= 0)
                break;
            done += qsizetype(n);
        }
        contents.resize(done);
    }
    contents += file.readAll(); // a pipe's contents, or what a growing file gained
    if (file.error() != QFileDevice::NoError)
        throw ELogFileError(QStringLiteral("Could not read file ") + fileName);
    return ParseRunLog(contents, fileName);
}

TRunLog ParseRunLog(const QByteArray &contents, const QString &fileName)
{
    if (const QString problem =
            RunLogHeadProblem(contents.left(FileHeadBytes), contents.size() <= FileHeadBytes);
        !problem.isEmpty())
        throw ELogFileError(QStringLiteral("%1 is not a run log: %2").arg(fileName, problem));
    QStringList lines = SplitLines(DecodeFileText(contents));
    if (lines.size() < HeaderLines)
        throw ELogFileError(QStringLiteral("Log file %1 has fewer than three lines").arg(fileName));
    TRunLog log;
    ParseHeader(lines, fileName, log);
    log.DataLines = lines.mid(4);
    return log;
}
