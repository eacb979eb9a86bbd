#pragma once
// Bulletins as the Global Telecommunication System carries them (WMO's Manual
// on the GTS, WMO-No. 386, Volume I, Part II, and its attachments): the
// abbreviated heading, the message that wraps one bulletin, the indicator of
// a correction and the name of a bulletin's file.
//
// Everything here is a pure function of its arguments: the same report gives
// the same bytes and the same file name every time it is made again.
#include "foundation/Errors.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

VENTREL_DECLARE_ERROR(EBulletinError, EVentrelError);

// The abbreviated heading T1T2A1A2ii CCCC YYGGgg [BBB].
struct TAbbreviatedHeading
{
    QString Designators; // T1T2A1A2ii: four capital letters, then ii of two digits
    QString Centre;      // CCCC: the originating centre's location indicator
    QDateTime Time;      // YYGGgg in UTC; the file name takes its year and month too
    QString Bbb;         // empty for the first issue, CCA for the first correction, ...

    // "USUK01 EGRR 071200", or "USUK01 EGRR 071200 CCA".
    QString Line() const;
    bool operator==(const TAbbreviatedHeading &) const = default;
};

// The problem with a heading, one sentence for the operator; empty when it is
// valid: designators of four capital letters and ii 01 to 99, a centre of
// four capital letters, a valid time on a whole minute, and a BBB that is
// empty or RRx, CCx, AAx with x from A to X.
QString AbbreviatedHeadingProblem(const TAbbreviatedHeading &heading);

// The BBB of the next correction of a bulletin whose last issue carried
// `previous`: "" gives "CCA", "CCA" gives "CCB", and so on to "CCX", the last
// the manual allows. EBulletinError after "CCX", and for a `previous` that is
// neither empty nor CCA to CCX.
QString NextCorrection(const QString &previous);

// How many corrections `bbb` stands for: 0 for "", 1 for "CCA" ... 24 for
// "CCX"; EBulletinError for anything else.
int CorrectionNumber(const QString &bbb);

// The text of an alphanumeric bulletin made of one report whose groups are
// separated by single blanks: the groups filled into lines of at most 69
// characters, never split, the lines separated by CR CR LF, no line end after
// the last. EBulletinError for an empty report or a character outside the
// printable characters of International Alphabet No. 5.
QByteArray BulletinText(const QString &report);

// How many digits the transmission sequence number of the starting line has.
enum TSequenceLength : uint8_t
{
    sl3Digits = 3,
    sl5Digits = 5
};

// The message of one bulletin:
//   SOH CR CR LF nnn CR CR LF heading CR CR LF text CR CR LF ETX
// `text` as BulletinText gives it, or a BUFR message as it is (binary, right
// after the heading's CR CR LF). The sequence number counts round: it is
// taken modulo 1000 (or 100000 with five digits). EBulletinError for an
// invalid heading or an empty text.
QByteArray WmoMessage(const TAbbreviatedHeading &heading, const QByteArray &text,
                      uint32_t sequenceNumber, TSequenceLength length = sl3Digits);

// What a bulletin's file holds, which its extension tells.
enum TBulletinFileType : uint8_t
{
    bfText,   // "txt": an alphanumeric bulletin
    bfBinary, // "bin": a binary bulletin (BUFR) for a message switch
    bfBufr4,  // "bufr4": a BUFR bulletin for a WIS 2.0 node (wis2box)
};

// The file name of the FTP file-naming convention with the whole heading in
// it (pflag "A"):
//   A_T1T2A1A2iiCCCCYYGGgg[BBB]_C_CCCC_yyyyMMddhhmmss.type
// the time stamp being the heading's time (seconds 00), for example
//   A_USUK01EGRR071200CCA_C_EGRR_20261207120000.txt
// EBulletinError for an invalid heading.
QString BulletinFileName(const TAbbreviatedHeading &heading, TBulletinFileType type);
