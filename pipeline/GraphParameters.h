#pragma once
// TGraphParameters: the root of each graph kind's settings (the user's
// choices, saved in the graph settings document). The base holds the size of
// the screen image.
#include "foundation/Errors.h"
#include "foundation/RootObject.h"

#include <QDomElement>
#include <QString>
#include <cstdint>
#include <memory>

VENTREL_DECLARE_ERROR(EGraphAssignmentError, EVentrelError);

class TGraphParameters : public TObject
{
  public:
    TGraphParameters() = default; // 200 by 200

    // The class's own name, as used in messages ("TStandardGraphParameters").
    virtual QString ClassName() const { return QStringLiteral("TGraphParameters"); }
    // A new object of the same class holding a copy of this one.
    virtual std::unique_ptr<TGraphParameters> Clone() const;
    // Copies Width and Height. A graph kind's override first calls
    // CheckSameClass, then this, then copies its own fields.
    virtual void Assign(const TGraphParameters &source);
    // Reads the children "Height" and then "Width"; EConvertError when one is
    // missing or holds no integer.
    virtual void LoadFromXML(const QDomElement &element);
    // Appends "Height" and then "Width".
    virtual void SaveToXML(QDomElement &element) const;

    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t width) { FWidth = width; }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t height) { FHeight = height; }

  protected:
    // EGraphAssignmentError ("Cannot assign <source class> to <target class>")
    // unless source is of this object's own class.
    void CheckSameClass(const TGraphParameters &source) const;

  private:
    int32_t FWidth = 200;
    int32_t FHeight = 200;
};
