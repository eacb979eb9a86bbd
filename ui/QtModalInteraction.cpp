#include "ui/QtModalInteraction.h"

#include "ui/FileDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {
QWidget *DialogParent(QWidget *parent)
{
    if (parent)
        return parent->window();
    return QApplication::activeWindow();
}
} // namespace

bool TQtModalInteraction::ShowMessage(TMessageKind kind, const QString &caption,
                                      const QString &text, QWidget *parent)
{
    QMessageBox box(DialogParent(parent));
    box.setText(text);
    switch (kind) {
    case mkError:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(caption.isEmpty() ? QStringLiteral("Error") : caption);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case mkInformation:
        box.setIcon(QMessageBox::NoIcon);
        box.setWindowTitle(caption.isEmpty() ? QApplication::applicationName() : caption);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case mkConfirmation:
    case mkQuestion:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(caption.isEmpty() ? QStringLiteral("Confirm") : caption);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(kind == mkQuestion ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
    box.exec();
    return true;
}

std::optional<TFileDialogChoice> TQtModalInteraction::GetFileName(const TFileDialogRequest &request,
                                                                  QWidget *parent)
{
    QFileDialog dialog(DialogParent(parent));
    if (!request.Title.isEmpty())
        dialog.setWindowTitle(request.Title);
    const QStringList filters = FilterToNameFilters(request.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[request.FilterIndex - 1]);
    }
    // The default extension, the existence check and the overwrite prompt are
    // applied by the dialog objects after this returns.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (request.Kind == fdSave) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    const qsizetype filter = filters.indexOf(dialog.selectedNameFilter());
    return TFileDialogChoice{chosen.first(), filter < 0 ? 1 : int32_t(filter + 1)};
}

bool TQtModalInteraction::SetupPrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, DialogParent(parent));
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QColor> TQtModalInteraction::SelectColor(const QColor &initial, QWidget *parent)
{
    const QColor chosen = QColorDialog::getColor(initial, DialogParent(parent));
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

int TQtModalInteraction::ExecuteDialog(QDialog &dialog)
{
    return dialog.exec();
}
