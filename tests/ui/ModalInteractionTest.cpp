// The file and print dialog objects and the scripted interaction the other
// UI tests rely on.
#include "support/ScriptedInteraction.h"
#include "ui/FileDialogs.h"

#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {
void Touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}
} // namespace

TEST(FileDialogFilter, PairsBecomeQtNameFilters)
{
    EXPECT_EQ(FilterToNameFilters(QStringLiteral("Text files (*.txt)|*.TXT")),
              QStringList{QStringLiteral("Text files (*.txt *.TXT)")});
    EXPECT_EQ(FilterToNameFilters(QStringLiteral("XML files (*.xml)|*.XML")),
              QStringList{QStringLiteral("XML files (*.xml *.XML)")});
    EXPECT_EQ(FilterToNameFilters(QStringLiteral("Logs|*.txt;*.log|All files (*.*)|*.*")),
              (QStringList{QStringLiteral("Logs (*.txt *.log)"), QStringLiteral("All files (*)")}));
    // A description without patterns, and a trailing description alone.
    EXPECT_EQ(FilterToNameFilters(QStringLiteral("*.bmp|*.BMP|Everything")),
              (QStringList{QStringLiteral("*.bmp (*.BMP)"), QStringLiteral("Everything (*)")}));
    EXPECT_TRUE(FilterToNameFilters(QString()).isEmpty());
}

TEST(FileDialogFilter, DefaultExtensionOnlyWhenNoneTyped)
{
    const QString ext = QStringLiteral("txt");
    EXPECT_EQ(AddDefaultExt(QStringLiteral("/tmp/run"), ext), QStringLiteral("/tmp/run.txt"));
    EXPECT_EQ(AddDefaultExt(QStringLiteral("/tmp/run.log"), ext), QStringLiteral("/tmp/run.log"));
    EXPECT_EQ(AddDefaultExt(QStringLiteral("/tmp/a.b/run"), ext),
              QStringLiteral("/tmp/a.b/run.txt"));
    EXPECT_EQ(AddDefaultExt(QStringLiteral("run"), QString()), QStringLiteral("run"));
    EXPECT_EQ(AddDefaultExt(QString(), ext), QString());
    TSaveDialog dialog;
    dialog.SetDefaultExt(QStringLiteral(".xml"));
    EXPECT_EQ(dialog.DefaultExt(), QStringLiteral("xml"));
}

TEST(SaveDialog, ProposesTheNameAndReturnsTheChoiceWithDefaultExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TSaveDialog dialog;
    dialog.SetFilter(QStringLiteral("Text files (*.txt)|*.TXT"));
    dialog.SetDefaultExt(QStringLiteral("txt"));
    dialog.SetFileName(QStringLiteral("Kestrin_Dec_07_2026_1306.txt"));

    TScriptedInteraction script;
    script.ExpectSaveFile(dir.filePath(QStringLiteral("flight")));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), dir.filePath(QStringLiteral("flight.txt")));
    ASSERT_EQ(script.Requests().size(), 1u);
    const TInteractionRequest &request = script.Requests()[0];
    EXPECT_EQ(request.Kind, ikSaveFile);
    EXPECT_EQ(request.Filter, QStringLiteral("Text files (*.txt)|*.TXT"));
    EXPECT_EQ(request.DefaultExt, QStringLiteral("txt"));
    EXPECT_EQ(request.FileName, QStringLiteral("Kestrin_Dec_07_2026_1306.txt"));

    // Cancel leaves the name as it was.
    script.ExpectSaveFile(std::nullopt);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), dir.filePath(QStringLiteral("flight.txt")));
}

TEST(SaveDialog, AsksBeforeReplacingAndShowsItselfAgainOnNo)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("old.txt"));
    Touch(existing);
    TSaveDialog dialog;
    dialog.SetDefaultExt(QStringLiteral("txt"));

    TScriptedInteraction script;
    script.ExpectSaveFile(dir.filePath(QStringLiteral("old")));
    script.ExpectConfirmation(false);
    script.ExpectSaveFile(existing);
    script.ExpectConfirmation(true);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), existing);
    ASSERT_EQ(script.Requests().size(), 4u);
    EXPECT_TRUE(
        script.Requests()[1].Text.startsWith(existing + QStringLiteral(" already exists.")));
    // The dialog comes back proposing the refused name.
    EXPECT_EQ(script.Requests()[2].FileName, existing);

    // Without the prompt an existing file is taken at once.
    dialog.SetOverwritePrompt(false);
    script.ExpectSaveFile(existing);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(script.Requests().size(), 5u);
}

TEST(OpenDialog, FileMustExistAndTheDefaultExtensionFindsIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("flight.txt"));
    Touch(log);
    TOpenDialog dialog;
    dialog.SetFilter(QStringLiteral("Text files (*.txt)|*.TXT"));
    dialog.SetDefaultExt(QStringLiteral("txt"));

    TScriptedInteraction script;
    script.ExpectOpenFile(dir.filePath(QStringLiteral("missing.txt")));
    script.ExpectError();
    script.ExpectOpenFile(dir.filePath(QStringLiteral("flight")));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), log);
    ASSERT_EQ(script.Requests().size(), 3u);
    EXPECT_TRUE(script.Requests()[1].Text.contains(QStringLiteral("File not found.")));
    EXPECT_EQ(script.Requests()[2].FileName, dir.filePath(QStringLiteral("missing.txt")));

    script.ExpectOpenFile(std::nullopt);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), log);
}

TEST(PrintDialog, ReturnsTheConfiguredPrinterOrNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TPrintDialog dialog;
    TScriptedInteraction script;
    script.ExpectPrintCancel();
    EXPECT_EQ(dialog.Execute(), nullptr);

    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    script.ExpectPrint([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    });
    QPrinter *printer = dialog.Execute();
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer, &dialog.Printer());
    EXPECT_EQ(printer->outputFileName(), pdf);
}

TEST(ScriptedInteraction, MessagesAreRecordedAndAnsweredInOrder)
{
    TScriptedInteraction script;
    script.ExpectError();
    script.ExpectInformation();
    script.ExpectConfirmation(true);
    script.ExpectConfirmation(false);
    ModalInteraction().ShowError(QStringLiteral("Kestrin error."));
    ModalInteraction().ShowInformation(QStringLiteral("Press \"Run\" to begin collecting data."));
    EXPECT_TRUE(ModalInteraction().Confirm(QStringLiteral("Stop capturing data?")));
    EXPECT_FALSE(ModalInteraction().Confirm(QStringLiteral("Stop capturing data?")));
    ASSERT_EQ(script.Requests().size(), 4u);
    EXPECT_EQ(script.Requests()[0].Kind, ikError);
    EXPECT_EQ(script.Requests()[0].Text, QStringLiteral("Kestrin error."));
    EXPECT_EQ(script.Requests()[1].Kind, ikInformation);
    EXPECT_EQ(script.Requests()[2].Kind, ikConfirmation);
    EXPECT_EQ(script.Requests()[3].Text, QStringLiteral("Stop capturing data?"));
}

TEST(ScriptedInteraction, UnexpectedRequestsFailTheTestAndAnswerNegatively)
{
    EXPECT_NONFATAL_FAILURE(
        {
            TScriptedInteraction script;
            EXPECT_FALSE(ModalInteraction().Confirm(QStringLiteral("Stop capturing data?")));
        },
        "Unexpected confirmation box");
    EXPECT_NONFATAL_FAILURE(
        {
            TScriptedInteraction script;
            script.ExpectError();
            EXPECT_FALSE(ModalInteraction().SelectColor(Qt::red, nullptr).has_value());
            script.Reset();
        },
        "the script expected: error box");
    EXPECT_NONFATAL_FAILURE(
        {
            TScriptedInteraction script;
            script.ExpectInformation();
        },
        "was never requested");
    // With no script at all the test programs refuse every dialog.
    EXPECT_NONFATAL_FAILURE(ModalInteraction().ShowError(QStringLiteral("x")),
                            "Unscripted modal interaction");
}

TEST(ScriptedInteraction, DialogsAreShownWorkedAndClosed)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Data Series"));
    QPushButton ok(QStringLiteral("OK"), &dialog);
    QObject::connect(&ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    bool shownWhenWorked = false;

    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &d) {
        shownWhenWorked = d.isVisible();
        QTest::mouseClick(&ok, Qt::LeftButton);
    });
    EXPECT_EQ(ModalInteraction().ExecuteDialog(dialog), QDialog::Accepted);
    EXPECT_TRUE(shownWhenWorked);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("QDialog"));
    EXPECT_EQ(script.Requests()[0].Caption, QStringLiteral("Data Series"));

    // Left open by the actions, the dialog closes with the scripted result.
    script.ExpectDialog(QDialog::Rejected);
    EXPECT_EQ(ModalInteraction().ExecuteDialog(dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}
