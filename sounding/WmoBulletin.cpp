#include "sounding/WmoBulletin.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// WMO-No. 386, Vol. I, Part II, 2.3.2: T1T2A1A2ii, letters for the data
// type and area, ii of two digits (00 is no designator).
const QRegularExpression &DesignatorsPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Z]{4}(0[1-9]|[1-9][0-9])$"));
    return pattern;
}

// The international four-letter location indicator of the centre.
const QRegularExpression &CentrePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Z]{4}$"));
    return pattern;
}

// WMO-No. 386, Attachment II-5, instructions for the use of the indicator BBB, 2(a) to
// (c): RRx for a bulletin sent after the initial one, CCx for corrected
// reports, AAx for amendments, x going from A up to and including X.
const QRegularExpression &BbbPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^(RR|CC|AA)[A-X]$"));
    return pattern;
}

constexpr char LastCorrectionLetter = 'X';

// WMO-No. 386, Part II, 2.3.3: no line of an alphanumeric text longer than 69 characters.
constexpr qsizetype LineLength = 69;

// WMO-No. 386, Part II, 2.3: the alignment function that ends each line of a message.
const QByteArray LineEnd = QByteArrayLiteral("\r\r\n");
constexpr char Soh = '\x01';
constexpr char Etx = '\x03';

void RequireValid(const TAbbreviatedHeading &heading)
{
    const QString problem = AbbreviatedHeadingProblem(heading);
    if (!problem.isEmpty())
        throw EBulletinError(problem);
}

} // namespace

QString TAbbreviatedHeading::Line() const
{
    QString line = Designators + QLatin1Char(' ') + Centre + QLatin1Char(' ') +
                   Time.toUTC().toString(QStringLiteral("ddHHmm"));
    if (!Bbb.isEmpty())
        line += QLatin1Char(' ') + Bbb;
    return line;
}

QString AbbreviatedHeadingProblem(const TAbbreviatedHeading &heading)
{
    if (!DesignatorsPattern().match(heading.Designators).hasMatch())
        return QStringLiteral("The data designators \"%1\" are not four capital letters and a "
                              "number from 01 to 99 (T1T2A1A2ii)")
            .arg(heading.Designators);
    if (!CentrePattern().match(heading.Centre).hasMatch())
        return QStringLiteral("The originating centre \"%1\" is not a four-letter location "
                              "indicator (CCCC)")
            .arg(heading.Centre);
    if (!heading.Time.isValid())
        return QStringLiteral("The heading has no date and time (YYGGgg)");
    if (heading.Time.toUTC().time().second() != 0 || heading.Time.toUTC().time().msec() != 0)
        return QStringLiteral("The heading's time (YYGGgg) is not a whole minute");
    if (!heading.Bbb.isEmpty() && !BbbPattern().match(heading.Bbb).hasMatch())
        return QStringLiteral("\"%1\" is not a BBB indicator (RRx, CCx or AAx, x from A to X)")
            .arg(heading.Bbb);
    return {};
}

QString NextCorrection(const QString &previous)
{
    const int done = CorrectionNumber(previous);
    if (done >= LastCorrectionLetter - 'A' + 1)
        throw EBulletinError(
            QStringLiteral("The bulletin has already been corrected with CCA to CCX, as often as "
                           "WMO's headings allow: no further correction can be sent"));
    return QStringLiteral("CC") + QLatin1Char(char('A' + done));
}

int CorrectionNumber(const QString &bbb)
{
    if (bbb.isEmpty())
        return 0;
    if (bbb.size() != 3 || !bbb.startsWith(QLatin1String("CC")) || bbb[2] < QLatin1Char('A') ||
        bbb[2] > QLatin1Char(LastCorrectionLetter))
        throw EBulletinError(
            QStringLiteral("\"%1\" is not the indicator of a correction (CCA to CCX)").arg(bbb));
    return bbb[2].unicode() - 'A' + 1;
}

QByteArray BulletinText(const QString &report)
{
    // International Alphabet No. 5 (WMO-No. 386, Part II, 2.3): printable characters only;
    // the line ends are ours to place.
    for (QChar c : report)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            throw EBulletinError(
                QStringLiteral("The report holds a character that a bulletin cannot carry (U+%1)")
                    .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    const QStringList groups = report.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (groups.isEmpty())
        throw EBulletinError(QStringLiteral("The report is empty"));

    QByteArray text;
    QByteArray line;
    for (const QString &group : groups) {
        if (!line.isEmpty() && line.size() + 1 + group.size() > LineLength) {
            text += line + LineEnd;
            line.clear();
        }
        if (!line.isEmpty())
            line += ' ';
        line += group.toLatin1();
    }
    return text + line;
}

QByteArray WmoMessage(const TAbbreviatedHeading &heading, const QByteArray &text,
                      uint32_t sequenceNumber, TSequenceLength length)
{
    RequireValid(heading);
    if (text.isEmpty())
        throw EBulletinError(QStringLiteral("The bulletin %1 has no text").arg(heading.Line()));
    const uint32_t modulus = length == sl5Digits ? 100000u : 1000u;
    // WMO-No. 386, Part II, 2.3: the starting line SOH CR CR LF nnn (or nnnnn), the
    // abbreviated heading, the text, and the end-of-message signal
    // CR CR LF ETX. A binary text follows the heading's CR CR LF directly.
    QByteArray message;
    message.reserve(text.size() + 40);
    message += Soh;
    message += LineEnd;
    message += QByteArray::number(sequenceNumber % modulus).rightJustified(int(length), '0');
    message += LineEnd;
    message += heading.Line().toLatin1();
    message += LineEnd;
    message += text;
    message += LineEnd;
    message += Etx;
    return message;
}

QString BulletinFileName(const TAbbreviatedHeading &heading, TBulletinFileType type)
{
    RequireValid(heading);
    // WMO-No. 386, Attachment II-15, the file-naming convention
    //   pflag_productidentifier_oflag_originator_yyyyMMddhhmmss[_freeformat].type
    // with pflag A (the product identifier is the whole heading
    // T1T2A1A2iiCCCCYYGGgg[BBB], so that a correction has a name of its own)
    // and oflag C (the originator is the centre's CCCC). The type "txt" is for
    // text and "bin" for binary files; "bufr4" is the extension a WIS 2.0 node
    // (wis2box) hands to its BUFR plugin.
    const QDateTime time = heading.Time.toUTC();
    const char *extension = type == bfText ? "txt" : type == bfBinary ? "bin" : "bufr4";
    return QStringLiteral("A_%1%2%3%4_C_%2_%5.%6")
        .arg(heading.Designators, heading.Centre, time.toString(QStringLiteral("ddHHmm")),
             heading.Bbb, time.toString(QStringLiteral("yyyyMMddHHmmss")),
             QLatin1String(extension));
}
