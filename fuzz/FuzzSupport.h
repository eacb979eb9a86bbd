#pragma once
// Helpers shared by the fuzz targets. Header only: every fuzz/*.cpp is a
// target of its own, and the corpus replay test links all of them into one
// program with their entry points renamed.
#include "devices/KestrinLibrary.h"
#include "devices/LogFormat.h"
#include "pipeline/RecordingSession.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

// The input being run, named in failure reports (set by the replay test).
inline const char *&FuzzInputName()
{
    static const char *name = nullptr;
    return name;
}

[[noreturn]] inline void FuzzFailure(const char *file, int line, const char *condition)
{
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    if (FuzzInputName())
        std::fprintf(stderr, "input: %s\n", FuzzInputName());
    std::fflush(stderr);
    std::abort();
}

// A property every input must keep; a broken one is a finding like a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzFailure(__FILE__, __LINE__, #condition);                                           \
    } while (false)

// Reads the fuzzer's bytes front to back; past the end every read gives 0.
class TFuzzInput
{
  public:
    TFuzzInput(const uint8_t *data, size_t size) : FData(data), FSize(size) {}

    bool AtEnd() const { return FPos >= FSize; }
    size_t Remaining() const { return FSize - FPos; }
    uint8_t Byte() { return AtEnd() ? 0 : FData[FPos++]; }
    double Double()
    {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | Byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    QByteArray Take(size_t count)
    {
        count = std::min(count, Remaining());
        QByteArray bytes(reinterpret_cast<const char *>(FData + FPos), qsizetype(count));
        FPos += count;
        return bytes;
    }
    QByteArray Rest() { return Take(Remaining()); }

  private:
    const uint8_t *FData;
    size_t FSize;
    size_t FPos = 0;
};

// A valid configuration chosen by the input (eleven bytes): model,
// transmission type, one type per available channel and an optional
// explicit primary. It goes through the parser, as every configuration in
// the program does.
inline TKestrinResult ConfigurationFromInput(TFuzzInput &input)
{
    static const char *const Unused[4] = {"1EP:NNN", "1MP:NNNNNNNN", "1RP:NNNNNNNNN",
                                          "3MP:NNNNNNNN"};
    static const char Letters[] = "NVTPUFBC";
    const uint8_t modelByte = input.Byte();
    TKestrinResult probe;
    probe.ParseConfiguration(QLatin1String(Unused[modelByte % 4]));
    const bool processed = probe.Model() == sm3M || (modelByte & 4) != 0;
    const int explicitPrimary = modelByte >> 3; // a channel number when 1 to 10
    QString text =
        probe.ModelName() + (processed ? QLatin1Char('P') : QLatin1Char('R')) + QLatin1Char(':');
    for (int c = 1; c <= KestrinChannels; ++c) {
        const uint8_t choice = input.Byte();
        if (!probe.IsChannelAvailable(c))
            continue;
        QString allowed;
        for (const char *l = Letters; *l; ++l)
            if (probe.AllowedChannelTypes(c).Contains(
                    LetterToChannelType(QString(QLatin1Char(*l)))))
                allowed += QLatin1Char(*l);
        const QChar letter = allowed.at(choice % allowed.size());
        if (c == explicitPrimary && QStringLiteral("TPU").contains(letter))
            text += QLatin1Char('_');
        text += letter;
    }
    TKestrinResult configuration;
    configuration.ParseConfiguration(text);
    return configuration;
}

// Drawing text needs an application object with a platform; the replay test
// brings its own, a fuzzer makes one on first use (offscreen, kept to the end).
inline void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

// Switches the number and time formats for one input (a point or a comma as
// decimal separator, and their time formats); the previous setting comes back
// afterwards, so a replay inside another program leaves it as it was.
class TFuzzLocale
{
  public:
    explicit TFuzzLocale(uint8_t choice)
    {
        static const char *const Names[4] = {"C", "en_US.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"};
        if (const char *v = std::getenv("LC_ALL"))
            FSaved = std::string(v);
        setenv("LC_ALL", Names[choice % 4], 1);
    }
    ~TFuzzLocale()
    {
        if (FSaved)
            setenv("LC_ALL", FSaved->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }
    TFuzzLocale(const TFuzzLocale &) = delete;
    TFuzzLocale &operator=(const TFuzzLocale &) = delete;

  private:
    std::optional<std::string> FSaved;
};

// The checks that hold for the values of every result, however they were
// obtained: each value is the no-value marker or a finite number, channels
// without a measurement hold no value, and the plausibility limits hold.
inline void CheckValues(const TKestrinResult &r)
{
    for (int c = 1; c <= KestrinChannels; ++c) {
        const double v = r.Value(c);
        if (IsNoValue(v))
            continue;
        FUZZ_CHECK(std::isfinite(v));
        switch (r.ChannelType(c)) {
        case ctUnused:
        case ctUnavailable:
            FUZZ_CHECK(false && "a channel without a measurement holds a value");
            break;
        case ctVoltage:
        case ctFrequency:
            FUZZ_CHECK(v >= 0);
            break;
        case ctPressure:
            FUZZ_CHECK(v >= 0.01);
            break;
        case ctHumidity:
            FUZZ_CHECK(v >= 0 && v <= 110);
            break;
        default:
            break;
        }
    }
}

// The recorded lines after stored lines are replayed, as the recording
// session keeps them: each line read with the configuration and written
// again, its raw frame text kept.
inline QStringList ReplayedLines(const QStringList &lines, const TKestrinResult &configuration)
{
    QStringList recorded;
    for (const QString &line : lines) {
        const TKestrinResult result = ResultFromLogLine(line, configuration);
        CheckValues(result);
        recorded << FormatLogLine(result);
    }
    return recorded;
}
