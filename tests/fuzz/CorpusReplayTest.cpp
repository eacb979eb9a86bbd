// Every file of every fuzz corpus, and every reproducer of a finding, run
// through its fuzz target. A target checks its own properties and aborts on
// a broken one, so a regression shows up here as a failing test.
#include "fuzz/FuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "support/TestSupport.h"

#define VENTREL_FUZZ_TARGET(name) extern "C" int VentrelFuzz_##name(const uint8_t *, size_t);
#include "FuzzTargets.inc"
#undef VENTREL_FUZZ_TARGET

namespace {

struct TFuzzTarget
{
    const char *Name;
    int (*Run)(const uint8_t *, size_t);
};

const TFuzzTarget Targets[] = {
#define VENTREL_FUZZ_TARGET(name) {#name, &VentrelFuzz_##name},
#include "FuzzTargets.inc"
#undef VENTREL_FUZZ_TARGET
};

const QString FuzzDir = QStringLiteral(VENTREL_SOURCE_DIR "/fuzz");

QStringList FilesIn(const QString &dir)
{
    QStringList paths;
    for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files, QDir::Name))
        paths << info.filePath();
    return paths;
}

class CorpusReplay : public ::testing::TestWithParam<TFuzzTarget>
{
};

} // namespace

TEST_P(CorpusReplay, RunsEveryCorpusFileAndReproducer)
{
    const TFuzzTarget &target = GetParam();
    const QStringList corpus = FilesIn(FuzzDir + QStringLiteral("/corpus/") + target.Name);
    ASSERT_FALSE(corpus.isEmpty()) << "no corpus for fuzz target " << target.Name;
    const QStringList inputs =
        corpus + FilesIn(FuzzDir + QStringLiteral("/crashes/") + target.Name);
    for (const QString &path : inputs) {
        const QByteArray bytes = ReadFileBytes(path);
        const QByteArray name = path.toLocal8Bit();
        FuzzInputName() = name.constData();
        EXPECT_EQ(
            target.Run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())),
            0)
            << name.constData();
        FuzzInputName() = nullptr;
    }
}

INSTANTIATE_TEST_SUITE_P(Fuzz, CorpusReplay, ::testing::ValuesIn(Targets),
                         [](const ::testing::TestParamInfo<TFuzzTarget> &info) {
                             return std::string(info.param.Name);
                         });

// A corpus or reproducer folder without a target would never be replayed.
TEST(CorpusReplayFolders, EveryFolderBelongsToATarget)
{
    for (const char *kind : {"corpus", "crashes"}) {
        const QDir dir(FuzzDir + QLatin1Char('/') + QLatin1String(kind));
        for (const QString &folder : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool found = false;
            for (const TFuzzTarget &t : Targets)
                found = found || folder == QLatin1String(t.Name);
            EXPECT_TRUE(found) << kind << "/" << folder.toStdString() << " has no fuzz target";
        }
    }
}
