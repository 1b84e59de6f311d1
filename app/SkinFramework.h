#pragma once

#include "app/SkinComponent.h"

#include <QString>

// Our skin layer. A skin file is a Qt style sheet: member 2 loads it, member 3 restyles the window
// whose handle it is given. Member 1 holds apply options (bit 0: skin the window frame too),
// member 5 also skins the dialogs the program opens later, member 10 is kept for compatibility.
class SkinFramework : public SkinComponent {
public:
    enum Member { ApplyOptions = 1, LoadSkin = 2, ApplyWindow = 3, ApplyToDialogs = 5, ApplyToThreads = 10 };

    QVariant invoke(int member, const QVariantList& arguments) override;
    QVariant property(int member) const override;
    void setProperty(int member, const QVariant& value) override;

    const QString& styleSheet() const { return m_styleSheet; }

private:
    void load(const QString& path);
    void applyToWindow(quintptr handle) const;

    QString m_styleSheet;
    int m_applyOptions = 0;
    bool m_applyToDialogs = false;
    bool m_applyToThreads = false;
};

// Module Main's skin routine: when the skin file "x/o.cjs" lies beside the program (an ordinary,
// visible file), recolours the window with the button face and has the component skin it.
namespace Main {
void ApplySkin(class QWidget& window, SkinComponent& skin, const QString& programFolder);
}
