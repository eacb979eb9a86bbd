#include "pipeline/DataParameters.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

void TDataParameters::SaveToXml(QDomElement &element) const
{
    QDomElement kestrin = AddChildElement(element, QStringLiteral("Kestrin"));
    FConfiguration.SaveConfigurationToXml(kestrin);
    AddChildElement(element, QStringLiteral("Elevation"), FormatGeneral(FLaunchElevation, 15));
}

void TDataParameters::LoadFromXml(const QDomElement &element)
{
    FConfiguration.LoadConfigurationFromXml(element.firstChildElement(QStringLiteral("Kestrin")));
    FLaunchElevation =
        StrToFloatSystem(element.firstChildElement(QStringLiteral("Elevation")).text());
}
