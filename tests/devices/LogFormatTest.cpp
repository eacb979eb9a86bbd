#include "devices/LogFormat.h"

#include "foundation/CustomUtilities.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace {

TKestrinResult Configured(const QString &configuration)
{
    TKestrinResult r;
    r.ParseConfiguration(configuration);
    return r;
}

TKestrinResult SampleFrame(double time, const QString &frame = "17D39A1CE2000003FFabc1F40")
{
    TKestrinResult r = Configured("1MR:TPUVVVVF");
    r.SetTime(time);
    r.SetFrame(frame);
    return r;
}

bool AllNoValue(const TKestrinResult &r)
{
    for (int c = 1; c <= 10; ++c)
        if (!IsNoValue(r.Value(c)))
            return false;
    return true;
}

QString LogFileMessage(const QByteArray &contents, const QString &name = "run.txt")
{
    try {
        ParseRunLog(contents, name);
    } catch (const ELogFileError &e) {
        return e.Message();
    }
    return QStringLiteral("<read>");
}

} // namespace

TEST(LogFormat, HeaderLines)
{
    const TKestrinResult config = Configured("1MR:TPUVVVVF");
    EXPECT_EQ(LogHeaderLines(config, 123.5),
              QStringList({"Kestrin Data\tM", "Configuration\t1MR:_T_P_UVVVVF",
                           "Launch Elevation (m):\t124",
                           "Raw Time\tTime\tCh1 T (degC)\tCh2 P (mbar)\tCh3 U (%RH)\tCh4 V (volt)\t"
                           "Ch5 V (volt)\tCh6 V (volt)\tCh7 V (volt)\tCh8 F (Hz)"}));
    EXPECT_EQ(LogHeaderLines(config, 122.5)[2], "Launch Elevation (m):\t122");
    EXPECT_EQ(LogHeaderLines(config, -1.5)[2], "Launch Elevation (m):\t-2");
    EXPECT_EQ(LogHeaderLines(Configured("3MP:TNNNNNNC"), 0)[0], "Kestrin Data\t3M");
    EXPECT_THROW(LogHeaderLines(config, 1e12), ERangeError);
}

TEST(LogFormat, DataLineRoundTrip)
{
    LocaleGuard guard("C");
    const QString line = FormatLogLine(SampleFrame(46000.5432175926, "17D39A33C2000003FFabc1F40"));
    EXPECT_EQ(line, "46000.5432175926\t1:02:14 PM\t0.3\t1013.7\tError\t2.500\t0.000\t4.995\t"
                    "13.418\t8000\t17D39A33C2000003FFabc1F40");
    TKestrinResult back = Configured("1MR:TPUVVVVF");
    ParseLogLine(line, back);
    EXPECT_NEAR(back.Time(), 46000.5432175926, 1e-10);
    EXPECT_NEAR(back.Value(2), 1013.7, 1e-12);
    EXPECT_TRUE(IsNoValue(back.Value(3))); // "Error" reads back as no value
    EXPECT_NEAR(back.Value(8), 8000.0, 1e-12);
    EXPECT_EQ(FormatLogLine(back).section('\t', 0, 9), line.section('\t', 0, 9));

    // Values read back pass the range checks again.
    ParseLogLine("46000.5\tx\t0.3\t0.001\t120\t-1\t0\t0\t0\t-5", back);
    EXPECT_NEAR(back.Value(1), 0.3, 1e-12);
    for (int c : {2, 3, 4, 8})
        EXPECT_TRUE(IsNoValue(back.Value(c))) << c;

    LocaleGuard german("de_DE.UTF-8");
    const QString germanLine = FormatLogLine(SampleFrame(46000.25));
    EXPECT_TRUE(germanLine.startsWith("46000,25\t06:00:00\t0,3\t1013,7\t49,9\t2,500\t"));
    ParseLogLine(germanLine, back);
    EXPECT_NEAR(back.Time(), 46000.25, 1e-12);
    EXPECT_NEAR(back.Value(3), 49.9, 1e-12);
}

TEST(LogFormat, DamagedDataLines)
{
    LocaleGuard guard("C");
    TKestrinResult r = Configured("1MR:TPUVVVVF");

    // One field short, or one value unreadable: every channel lost, time kept.
    ParseLogLine(FormatLogLine(SampleFrame(46000.5)).section('\t', 0, 8), r);
    EXPECT_NEAR(r.Time(), 46000.5, 1e-12);
    EXPECT_TRUE(AllNoValue(r));
    ParseLogLine("46001.5\tx\t0.3\t1013.7\tabc\t2.5\t0\t4.9\t13.4\t8000\traw", r);
    EXPECT_NEAR(r.Time(), 46001.5, 1e-12);
    EXPECT_TRUE(AllNoValue(r));

    // A decimal-comma log on a decimal-point machine: nothing parses, and the
    // time stays what it was unless it is a whole number.
    QString commaLine;
    {
        LocaleGuard german("de_DE.UTF-8");
        commaLine = FormatLogLine(SampleFrame(46002.5));
    }
    ParseLogLine(commaLine, r);
    EXPECT_NEAR(r.Time(), 46001.5, 1e-12);
    EXPECT_TRUE(AllNoValue(r));
    ParseLogLine("46003\t00:00:00\t0,3\t1013,7\t49,9\t2,5\t0\t4,9\t13,4\t8000\tx", r);
    EXPECT_NEAR(r.Time(), 46003.0, 1e-12);
    EXPECT_TRUE(AllNoValue(r));

    // Times that name no day (years 1 to 9999) are not taken.
    for (const char *time : {"nan", "inf", "1e999", "1e300", "-1e300", "2958466", "-693594", ""}) {
        ParseLogLine(QString(time) + "\t\t0\t1000\t50\t1\t1\t1\t1\t1", r);
        EXPECT_NEAR(r.Time(), 46003.0, 1e-12) << time;
        EXPECT_TRUE(AllNoValue(r));
    }
    ParseLogLine("2958465.5\t\t0\t1000\t50\t1\t1\t1\t1\t1", r); // 31 December 9999
    EXPECT_NEAR(r.Time(), 2958465.5, 1e-12);
    EXPECT_NEAR(r.Value(2), 1000.0, 1e-12);

    // Empty lines, lone fields, thousands of fields, binary garbage.
    ParseLogLine("46004\tx" + QString("\t1").repeated(10000), r);
    EXPECT_NEAR(r.Value(8), 1.0, 1e-12);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes;
        for (int n = i % 80; n > 0; --n)
            bytes += char(i % 2 ? byte(random) : "\t019.,E-"[byte(random) % 8]);
        ParseLogLine(QString::fromLocal8Bit(bytes), r);
        ASSERT_TRUE(r.Time() >= -693593.0 && r.Time() < 2958466.0);
        for (int c = 1; c <= 10; ++c)
            ASSERT_TRUE(std::isfinite(r.Value(c)));
    }
}

TEST(LogFormat, ReadRunLog)
{
    LocaleGuard guard("C");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList lines = LogHeaderLines(Configured("1MR:TPUVVVVF"), 123.5);
    lines << FormatLogLine(SampleFrame(46000.5)) << FormatLogLine(SampleFrame(46000.75))
          << QStringLiteral("\u00b0C \u00e9"); // text beyond ASCII in the local code page
    const QString path = dir.filePath("run.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeLogLines(lines));
    file.close();
    EXPECT_EQ(ReadFileBytes(path).count("\r\n"), 7);

    const TRunLog log = ReadRunLog(path);
    EXPECT_EQ(log.Configuration.ConfigurationString(), "1MR:_T_P_UVVVVF");
    EXPECT_NEAR(log.LaunchElevation, 124.0, 1e-12);
    EXPECT_EQ(log.DataLines, lines.mid(4));

    // LF line ends without a final one; three lines make an empty run.
    EXPECT_EQ(ParseRunLog(lines.join('\n').toLocal8Bit(), "x").DataLines, lines.mid(4));
    const TRunLog three = ParseRunLog("\nc\t1ER:TUF\nd\t-12.5\n", "x"); // lines 1, 4 not read
    EXPECT_TRUE(three.DataLines.isEmpty());
    EXPECT_NEAR(three.LaunchElevation, -12.5, 1e-12);

    LocaleGuard german("de_DE.UTF-8");
    EXPECT_NEAR(ParseRunLog("a\tb\nc\t1ER:TUF\nd\t123,5\n", "x").LaunchElevation, 123.5, 1e-12);
}

TEST(LogFormat, ReadRunLogFailures)
{
    LocaleGuard guard("C");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.txt");
    try {
        ReadRunLog(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const ELogFileError &e) {
        EXPECT_EQ(e.Message(), "Could not open file " + missing);
    }
    EXPECT_THROW(ReadRunLog(dir.path()), ELogFileError); // a folder

    EXPECT_EQ(LogFileMessage("a\tM\r\nb\t1ER:TUF\r\n"),
              "Log file run.txt has fewer than three lines");
    EXPECT_EQ(LogFileMessage("a\tM\r\nb 1ER:TUF\r\nx\t1\r\n"),
              "Line 2 of log file run.txt has no tab");
    EXPECT_EQ(LogFileMessage("a\tM\r\nb\t1ER:TUF\r\n\r\n"),
              "Line 3 of log file run.txt has no tab");
    EXPECT_EQ(LogFileMessage("a\tb\nc\t1ER:TUF\nd\t1,5\n", "%1.txt"),
              "The launch elevation 1,5 in line 3 of log file %1.txt is not a number");

    // An invalid configuration is told apart: its own exception, unchanged.
    try {
        ParseRunLog("a\tM\r\nb\t1XR:TUF\r\nx\t1\r\n", "run.txt");
        ADD_FAILURE() << "an invalid configuration was read";
    } catch (const EKestrinConfigStringError &e) {
        EXPECT_EQ(e.Message(), "1X is not a valid model");
    }
}

// A log saved as UTF-16 (as some editors do) reads as the same log.
TEST(LogFormat, Utf16LogsReadAsTheSameLog)
{
    LocaleGuard guard("C");
    QStringList lines = LogHeaderLines(Configured("1MR:TPUVVVVF"), 123.5);
    lines << FormatLogLine(SampleFrame(46000.5)) << QStringLiteral("\u00b0C \u00e9");
    const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QByteArray little("\xFF\xFE"), big("\xFE\xFF");
    for (QChar c : text) {
        little += char(c.unicode() & 0xFF), little += char(c.unicode() >> 8);
        big += char(c.unicode() >> 8), big += char(c.unicode() & 0xFF);
    }
    for (const QByteArray &bytes :
         {little, big, little.mid(2), QByteArray("\xEF\xBB\xBF") + EncodeLogLines(lines)}) {
        const TRunLog log = ParseRunLog(bytes, "run.txt");
        EXPECT_EQ(log.Configuration.ConfigurationString(), "1MR:_T_P_UVVVVF");
        EXPECT_EQ(log.DataLines, lines.mid(4));
    }
}

// What is no run log is refused by its first bytes; a pipe that is still
// being written shows that the rest is not waited for.
TEST(LogFormat, RefusedByTheFirstBytes)
{
    LocaleGuard guard("C");
    const QByteArray text(FileHeadBytes, 'x');
    const struct
    {
        QByteArray Bytes;
        QString Message;
    } cases[] = {
        {QByteArray("\x7F"
                    "ELF\x02\x01\x01\0\0\0\nKestrin\n",
                    16) +
             text,
         "run.txt is not a run log: its first lines hold characters that are not text"},
        {text + text, "run.txt is not a run log: its first 3 lines do not end within its first "
                      "4096 bytes"},
        {"a\tb\nc\t1ER:TUF\nd\t1e30\n" + text,
         "The launch elevation 1e+30 m is outside the possible -500 to 9000 m (line 3 of log "
         "file run.txt)"},
        {"a\tb\nc\t1ER:TUF\nd\t-501\n" + text,
         "The launch elevation -501 m is outside the possible -500 to 9000 m (line 3 of log "
         "file run.txt)"},
        {"a\tb\nc 1ER:TUF\nd\t1\n" + text, "Line 2 of log file run.txt has no tab"},
    };
    QTemporaryDir dir;
    const QString pipe = dir.filePath("run.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const auto &c : cases) {
        EXPECT_EQ(LogFileMessage(c.Bytes), c.Message);
        std::atomic<bool> closed{false};
        std::thread writer([&] {
            // Writing on once the reader is gone fails instead of ending the test.
            sigset_t pipeSignal;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            QFile file(pipe);
            if (!file.open(QIODevice::WriteOnly))
                return;
            file.write(c.Bytes);
            file.flush();
            // Held open until the reader gives up (or a long deadline).
            for (int i = 0; i < 2000 && file.write("x", 1) == 1 && file.flush(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            closed = true;
        });
        QString message;
        try {
            ReadRunLog(pipe);
        } catch (const ELogFileError &e) {
            message = e.Message();
            EXPECT_FALSE(closed) << c.Message.toStdString();
        }
        writer.join();
        EXPECT_EQ(message, QString(c.Message).replace("run.txt", pipe));
    }
}

// Log fields are read by a quick path for plain decimals and by the general
// parser for everything else; both must give the general parser's double,
// bit for bit, in either decimal separator.
TEST(LogFormat, FieldsReadAsTheGeneralParserReadsThem)
{
    std::mt19937_64 random(20);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-6, 15);
    for (const char *locale : {"C", "de_DE.UTF-8"}) {
        LocaleGuard guard(locale);
        const TFormatSettings &settings = GetSystemFormatSettings();
        QStringList texts{"0",
                          "-0",
                          "+5",
                          "007",
                          "1.",
                          ".5",
                          "-.5",
                          "1e3",
                          " 2",
                          "2 ",
                          "1.2.3",
                          "-",
                          "+",
                          "",
                          "1,5",
                          "1.5",
                          "0.000000000000001",
                          "999999999999999",
                          "9999999999999999",
                          "123456789012345.6",
                          "-12.25"};
        for (int i = 0; i < 20000; ++i) {
            const double v = unit(random) * std::pow(10.0, scale(random));
            texts << FormatFixed(v, i % 7) << FormatGeneral(v, 15);
        }
        TKestrinResult frame = Configured("1MP:TPUVVVVF");
        for (const QString &text : std::as_const(texts)) {
            const QString line = QStringLiteral("46000\t12:00:00\t") + text +
                                 QStringLiteral("\t1000\t50\t1\t1\t1\t1\t1\tabc");
            double expected = NoValue;
            if (!TryStrToFloatSystem(text, expected, settings))
                expected = NoValue;
            ParseLogLine(line, frame);
            const double actual = frame.Value(1);
            EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
                << locale << " \"" << text.toStdString() << "\": " << actual << " instead of "
                << expected;
        }
    }
}
