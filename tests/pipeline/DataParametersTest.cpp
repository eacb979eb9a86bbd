#include "pipeline/DataParameters.h"

#include "foundation/LocalUtilities.h"
#include "support/TestSupport.h"

#include <QDomDocument>
#include <gtest/gtest.h>

TEST(DataParameters, XmlStorage)
{
    LocaleGuard guard("de_DE.UTF-8");
    TDataParameters saved;
    saved.Configuration().ParseConfiguration("1RP:TT_PUVVFFB");
    saved.SetLaunchElevation(123.25);
    QDomDocument doc;
    QDomElement root = doc.createElement("DataParameters");
    doc.appendChild(root);
    saved.SaveToXml(root);
    EXPECT_EQ(root.firstChildElement("Elevation").text(), "123,25");

    TDataParameters loaded;
    loaded.LoadFromXml(root);
    EXPECT_EQ(loaded.Configuration().ConfigurationString(), "1RP:_TT_P_UVVFFB");
    EXPECT_NEAR(loaded.LaunchElevation(), 123.25, 1e-12);

    // Without an elevation the configuration is read and the conversion fails.
    QDomElement partial = doc.createElement("DataParameters");
    QDomElement kestrin = AddChildElement(partial, "Kestrin");
    AddChildElement(kestrin, "Configuration", "1ER:TUF");
    EXPECT_THROW(loaded.LoadFromXml(partial), EConvertError);
    EXPECT_EQ(loaded.Configuration().ConfigurationString(), "1ER:_T_UF");

    AddChildElement(partial, "Elevation", "5");
    kestrin.firstChildElement().firstChild().setNodeValue("1XR:TUF");
    EXPECT_THROW(loaded.LoadFromXml(partial), EKestrinConfigStringError);
}
