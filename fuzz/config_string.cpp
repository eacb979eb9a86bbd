// The configuration string parser, fed any text an operator could type or a
// sonde could send. A string it accepts must describe a configuration the
// rest of the program can rely on, and must survive writing and reading back.
#include "fuzz/FuzzSupport.h"

namespace {

bool SameConfiguration(const TKestrinResult &a, const TKestrinResult &b)
{
    if (a.Model() != b.Model() || a.TransmissionType() != b.TransmissionType() ||
        a.PrimaryTemperatureChannel() != b.PrimaryTemperatureChannel() ||
        a.PrimaryPressureChannel() != b.PrimaryPressureChannel() ||
        a.PrimaryHumidityChannel() != b.PrimaryHumidityChannel())
        return false;
    for (int c = 1; c <= KestrinChannels; ++c)
        if (a.ChannelType(c) != b.ChannelType(c))
            return false;
    return true;
}

void CheckPrimary(const TKestrinResult &r, int32_t primary, TChannelType type)
{
    bool any = false;
    for (int c = 1; c <= KestrinChannels; ++c)
        any = any || r.ChannelType(c) == type;
    FUZZ_CHECK((primary != 0) == any); // the first channel of a kind is the default
    if (primary != 0) {
        FUZZ_CHECK(primary >= 1 && primary <= KestrinChannels);
        FUZZ_CHECK(r.ChannelType(primary) == type);
        FUZZ_CHECK(r.IsPrimary(primary));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    TKestrinResult r;
    try {
        r.ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &e) {
        FUZZ_CHECK(!e.Message().isEmpty());
        return 0;
    }

    FUZZ_CHECK(r.Model() <= sm3M);
    FUZZ_CHECK(r.TransmissionType() == ttRaw || r.TransmissionType() == ttProcessed);
    FUZZ_CHECK(r.Model() != sm3M || r.TransmissionType() == ttProcessed);
    for (int c = 1; c <= KestrinChannels; ++c) {
        if (r.IsChannelAvailable(c))
            FUZZ_CHECK(r.AllowedChannelTypes(c).Contains(r.ChannelType(c)));
        else
            FUZZ_CHECK(r.ChannelType(c) == ctUnavailable);
        FUZZ_CHECK(IsNoValue(r.Value(c)));
    }
    CheckPrimary(r, r.PrimaryTemperatureChannel(), ctTemperature);
    CheckPrimary(r, r.PrimaryPressureChannel(), ctPressure);
    CheckPrimary(r, r.PrimaryHumidityChannel(), ctHumidity);

    // What is written is read back as the same configuration, and written
    // the same way again: log files and settings documents depend on it.
    const QString written = r.ConfigurationString();
    TKestrinResult again;
    try {
        again.ParseConfiguration(written);
    } catch (const EKestrinConfigStringError &) {
        FUZZ_CHECK(false && "a written configuration does not parse");
    }
    FUZZ_CHECK(SameConfiguration(r, again));
    FUZZ_CHECK(again.ConfigurationString() == written);
    return 0;
}
