// The manual pages against the programs: every option that --help lists has
// an entry in the page, and --version names the program and the build's
// version.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct TPage
{
    const char *Program;
    QStringList ExpectedOptions; // a few that must be found, so an empty --help fails
};

const TPage Pages[] = {
    {"ventrel-render", {"--report", "--size", "--version", "--help"}},
    {"kestrin-sim", {"--config", "-r", "--port", "--version", "--help-all"}},
};

QString Output(const char *program, const QString &argument)
{
    QProcess process;
    process.start(QStringLiteral(VENTREL_BIN_DIR "/") + QLatin1String(program), {argument});
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The page's text with the font escapes gone and "\-" read as "-".
QString PageText(const char *program)
{
    QFile file(QStringLiteral(VENTREL_SOURCE_DIR "/packaging/man/") + QLatin1String(program) +
               QStringLiteral(".1.in"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression font(QStringLiteral(R"(\\f(\[[^\]]*\]|\(..|.))"));
    text.remove(font);
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    return text;
}

QString Standalone(const QString &option)
{
    return QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(option) +
           QStringLiteral("(?![\\w-])");
}

} // namespace

TEST(ManPages, EveryOptionOfHelpHasAnEntry)
{
    static const QRegularExpression option(QStringLiteral(R"((?<![\w-])--?[A-Za-z][\w-]*)"));
    for (const TPage &page : Pages) {
        SCOPED_TRACE(page.Program);
        const QString help = Output(page.Program, QStringLiteral("--help"));
        const QString text = PageText(page.Program);
        ASSERT_FALSE(text.isEmpty());
        QStringList listed;
        for (const QRegularExpressionMatch &match : option.globalMatch(help))
            if (!listed.contains(match.captured()))
                listed << match.captured();
        for (const QString &expected : page.ExpectedOptions)
            EXPECT_TRUE(listed.contains(expected)) << "--help lacks " << expected.toStdString();
        for (const QString &name : listed)
            EXPECT_TRUE(text.contains(QRegularExpression(Standalone(name))))
                << "the page lacks " << name.toStdString();
    }
}

TEST(ManPages, VersionNamesTheProgramAndTheBuildsVersion)
{
    for (const TPage &page : Pages) {
        SCOPED_TRACE(page.Program);
        EXPECT_EQ(Output(page.Program, QStringLiteral("--version")),
                  QLatin1String(page.Program) + QStringLiteral(" " VENTREL_VERSION "\n"));
    }
}
