#pragma once
// Reading and writing the values of the graph settings elements. A reader
// stands for an element of a settings document, or for one the document
// lacks, together with its path ("KestrinGraphs/StandardGraph/PressureAxis"),
// so that a broken file says where it is broken. A missing element reads as
// an empty text and fails where its value is converted.
#include "foundation/Errors.h"

#include <QDomElement>
#include <QString>
#include <cstdint>
#include <vector>

class TXmlReader
{
  public:
    // The path is that of the element in its document.
    explicit TXmlReader(const QDomElement &element);

    const QDomElement &Element() const { return FElement; }
    const QString &Path() const { return FPath; }

    // The first child of that name, or a missing one.
    TXmlReader Child(const QString &name) const;
    // The first `count` child elements, whatever their names, with paths such
    // as ".../SeriesGroup/Series[10]"; EListIndexError
    // naming this element and the expected children when there are fewer or
    // the element is missing.
    std::vector<TXmlReader> ChildrenByPosition(int32_t count, const QString &childName) const;

    // The value of the named child; EConvertError naming the child's path
    // when it is missing or does not hold such a value.
    double Double(const QString &name) const;
    int32_t Integer(const QString &name) const;
    bool Boolean(const QString &name) const;

  private:
    TXmlReader(QDomElement element, QString path);

    QDomElement FElement;
    QString FPath;
};

// Runs read() and puts the reader's path in front of the message of a
// conversion error it raises.
template <class TRead> void ReadAt(const TXmlReader &reader, TRead read)
{
    try {
        read();
    } catch (const EConvertError &e) {
        throw EConvertError(reader.Path() + QStringLiteral(": ") + e.Message());
    }
}

// A double as graph settings store it: general format, 15 significant digits,
// in the system number format.
void AddXmlDouble(QDomElement &parent, const QString &name, double value);
