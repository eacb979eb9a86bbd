#include "ui/FileDialogs.h"

#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>

namespace {
void AddPatterns(QStringList &patterns, const QString &text)
{
    static const QRegularExpression Separators(QStringLiteral("[;\\s]+"));
    for (QString pattern : text.split(Separators, Qt::SkipEmptyParts)) {
        // "*.*" meant every file on the system the pairs come from.
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        if (!patterns.contains(pattern))
            patterns.append(pattern);
    }
}

QString FilePart(const QString &path)
{
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}
} // namespace

QStringList FilterToNameFilters(const QString &filter)
{
    static const QRegularExpression TrailingGroup(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    QStringList result;
    if (filter.trimmed().isEmpty())
        return result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString field = i + 1 < parts.size() ? parts[i + 1] : QStringLiteral("*");
        QStringList patterns;
        const QRegularExpressionMatch group = TrailingGroup.match(description);
        if (group.hasMatch()) {
            AddPatterns(patterns, group.captured(1));
            description = description.left(group.capturedStart()).trimmed();
        }
        AddPatterns(patterns, field);
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        if (description.isEmpty())
            description = field.trimmed();
        result.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    return result;
}

QString AddDefaultExt(const QString &path, const QString &defaultExt)
{
    if (defaultExt.isEmpty() || path.isEmpty())
        return path;
    const QString file = FilePart(path);
    if (file.isEmpty() || file.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + defaultExt;
}

QString FilterExtension(const QString &filter, int32_t index)
{
    static const QRegularExpression Separators(QStringLiteral("[;\\s]+"));
    static const QRegularExpression OneExtension(QStringLiteral("^\\*\\.([^*?.]+)$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    const qsizetype field = 2 * qsizetype(index) - 1;
    if (index < 1 || field >= parts.size())
        return QString();
    const QString first = parts[field].section(Separators, 0, 0, QString::SectionSkipEmpty);
    const QRegularExpressionMatch match = OneExtension.match(first);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

void TFileDialog::SetDefaultExt(const QString &value)
{
    FDefaultExt = value.startsWith(QLatin1Char('.')) ? value.mid(1) : value;
}

TFileDialogRequest TFileDialog::Request(TFileDialogKind kind) const
{
    TFileDialogRequest request;
    request.Kind = kind;
    request.Title = FTitle;
    request.Filter = FFilter;
    request.DefaultExt = FDefaultExt;
    request.FileName = FFileName;
    request.FilterIndex = FFilterIndex;
    return request;
}

QString TFileDialog::ExtensionFor(const TFileDialogChoice &choice) const
{
    const QString extension = FilterExtension(Filter(), choice.FilterIndex);
    return extension.isEmpty() ? DefaultExt() : extension;
}

bool TOpenDialog::Execute(QWidget *parent)
{
    TFileDialogRequest request = Request(fdOpen);
    for (;;) {
        const std::optional<TFileDialogChoice> choice =
            ModalInteraction().GetFileName(request, parent);
        if (!choice || choice->FileName.isEmpty())
            return false;
        const QString &typed = choice->FileName;
        QString path = typed;
        // A name typed without extension means the file with the default
        // extension, unless a file of exactly that name exists.
        if (!QFileInfo::exists(path))
            path = AddDefaultExt(path, ExtensionFor(*choice));
        if (FFileMustExist && !QFileInfo(path).isFile()) {
            ModalInteraction().ShowMessage(
                mkError, Title(),
                typed + QStringLiteral("\nFile not found.\nCheck the file name and try again."),
                parent);
            request.FileName = typed;
            request.FilterIndex = choice->FilterIndex;
            continue;
        }
        FFileName = path;
        FFilterIndex = choice->FilterIndex;
        return true;
    }
}

bool TSaveDialog::Execute(QWidget *parent)
{
    TFileDialogRequest request = Request(fdSave);
    for (;;) {
        const std::optional<TFileDialogChoice> choice =
            ModalInteraction().GetFileName(request, parent);
        if (!choice || choice->FileName.isEmpty())
            return false;
        const QString path = AddDefaultExt(choice->FileName, ExtensionFor(*choice));
        if (FOverwritePrompt && QFileInfo::exists(path) &&
            !ModalInteraction().ShowMessage(
                mkConfirmation, Title(),
                path + QStringLiteral(" already exists.\nDo you want to replace it?"), parent)) {
            request.FileName = path;
            request.FilterIndex = choice->FilterIndex;
            continue;
        }
        FFileName = path;
        FFilterIndex = choice->FilterIndex;
        return true;
    }
}

TPrintDialog::TPrintDialog() : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TPrintDialog::~TPrintDialog() = default;

QPrinter *TPrintDialog::Execute(QWidget *parent)
{
    if (!ModalInteraction().SetupPrinter(*FPrinter, parent))
        return nullptr;
    return FPrinter.get();
}
