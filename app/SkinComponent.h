#pragma once

#include <QVariant>
#include <QVariantList>

// A skin component driven by member number, as start-up drives it: 2 loads a skin file, 1 holds
// apply options, 5 and 10 are switches, 3 applies the loaded skin to a window given by handle.
class SkinComponent {
public:
    virtual ~SkinComponent() = default;
    virtual QVariant invoke(int member, const QVariantList& arguments) = 0;
    virtual QVariant property(int member) const = 0;
    virtual void setProperty(int member, const QVariant& value) = 0;
};
