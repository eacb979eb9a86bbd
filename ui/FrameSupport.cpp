#include "ui/FrameSupport.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
// Room on each side of a button caption for the bevel and a little air.
constexpr int ButtonCaptionPadding = 6;
} // namespace

QColor ButtonFaceColor()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void SetEditColor(QLineEdit &edit, const QColor &color)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::All, QPalette::Base, color);
    edit.setPalette(palette);
}

QColor EditColor(const QLineEdit &edit)
{
    return edit.palette().color(QPalette::Active, QPalette::Base);
}

void FitButtonToCaption(QPushButton &button)
{
    const int caption = button.fontMetrics().horizontalAdvance(button.text());
    button.setMinimumWidth(caption + 2 * ButtonCaptionPadding);
}

QFont TitleFont(const QFont &base)
{
    QFont font = base;
    font.setBold(true);
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() * 5 / 4);
    else
        font.setPointSizeF(font.pointSizeF() * 1.25);
    return font;
}

QHBoxLayout *NewOkCancelRow(QDialog &dialog, QPushButton *&ok, QPushButton *&cancel)
{
    ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QWidget *NewPage(QStackedWidget &pages, const char *name)
{
    auto *page = new QWidget(&pages);
    page->setObjectName(QString::fromLatin1(name));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pages.addWidget(page);
    return page;
}
