#include "pipeline/GraphParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <typeinfo>

std::unique_ptr<TGraphParameters> TGraphParameters::Clone() const
{
    auto copy = std::make_unique<TGraphParameters>();
    copy->Assign(*this);
    return copy;
}

void TGraphParameters::Assign(const TGraphParameters &source)
{
    FWidth = source.FWidth;
    FHeight = source.FHeight;
}

void TGraphParameters::CheckSameClass(const TGraphParameters &source) const
{
    if (typeid(source) != typeid(*this))
        throw EGraphAssignmentError(QStringLiteral("Cannot assign ") + source.ClassName() +
                                    QStringLiteral(" to ") + ClassName());
}

void TGraphParameters::LoadFromXML(const QDomElement &element)
{
    FHeight = StrToInt32(element.firstChildElement(QStringLiteral("Height")).text());
    FWidth = StrToInt32(element.firstChildElement(QStringLiteral("Width")).text());
}

void TGraphParameters::SaveToXML(QDomElement &element) const
{
    AddChildElement(element, QStringLiteral("Height"), QString::number(FHeight));
    AddChildElement(element, QStringLiteral("Width"), QString::number(FWidth));
}
