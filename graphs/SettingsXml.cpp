#include "graphs/SettingsXml.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <QStringList>

namespace {

QString DocumentPath(const QDomElement &element)
{
    QStringList names;
    for (QDomNode node = element; !node.isNull() && node.isElement(); node = node.parentNode())
        names.prepend(node.toElement().tagName());
    return names.join(QLatin1Char('/'));
}

} // namespace

TXmlReader::TXmlReader(const QDomElement &element) : FElement(element), FPath(DocumentPath(element))
{
}

TXmlReader::TXmlReader(QDomElement element, QString path)
    : FElement(std::move(element)), FPath(std::move(path))
{
}

TXmlReader TXmlReader::Child(const QString &name) const
{
    return TXmlReader(FElement.firstChildElement(name),
                      FPath.isEmpty() ? name : FPath + QLatin1Char('/') + name);
}

std::vector<TXmlReader> TXmlReader::ChildrenByPosition(int32_t count,
                                                       const QString &childName) const
{
    std::vector<TXmlReader> children;
    for (QDomElement child = FElement.firstChildElement();
         !child.isNull() && int32_t(children.size()) < count; child = child.nextSiblingElement())
        children.push_back(TXmlReader(
            child,
            QStringLiteral("%1/%2[%3]").arg(FPath, child.tagName()).arg(children.size() + 1)));
    if (FElement.isNull())
        throw EListIndexError(QStringLiteral("%1 is missing; it must hold %2 \"%3\" elements")
                                  .arg(FPath)
                                  .arg(count)
                                  .arg(childName));
    if (int32_t(children.size()) < count)
        throw EListIndexError(
            QStringLiteral("%1 holds %2 elements; it must hold %3 \"%4\" elements")
                .arg(FPath)
                .arg(children.size())
                .arg(count)
                .arg(childName));
    return children;
}

double TXmlReader::Double(const QString &name) const
{
    const TXmlReader child = Child(name);
    try {
        return StrToFloatSystem(child.FElement.text());
    } catch (const EConvertError &e) {
        throw EConvertError(child.FPath + QStringLiteral(": ") + e.Message());
    }
}

int32_t TXmlReader::Integer(const QString &name) const
{
    const TXmlReader child = Child(name);
    try {
        return StrToInt32(child.FElement.text());
    } catch (const EConvertError &e) {
        throw EConvertError(child.FPath + QStringLiteral(": ") + e.Message());
    }
}

bool TXmlReader::Boolean(const QString &name) const
{
    const TXmlReader child = Child(name);
    try {
        return StrToBool(child.FElement.text());
    } catch (const EConvertError &e) {
        throw EConvertError(child.FPath + QStringLiteral(": ") + e.Message());
    }
}

void AddXmlDouble(QDomElement &parent, const QString &name, double value)
{
    AddChildElement(parent, name, FormatGeneral(value, 15));
}
