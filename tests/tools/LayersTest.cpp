// The folders are layers: every #include of the source tree points down.
// Read from the files themselves, so that a new include that points the
// wrong way fails here rather than in a later refactoring.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct TInclude
{
    QString File; // relative to the source tree
    QString Target;
    bool Quoted = false;
};

std::vector<TInclude> IncludesUnder(const QStringList &folders)
{
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]"),
        QRegularExpression::MultilineOption);
    const QDir root(QStringLiteral(VENTREL_SOURCE_DIR));
    std::vector<TInclude> found;
    for (const QString &folder : folders) {
        QDirIterator files(root.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = include.globalMatch(text); match.hasNext();) {
                const auto m = match.next();
                found.push_back({root.relativeFilePath(file.fileName()), m.captured(2),
                                 m.captured(1) == QLatin1String("\"")});
            }
        }
    }
    return found;
}

// Every include of `folders` that names one of `forbidden` (folder prefixes
// of the tree), as "file: target" lines; the files allowed and those under
// the folder allowed are not looked at.
std::string Offending(const QStringList &folders, const QStringList &forbidden,
                      const QStringList &allowedFiles = {}, const QString &allowedFolder = {})
{
    QStringList offending;
    for (const TInclude &include : IncludesUnder(folders)) {
        if (!include.Quoted || allowedFiles.contains(include.File) ||
            (!allowedFolder.isEmpty() && include.File.startsWith(allowedFolder)))
            continue;
        for (const QString &prefix : forbidden)
            if (include.Target.startsWith(prefix))
                offending << include.File + QStringLiteral(": ") + include.Target;
    }
    return offending.join(QLatin1Char('\n')).toStdString();
}

} // namespace

TEST(Layers, SoundingKnowsOnlyTheFoundation)
{
    EXPECT_EQ(Offending({QStringLiteral("sounding")},
                        {QStringLiteral("pipeline/"), QStringLiteral("graphs/"),
                         QStringLiteral("devices/"), QStringLiteral("ui/")}),
              "");
    // Nor any header of Qt Widgets, however it is spelled.
    const QDir widgets(QLibraryInfo::path(QLibraryInfo::HeadersPath) +
                       QStringLiteral("/QtWidgets"));
    ASSERT_TRUE(widgets.exists()) << widgets.path().toStdString();
    QStringList offending;
    for (const TInclude &include : IncludesUnder({QStringLiteral("sounding")})) {
        const QString name = QFileInfo(include.Target).fileName();
        if (!include.Quoted &&
            (include.Target.startsWith(QLatin1String("QtWidgets")) || widgets.exists(name)))
            offending << include.File + QStringLiteral(": ") + include.Target;
    }
    EXPECT_EQ(offending.join(QLatin1Char('\n')).toStdString(), "");
}

TEST(Layers, NothingBelowTheWindowIncludesIt)
{
    EXPECT_EQ(Offending({QStringLiteral("pipeline")}, {QStringLiteral("ui/")}), "");
    // Only the window, the program, and the tests and benchmarks that drive
    // the window know it.
    EXPECT_EQ(
        Offending({QStringLiteral("foundation"), QStringLiteral("devices"),
                   QStringLiteral("sounding"), QStringLiteral("pipeline"), QStringLiteral("graphs"),
                   QStringLiteral("tools"), QStringLiteral("exchange"), QStringLiteral("fuzz"),
                   QStringLiteral("bench"), QStringLiteral("tests")},
                  {QStringLiteral("ui/")},
                  {QStringLiteral("bench/loadlog.cpp"), QStringLiteral("bench/datalist.cpp"),
                   QStringLiteral("tests/support/ScriptedInteraction.h")},
                  QStringLiteral("tests/ui/")),
        "");
}
