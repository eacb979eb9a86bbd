// The reports as WMO bulletins: each rule of the Manual on the GTS with
// headings and file names of the forms the manual and the GTS centres use,
// then the TEMP part A and the BUFR of a simulated ascent through the
// standard atmosphere, the BUFR read back with ecCodes out of the bulletin
// file as a WIS 2.0 node reads it.
#include "sounding/FlightBulletins.h"
#include "sounding/TempReport.h"
#include "sounding/Thermodynamics.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "pipeline/PacketSounding.h"

#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <eccodes.h>
#include <gtest/gtest.h>

namespace {

TAbbreviatedHeading Heading(const char *designators, const char *centre, QDate day, QTime time,
                            const char *bbb = "")
{
    return {QLatin1String(designators), QLatin1String(centre), QDateTime(day, time, Qt::UTC),
            QLatin1String(bbb)};
}

// A balloon rising at 5 m/s from 1000 hPa, launched on 7 December 2026 at
// 11:40 UTC, a level every 0.01 in ln p, through the 1976 standard
// atmosphere to 8 hPa, 60 %RH falling to 5 % at the top.
TDataPacketList SimulatedAscent()
{
    const double launch =
        DateTimeToDays(QDateTime(QDate(2026, 12, 7), QTime(11, 40), Qt::UTC).toLocalTime());
    TDataPacketList packets;
    double z = 110.0;
    for (double lnp = std::log(1000.0); lnp > std::log(8.0); lnp -= 0.01) {
        const double p = std::exp(lnp);
        const double TK = StandardAtmosphereTemperature(p);
        if (!packets.empty())
            z += Thermo::Rd * TK / Thermo::Gravity * 0.01;
        TDataPacket packet;
        packet.SetPressure(p);
        packet.SetAltitude(z);
        packet.SetTemperature(TK - Thermo::ZeroCelsius);
        packet.SetTime(launch + (z - 110.0) / 5.0 / 86400.0);
        const double rh = std::max(5.0, 60.0 - (z - 110.0) / 400.0);
        packet.SetHumidity(rh);
        packet.SetDewpoint(DewPoint(TK - Thermo::ZeroCelsius, rh));
        packets.push_back(packet);
    }
    return packets;
}

const TStationIdentity Camborne{QStringLiteral("03808"), 50.2, -5.3};
const TBulletinOrigin Origin{QStringLiteral("UK"), QStringLiteral("01"), QStringLiteral("EGRR")};

} // namespace

// WMO-No. 386, Part II, 2.3: starting line, heading, text, end-of-message. The binary
// layout is that of a BUFR bulletin as a GTS centre sends it
// ("\x01\r\r\n...\r\r\nIUTF14 KWBC 110011\r\r\nBUFR..."); the sequence number
// counts round.
TEST(WmoBulletin, MessageEnvelope)
{
    const TAbbreviatedHeading bufr = Heading("IUTF14", "KWBC", {2007, 1, 11}, {0, 11});
    const QByteArray message("BUFR\x00\x21...7777", 13);
    EXPECT_EQ(WmoMessage(bufr, message, 1017),
              "\x01\r\r\n017\r\r\nIUTF14 KWBC 110011\r\r\n" + message + "\r\r\n\x03");
    EXPECT_TRUE(WmoMessage(bufr, "x", 123456, sl5Digits).startsWith("\x01\r\r\n23456\r\r\n"));
    EXPECT_THROW(WmoMessage(bufr, QByteArray(), 1), EBulletinError);

    const struct
    {
        TAbbreviatedHeading Heading;
        bool Valid;
    } headings[] = {
        {Heading("USUK01", "EGRR", {2026, 12, 7}, {12, 0}, "CCA"), true},
        {Heading("SNFR30", "LFPW", {2018, 9, 27}, {7, 0}, "RRB"), true},
        {Heading("USUK00", "EGRR", {2026, 12, 7}, {12, 0}), false},
        {Heading("usuk01", "EGRR", {2026, 12, 7}, {12, 0}), false},
        {Heading("USUK01", "EGR", {2026, 12, 7}, {12, 0}), false},
        {Heading("USUK01", "EGRR", {2026, 12, 7}, {12, 0, 30}), false},
        {Heading("USUK01", "EGRR", {2026, 12, 7}, {12, 0}, "CCY"), false},
        {Heading("USUK01", "EGRR", {2026, 12, 7}, {12, 0}, "PAA"), false},
    };
    for (const auto &h : headings)
        EXPECT_EQ(AbbreviatedHeadingProblem(h.Heading).isEmpty(), h.Valid)
            << h.Heading.Line().toStdString();
    EXPECT_EQ(headings[0].Heading.Line(), "USUK01 EGRR 071200 CCA");
}

// WMO-No. 386, Attachment II-5, BBB: CCA for the first correction, then CCB ... up to
// and including CCX; there is no letter after X.
TEST(WmoBulletin, Corrections)
{
    EXPECT_EQ(NextCorrection(QString()), "CCA");
    EXPECT_EQ(NextCorrection(QStringLiteral("CCA")), "CCB");
    EXPECT_EQ(NextCorrection(QStringLiteral("CCW")), "CCX");
    EXPECT_EQ(CorrectionNumber(QStringLiteral("CCX")), 24);
    for (const char *bad : {"CCX", "CCY", "RRA", "CC", "cca"})
        EXPECT_THROW(NextCorrection(QLatin1String(bad)), EBulletinError) << bad;
}

// Lines of at most 69 characters, groups never split, CR CR LF between them.
TEST(WmoBulletin, TextLines)
{
    QStringList groups{QStringLiteral("TTAA")};
    for (int i = 0; i < 30; ++i)
        groups << QStringLiteral("%1").arg(10000 + i);
    const QString report = groups.join(QLatin1Char(' ')) + QLatin1Char('=');
    const QByteArray text = BulletinText(report);
    const QList<QByteArray> lines = text.split('\n');
    // TTAA and ten groups make 64 characters, eleven groups 65.
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], groups.mid(0, 11).join(QLatin1Char(' ')).toLatin1() + "\r\r");
    EXPECT_EQ(lines[1], groups.mid(11, 11).join(QLatin1Char(' ')).toLatin1() + "\r\r");
    QByteArray rejoined = text;
    rejoined.replace("\r\r\n", " ");
    EXPECT_EQ(rejoined, report.toLatin1());
    EXPECT_THROW(BulletinText(QStringLiteral("TTAA\r\n")), EBulletinError);
    EXPECT_THROW(BulletinText(QStringLiteral("  ")), EBulletinError);
}

// WMO-No. 386, Attachment II-15 with pflag A: the name of a text bulletin of Météo-France
// (A_SNFR30LFPW270700_C_LFPW_20180927070000.txt), and the BBB making a
// correction's name its own.
TEST(WmoBulletin, FileNames)
{
    EXPECT_EQ(BulletinFileName(Heading("SNFR30", "LFPW", {2018, 9, 27}, {7, 0}), bfText),
              "A_SNFR30LFPW270700_C_LFPW_20180927070000.txt");
    const TAbbreviatedHeading bufr = Heading("IUSA01", "EGRR", {2026, 12, 7}, {12, 0}, "CCA");
    EXPECT_EQ(BulletinFileName(bufr, bfBinary), "A_IUSA01EGRR071200CCA_C_EGRR_20261207120000.bin");
    EXPECT_EQ(BulletinFileName(bufr, bfBufr4), "A_IUSA01EGRR071200CCA_C_EGRR_20261207120000.bufr4");
    EXPECT_THROW(BulletinFileName(Heading("IUSA01", "EG", {2026, 12, 7}, {12, 0}), bfText),
                 EBulletinError);
}

// The station's settings, and Attachment II-5 Table C3's quadrants for Camborne, Lindenberg,
// Tateno, Denver, Buenos Aires, Tahiti, Melbourne and Pretoria.
TEST(FlightBulletins, Designators)
{
    EXPECT_EQ(ParseBulletinOrigin(QStringLiteral(" uk01"), QStringLiteral("egrr")), Origin);
    for (const auto &[heading, centre] :
         {std::pair{"UK1", "EGRR"}, {"U101", "EGRR"}, {"UK00", "EGRR"}, {"UK01", "EGR1"}})
        EXPECT_THROW(ParseBulletinOrigin(QLatin1String(heading), QLatin1String(centre)),
                     EBulletinError)
            << heading << " " << centre;
    EXPECT_EQ(BulletinOriginProblems({QStringLiteral("U"), {}, QStringLiteral("EGRR")}).size(), 2);

    const struct
    {
        double Latitude, Longitude;
        char Area;
    } stations[] = {{50.2, -5.3, 'A'},   {52.2, 14.1, 'D'},   {36.1, 140.1, 'C'},
                    {39.8, -104.9, 'B'}, {-34.8, -58.5, 'I'}, {-17.6, -149.6, 'J'},
                    {-37.7, 144.8, 'K'}, {-25.7, 28.2, 'L'},  {0.0, 0.0, 'D'}};
    for (const auto &s : stations)
        EXPECT_EQ(BufrAreaDesignator(s.Latitude, s.Longitude), QLatin1Char(s.Area))
            << s.Latitude << " " << s.Longitude;

    EXPECT_EQ(ReportDesignators(frTempA, Origin, Camborne), "USUK01");
    EXPECT_EQ(ReportDesignators(frTempD, Origin, Camborne), "UEUK01");
    EXPECT_EQ(ReportDesignators(frBufr, Origin, Camborne), "IUSA01");
    EXPECT_THROW(
        ReportDesignators(frBufr, {Origin.A1A2, QStringLiteral("20"), Origin.Centre}, Camborne),
        EBulletinError);
    EXPECT_THROW(ReportDesignators(frBufr, Origin, {Camborne.Number, {}, {}}), EBulletinError);
}

// A whole flight: part A in its bulletin and under its name, byte for byte
// from the report; the BUFR bulletin as a message switch and a wis2box get
// it, its correction carrying update sequence number 1, and ecCodes finding
// the message in the bulletin file as wis2box's BUFR plugin reads it.
TEST(FlightBulletins, SimulatedFlight)
{
    const TSoundingProducts products = ComputeSoundingProducts(SimulatedAscent());
    ASSERT_TRUE(products.Passed100hPa());
    const std::vector<TTempReportPart> parts = TempReportParts(products, Camborne);
    ASSERT_EQ(parts.size(), 4u);
    QStringList texts;
    for (const TTempReportPart &part : parts)
        texts << part.Text;
    EXPECT_EQ(texts.join(QStringLiteral("\r\n\r\n")).toLatin1() + "\r\n",
              FormatTempReport(products, Camborne));
    ASSERT_EQ(AvailableReports(products, Camborne).size(), FlightReportCount);

    TBulletinRequest request;
    request.Reports = {frTempA, frBufr};
    request.FirstSequenceNumber = 999;
    const std::vector<TBulletinFile> bulletins =
        FlightBulletins(products, Camborne, 110.0, Origin, request);
    ASSERT_EQ(bulletins.size(), 2u);
    const TBulletinFile &a = bulletins[0];
    EXPECT_EQ(a.FileName, "A_USUK01EGRR071200_C_EGRR_20261207120000.txt");
    ASSERT_TRUE(parts[0].Text.startsWith(QStringLiteral("TTAA 0712/ 03808 99000 ")));
    EXPECT_EQ(a.Bytes, "\x01\r\r\n999\r\r\nUSUK01 EGRR 071200\r\r\n" + BulletinText(parts[0].Text) +
                           "\r\r\n\x03");

    const TBulletinFile &bufr = bulletins[1];
    EXPECT_EQ(bufr.FileName, "A_IUSA01EGRR071200_C_EGRR_20261207120000.bin");
    EXPECT_TRUE(bufr.Bytes.startsWith("\x01\r\r\n000\r\r\nIUSA01 EGRR 071200\r\r\nBUFR"));
    EXPECT_TRUE(bufr.Bytes.endsWith("7777\r\r\n\x03"));
    EXPECT_EQ(FlightBulletins(products, Camborne, 110.0, Origin, request)[1].Bytes, bufr.Bytes);

    request.Reports = {frBufr};
    request.Corrections[frBufr] = NextCorrection(QString());
    request.Destination = bdWis2box;
    const TBulletinFile corrected =
        FlightBulletins(products, Camborne, 110.0, Origin, request).front();
    EXPECT_EQ(corrected.FileName, "A_IUSA01EGRR071200CCA_C_EGRR_20261207120000.bufr4");
    QTemporaryDir dir;
    const QString path = dir.filePath(corrected.FileName);
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(corrected.Bytes) > 0);
    out.close();
    FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
    ASSERT_TRUE(file);
    int error = 0;
    codes_handle *h = codes_handle_new_from_file(nullptr, file, PRODUCT_BUFR, &error);
    ASSERT_TRUE(h) << error;
    long update = -1, block = 0;
    EXPECT_EQ(codes_get_long(h, "updateSequenceNumber", &update), 0);
    EXPECT_EQ(update, 1);
    ASSERT_EQ(codes_set_long(h, "unpack", 1), 0);
    EXPECT_EQ(codes_get_long(h, "blockNumber", &block), 0);
    EXPECT_EQ(block, 3);
    codes_handle_delete(h);
    EXPECT_FALSE(codes_handle_new_from_file(nullptr, file, PRODUCT_BUFR, &error));
    std::fclose(file);
    EXPECT_EQ(ReportContent(products, Camborne, 110.0, frTempB), BulletinText(parts[1].Text));

    // Below 100 hPa there are no parts C and D; nothing is made for a
    // request that cannot be met.
    TDataPacketList low = SimulatedAscent();
    low.resize(150);
    request = {};
    request.Reports = {frTempA, frTempC};
    EXPECT_THROW(FlightBulletins(ComputeSoundingProducts(low), Camborne, 110.0, Origin, request),
                 EBulletinError);
    request.Reports = {frTempA, frTempA};
    EXPECT_THROW(FlightBulletins(products, Camborne, 110.0, Origin, request), EBulletinError);
}
