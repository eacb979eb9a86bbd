#include "devices/KestrinLibrary.h"

#include "foundation/LocalUtilities.h"

#include <QDomDocument>
#include <functional>
#include <gtest/gtest.h>

namespace {

TKestrinResult Parse(const QString &text)
{
    TKestrinResult r;
    r.ParseConfiguration(text);
    return r;
}

QString ParseError(const QString &text)
{
    TKestrinResult r;
    try {
        r.ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &e) {
        return e.Message();
    }
    return QStringLiteral("<accepted>");
}

bool SameConfiguration(const TKestrinResult &a, const TKestrinResult &b)
{
    if (a.Model() != b.Model() || a.TransmissionType() != b.TransmissionType() ||
        a.PrimaryTemperatureChannel() != b.PrimaryTemperatureChannel() ||
        a.PrimaryPressureChannel() != b.PrimaryPressureChannel() ||
        a.PrimaryHumidityChannel() != b.PrimaryHumidityChannel())
        return false;
    for (int c = 1; c <= 10; ++c)
        if (a.ChannelType(c) != b.ChannelType(c))
            return false;
    return true;
}

} // namespace

TEST(KestrinConfiguration, NewObjectDefaults)
{
    TKestrinResult r;
    EXPECT_EQ(r.Model(), sm1E);
    EXPECT_EQ(r.TransmissionType(), ttRaw);
    EXPECT_EQ(r.ChannelType(1), ctUnused);
    EXPECT_EQ(r.ChannelType(2), ctUnused);
    EXPECT_EQ(r.ChannelType(3), ctUnavailable);
    EXPECT_EQ(r.ChannelType(8), ctUnused);
    EXPECT_EQ(r.PrimaryTemperatureChannel(), 0);
    EXPECT_FALSE(r.HasPrimaryPressure());
    EXPECT_EQ(r.ConfigurationString(), "1ER:NNN");
    for (int c = 1; c <= 10; ++c)
        EXPECT_DOUBLE_EQ(r.Value(c), -9999.0);
}

TEST(KestrinConfiguration, ModelTables)
{
    TKestrinResult r = Parse("1RR:TPUVVVFFB");
    EXPECT_EQ(r.ChannelCount(), 10);
    EXPECT_FALSE(r.IsChannelAvailable(7));
    EXPECT_TRUE(r.IsChannelAvailable(10));
    EXPECT_FALSE(r.IsChannelAvailable(0));
    EXPECT_FALSE(r.IsChannelAvailable(11));
    EXPECT_EQ(r.ChannelType(7), ctUnavailable);
    EXPECT_EQ(r.ChannelType(8), ctFrequency);
    EXPECT_EQ(r.ChannelType(9), ctFrequency);
    EXPECT_EQ(r.ChannelType(10), ctParallelByte);
    EXPECT_TRUE(r.AllowedChannelTypes(7).IsEmpty());
    EXPECT_TRUE(r.AllowedChannelTypes(10).Contains(ctParallelByte));
    EXPECT_FALSE(r.AllowedChannelTypes(10).Contains(ctFrequency));
    EXPECT_EQ(r.ModelName(), "1R");
    EXPECT_EQ(r.ModelLetter(), "R");

    TKestrinResult m3 = Parse("3MP:TPUVVVCC");
    EXPECT_EQ(m3.ModelLetter(), "3M");
    EXPECT_EQ(m3.ChannelType(8), ctCustom);
    EXPECT_TRUE(m3.AllowedChannelTypes(1).Contains(ctCustom));
    EXPECT_EQ(Parse("1ER:TUF").ChannelCount(), 8);
}

TEST(KestrinConfiguration, NameAndLetterConversions)
{
    EXPECT_EQ(NameToModel("3M"), sm3M);
    EXPECT_THROW(NameToModel("1m"), EKestrinConfigStringError);
    try {
        NameToModel("1X");
    } catch (const EKestrinConfigStringError &e) {
        EXPECT_EQ(e.Message(), "1X is not a valid model");
    }
    EXPECT_EQ(LetterToChannelType("B"), ctParallelByte);
    EXPECT_EQ(ParseError("1MR:TPUVVVVX"), "X is not a valid channel type");
    EXPECT_EQ(ChannelTypeLetter(ctUnavailable), "");
    for (TChannelType t : {ctUnused, ctVoltage, ctTemperature, ctPressure, ctHumidity, ctFrequency,
                           ctParallelByte, ctCustom})
        EXPECT_EQ(LetterToChannelType(ChannelTypeLetter(t)), t);
}

TEST(KestrinConfiguration, EveryParserMessage)
{
    EXPECT_EQ(ParseError("1ER:"), "Configuration string is too short");
    EXPECT_EQ(ParseError("1ER:T"), "Configuration string is too short for model 1E");
    EXPECT_EQ(ParseError("1XR:TPUVVVVF"), "1X is not a valid model");
    EXPECT_EQ(ParseError("3MR:TPUVVVVF"), "Model 3M does not support raw data");
    EXPECT_EQ(ParseError("1MX:TPUVVVVF"), "X is not a valid Kestrin data transmission type");
    EXPECT_EQ(ParseError("1MR-TPUVVVVF"), "Character 4 must be a :");
    EXPECT_EQ(ParseError("1MR:TPUVVVVFF"), "Configuration string is too long for model 1M");
    EXPECT_EQ(ParseError("1MR:TPUVVVVF_"), "Configuration string is too long for model 1M");
    EXPECT_EQ(ParseError("1MR:__TPUVVVVF"), "Repeating underscores are not valid");
    EXPECT_EQ(ParseError("1MR:_NPUVVVVF"), "Primary unused channel not allowed");
    EXPECT_EQ(ParseError("1MR:_VPUVVVVF"), "Primary voltage channel not allowed");
    EXPECT_EQ(ParseError("1MR:TPUVVVV_F"), "Primary frequency channel not allowed");
    EXPECT_EQ(ParseError("1RR:TPUVVVFF_B"), "Primary parallel byte channel not allowed");
    EXPECT_EQ(ParseError("3MP:_CPUVVVVF"), "Primary custom channel not allowed");
    EXPECT_EQ(ParseError("1MR:_TP_TVVVVF"), "Multiple temperature primaries not allowed");
    EXPECT_EQ(ParseError("1MR:T_PU_PVVVF"), "Multiple pressure primaries not allowed");
    EXPECT_EQ(ParseError("1MR:TP_UV_UVVF"), "Multiple humidity primaries not allowed");
    EXPECT_EQ(ParseError("1MR:TPUVVVVT"), "Channel type T is not valid for model 1M, channel 8");
    EXPECT_EQ(ParseError("1MR:TTBVVVVF"), "Channel type B is not valid for model 1M, channel 3");
    EXPECT_EQ(ParseError("1MR:TPU_"), "Configuration string is too short for model 1M");
    EXPECT_EQ(ParseError("1MR:TPUVVVV_"), "Configuration string is too short for model 1M");
    EXPECT_EQ(ParseError("1MR:TPUCVVVF"), "Channel type C is not valid for model 1M, channel 4");
}

TEST(KestrinConfiguration, LowerCaseIsAccepted)
{
    EXPECT_TRUE(SameConfiguration(Parse("1mr:tpuvvvvf"), Parse("1MR:TPUVVVVF")));
    EXPECT_EQ(ParseError("1mx:tpuvvvvf"), "X is not a valid Kestrin data transmission type");
}

TEST(KestrinConfiguration, PrimaryRules)
{
    TKestrinResult a = Parse("1MR:TTPUVVVF");
    EXPECT_EQ(a.PrimaryTemperatureChannel(), 1);
    EXPECT_EQ(a.PrimaryPressureChannel(), 3);
    EXPECT_EQ(a.PrimaryHumidityChannel(), 4);
    EXPECT_TRUE(a.IsPrimary(1));
    EXPECT_FALSE(a.IsPrimary(2));
    EXPECT_FALSE(a.IsPrimary(5)); // voltage is never primary
    EXPECT_THROW(a.IsPrimary(0), EKestrinInvalidChannelError);
    EXPECT_THROW(a.IsPrimary(11), EKestrinInvalidChannelError);

    TKestrinResult b = Parse("1MR:T_TPUVVVF");
    EXPECT_EQ(b.PrimaryTemperatureChannel(), 2);
    EXPECT_EQ(b.ConfigurationString(), "1MR:T_T_P_UVVVF");

    // A plain channel after an explicit primary does not replace it.
    TKestrinResult c = Parse("1MR:_TTPUVVVF");
    EXPECT_EQ(c.PrimaryTemperatureChannel(), 1);

    TKestrinResult d = Parse("1ER:TUF");
    EXPECT_EQ(d.PrimaryTemperatureChannel(), 1);
    EXPECT_EQ(d.PrimaryHumidityChannel(), 2);
    EXPECT_EQ(d.ChannelType(8), ctFrequency);
    EXPECT_FALSE(d.HasPrimaryPressure());

    TKestrinResult e = Parse("1RP:_TT_PUVVFFB");
    EXPECT_EQ(e.TransmissionType(), ttProcessed);
    EXPECT_EQ(e.PrimaryTemperatureChannel(), 1);
    EXPECT_EQ(e.PrimaryPressureChannel(), 3);
    EXPECT_EQ(e.PrimaryHumidityChannel(), 4);
}

TEST(KestrinConfiguration, WritingMarksEveryPrimary)
{
    EXPECT_EQ(Parse("1MR:TPUVVVVF").ConfigurationString(), "1MR:_T_P_UVVVVF");
    EXPECT_TRUE(SameConfiguration(Parse("1MR:_T_P_UVVVVF"), Parse("1MR:TPUVVVVF")));
    EXPECT_EQ(Parse("1RR:TPUVVVFFB").ConfigurationString(), "1RR:_T_P_UVVVFFB");
    EXPECT_EQ(Parse("3MP:NNNNNNNN").ConfigurationString(), "3MP:NNNNNNNN");
}

TEST(KestrinConfiguration, ParseResetsEverythingBeforeWalking)
{
    TKestrinResult r = Parse("1RR:TPUVVVFFB");
    r.SetValue(3, 5.0);
    r.ParseConfiguration("1ER:NNN");
    EXPECT_EQ(r.ChannelType(3), ctUnavailable);
    EXPECT_EQ(r.ChannelType(10), ctUnavailable);
    EXPECT_EQ(r.PrimaryTemperatureChannel(), 0);
    EXPECT_DOUBLE_EQ(r.Value(3), -9999.0);
}

// Every valid string of every model: writing the parsed configuration and
// parsing that gives the same configuration. Walks all letter choices per
// channel, with and without primary marks on the first eligible channel.
TEST(KestrinConfiguration, RoundTripOverAllModels)
{
    int checked = 0;
    for (TSondeModel model : {sm1E, sm1M, sm1R, sm3M}) {
        TKestrinResult probe;
        probe.ParseConfiguration(ModelToName(model) + (model == sm3M ? "P:" : "R:") +
                                 QString(model == sm1R ? 9 : (model == sm1E ? 3 : 8), 'N'));
        std::vector<int> channels;
        for (int c = 1; c <= 10; ++c)
            if (probe.IsChannelAvailable(c))
                channels.push_back(c);
        // Channels 1..7 share one allowed set; to keep the walk small, vary
        // every channel over its letters while the others cycle through theirs.
        std::function<void(size_t, QString)> walk = [&](size_t i, QString body) {
            if (i == channels.size()) {
                for (const char *tt : {"R", "P"}) {
                    if (model == sm3M && QString(tt) == "R")
                        continue;
                    const QString text = ModelToName(model) + tt + ":" + body;
                    TKestrinResult first;
                    try {
                        first.ParseConfiguration(text);
                    } catch (const EKestrinConfigStringError &) {
                        continue; // two explicit primaries of one kind: not a valid string
                    }
                    TKestrinResult second;
                    second.ParseConfiguration(first.ConfigurationString());
                    ASSERT_TRUE(SameConfiguration(first, second)) << text.toStdString();
                    ASSERT_EQ(second.ConfigurationString(), first.ConfigurationString());
                    ++checked;
                }
                return;
            }
            const int c = channels[i];
            const bool wide = i < 3; // full choice on the first three channels
            for (const char *letter : {"N", "V", "T", "P", "U", "F", "B", "C"}) {
                if (!probe.AllowedChannelTypes(c).Contains(LetterToChannelType(letter)))
                    continue;
                walk(i + 1, body + letter);
                if (QString(letter) == "T" || QString(letter) == "P" || QString(letter) == "U")
                    walk(i + 1, body + "_" + letter);
                if (!wide)
                    break;
            }
        };
        walk(0, QString());
    }
    EXPECT_GT(checked, 500);
}

TEST(KestrinConfiguration, XmlStorage)
{
    QDomDocument doc;
    QDomElement root = doc.createElement("Kestrin");
    doc.appendChild(root);
    Parse("1MR:TPUVVVVF").SaveConfigurationToXml(root);
    EXPECT_EQ(root.firstChildElement("Configuration").text(), "1MR:_T_P_UVVVVF");

    AddChildElement(root, "Configuration", "1ER:TUF");
    TKestrinResult r;
    r.LoadConfigurationFromXml(root); // the last one wins
    EXPECT_EQ(r.ConfigurationString(), "1ER:_T_UF");

    AddChildElement(root, "Configuration", "junk");
    EXPECT_THROW(r.LoadConfigurationFromXml(root), EKestrinConfigStringError);
}

TEST(KestrinConfiguration, InvalidChannelMessages)
{
    TKestrinResult r;
    try {
        r.ChannelType(11);
        FAIL();
    } catch (const EKestrinInvalidChannelError &e) {
        EXPECT_EQ(e.Message(), "Kestrin Channel 11 is invalid.");
    }
    EXPECT_THROW(r.Value(0), EKestrinInvalidChannelError);
}

TEST(KestrinConfiguration, CopyIsAFlatValue)
{
    static_assert(std::is_nothrow_move_constructible_v<TKestrinResult>);
    TKestrinResult a = Parse("1RP:_TT_PUVVFFB");
    a.SetValue(2, 12.5);
    TKestrinResult b;
    b.Assign(a);
    EXPECT_TRUE(SameConfiguration(a, b));
    EXPECT_DOUBLE_EQ(b.Value(2), 12.5);
}
