#include "ScriptedInteraction.h"

#include <QDialog>
#include <QPrinter>
#include <gtest/gtest.h>

namespace {
TInteractionKind MessageKindToInteraction(TMessageKind kind)
{
    switch (kind) {
    case mkError:
        return ikError;
    case mkInformation:
        return ikInformation;
    case mkConfirmation:
    case mkQuestion:
        return ikConfirmation;
    }
    return ikError;
}

QString Describe(const TInteractionRequest &request)
{
    QString text = InteractionKindName(request.Kind);
    if (!request.Caption.isEmpty())
        text += QStringLiteral(" caption \"") + request.Caption + QLatin1Char('"');
    if (!request.Text.isEmpty())
        text += QStringLiteral(" text \"") + request.Text + QLatin1Char('"');
    if (!request.Filter.isEmpty())
        text += QStringLiteral(" filter \"") + request.Filter + QLatin1Char('"');
    if (!request.FileName.isEmpty())
        text += QStringLiteral(" file \"") + request.FileName + QLatin1Char('"');
    if (!request.DialogClass.isEmpty())
        text += QStringLiteral(" dialog ") + request.DialogClass;
    return text;
}

TInteractionRequest MessageRequest(TMessageKind kind, const QString &caption, const QString &text)
{
    TInteractionRequest request;
    request.Kind = MessageKindToInteraction(kind);
    request.Caption = caption;
    request.Text = text;
    return request;
}

TInteractionRequest FileRequest(const TFileDialogRequest &file)
{
    TInteractionRequest request;
    request.Kind = file.Kind == fdSave ? ikSaveFile : ikOpenFile;
    request.Caption = file.Title;
    request.Filter = file.Filter;
    request.DefaultExt = file.DefaultExt;
    request.FileName = file.FileName;
    request.FilterIndex = file.FilterIndex;
    return request;
}

TInteractionRequest DialogRequest(const QDialog &dialog)
{
    TInteractionRequest request;
    request.Kind = ikDialog;
    request.Caption = dialog.windowTitle();
    request.DialogClass = QString::fromLatin1(dialog.metaObject()->className());
    return request;
}

void Refuse(const TInteractionRequest &request)
{
    ADD_FAILURE() << "Unscripted modal interaction requested: " << Describe(request).toStdString();
}
} // namespace

QString InteractionKindName(TInteractionKind kind)
{
    switch (kind) {
    case ikError:
        return QStringLiteral("error box");
    case ikInformation:
        return QStringLiteral("information box");
    case ikConfirmation:
        return QStringLiteral("confirmation box");
    case ikOpenFile:
        return QStringLiteral("open dialog");
    case ikSaveFile:
        return QStringLiteral("save dialog");
    case ikPrint:
        return QStringLiteral("print dialog");
    case ikColor:
        return QStringLiteral("colour dialog");
    case ikDialog:
        return QStringLiteral("modal dialog");
    }
    return QStringLiteral("unknown interaction");
}

TScriptedInteraction::TScriptedInteraction()
{
    FPrevious = InstallModalInteraction(this);
}

TScriptedInteraction::~TScriptedInteraction()
{
    InstallModalInteraction(FPrevious);
    for (const TAnswer &answer : FAnswers)
        ADD_FAILURE() << "Scripted " << InteractionKindName(answer.Kind).toStdString()
                      << " was never requested";
}

void TScriptedInteraction::ExpectError()
{
    FAnswers.emplace_back(ikError);
}

void TScriptedInteraction::ExpectError(std::function<void()> whileShown)
{
    TAnswer &answer = FAnswers.emplace_back(ikError);
    answer.WhileShown = std::move(whileShown);
}

void TScriptedInteraction::ExpectInformation()
{
    FAnswers.emplace_back(ikInformation);
}

void TScriptedInteraction::ExpectConfirmation(bool yes)
{
    TAnswer &answer = FAnswers.emplace_back(ikConfirmation);
    answer.Positive = yes;
}

void TScriptedInteraction::ExpectOpenFile(std::optional<QString> chosen)
{
    TAnswer &answer = FAnswers.emplace_back(ikOpenFile);
    answer.FileName = std::move(chosen);
}

void TScriptedInteraction::ExpectSaveFile(std::optional<QString> chosen, int32_t filterIndex)
{
    TAnswer &answer = FAnswers.emplace_back(ikSaveFile);
    answer.FileName = std::move(chosen);
    answer.FilterIndex = filterIndex;
}

void TScriptedInteraction::ExpectPrint(std::function<void(QPrinter &)> setup)
{
    TAnswer &answer = FAnswers.emplace_back(ikPrint);
    answer.PrinterSetup = std::move(setup);
}

void TScriptedInteraction::ExpectPrintCancel()
{
    TAnswer &answer = FAnswers.emplace_back(ikPrint);
    answer.Positive = false;
}

void TScriptedInteraction::ExpectColor(std::optional<QColor> chosen)
{
    TAnswer &answer = FAnswers.emplace_back(ikColor);
    answer.Color = std::move(chosen);
}

void TScriptedInteraction::ExpectDialog(int result, std::function<void(QDialog &)> action)
{
    TAnswer &answer = FAnswers.emplace_back(ikDialog);
    answer.DialogResult = result;
    answer.DialogAction = std::move(action);
}

void TScriptedInteraction::Reset()
{
    FRequests.clear();
    FAnswers.clear();
}

std::optional<TScriptedInteraction::TAnswer>
TScriptedInteraction::Take(const TInteractionRequest &request)
{
    FRequests.push_back(request);
    if (FAnswers.empty()) {
        ADD_FAILURE() << "Unexpected " << Describe(request).toStdString()
                      << ": nothing more was scripted";
        return std::nullopt;
    }
    if (FAnswers.front().Kind != request.Kind) {
        ADD_FAILURE() << "Unexpected " << Describe(request).toStdString()
                      << ": the script expected: "
                      << InteractionKindName(FAnswers.front().Kind).toStdString();
        return std::nullopt;
    }
    TAnswer answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer;
}

bool TScriptedInteraction::ShowMessage(TMessageKind kind, const QString &caption,
                                       const QString &text, QWidget *)
{
    const std::optional<TAnswer> answer = Take(MessageRequest(kind, caption, text));
    if (!answer)
        return kind < mkConfirmation;
    if (answer->WhileShown)
        answer->WhileShown();
    return answer->Positive;
}

std::optional<TFileDialogChoice>
TScriptedInteraction::GetFileName(const TFileDialogRequest &request, QWidget *)
{
    const std::optional<TAnswer> answer = Take(FileRequest(request));
    if (!answer || !answer->FileName)
        return std::nullopt;
    return TFileDialogChoice{*answer->FileName, answer->FilterIndex};
}

bool TScriptedInteraction::SetupPrinter(QPrinter &printer, QWidget *)
{
    TInteractionRequest request;
    request.Kind = ikPrint;
    const std::optional<TAnswer> answer = Take(request);
    if (!answer || !answer->Positive)
        return false;
    if (answer->PrinterSetup)
        answer->PrinterSetup(printer);
    return true;
}

std::optional<QColor> TScriptedInteraction::SelectColor(const QColor &initial, QWidget *)
{
    TInteractionRequest request;
    request.Kind = ikColor;
    request.Color = initial;
    const std::optional<TAnswer> answer = Take(request);
    if (!answer)
        return std::nullopt;
    return answer->Color;
}

int TScriptedInteraction::ExecuteDialog(QDialog &dialog)
{
    const std::optional<TAnswer> answer = Take(DialogRequest(dialog));
    if (!answer)
        return QDialog::Rejected;
    // As exec() would: a fresh result, the dialog shown (its show handlers
    // run), then the operator's actions, then the close.
    dialog.setResult(0);
    dialog.show();
    if (answer->DialogAction)
        answer->DialogAction(dialog);
    if (dialog.isVisible())
        dialog.done(answer->DialogResult);
    return dialog.result();
}

bool TRefusingInteraction::ShowMessage(TMessageKind kind, const QString &caption,
                                       const QString &text, QWidget *)
{
    Refuse(MessageRequest(kind, caption, text));
    return kind < mkConfirmation;
}

std::optional<TFileDialogChoice>
TRefusingInteraction::GetFileName(const TFileDialogRequest &request, QWidget *)
{
    Refuse(FileRequest(request));
    return std::nullopt;
}

bool TRefusingInteraction::SetupPrinter(QPrinter &, QWidget *)
{
    TInteractionRequest request;
    request.Kind = ikPrint;
    Refuse(request);
    return false;
}

std::optional<QColor> TRefusingInteraction::SelectColor(const QColor &initial, QWidget *)
{
    TInteractionRequest request;
    request.Kind = ikColor;
    request.Color = initial;
    Refuse(request);
    return std::nullopt;
}

int TRefusingInteraction::ExecuteDialog(QDialog &dialog)
{
    Refuse(DialogRequest(dialog));
    return QDialog::Rejected;
}
