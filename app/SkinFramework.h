#pragma once

#include "app/SkinComponent.h"

#include <QString>

class QWidget;

// Our skin layer. A skin file is a Qt style sheet. Start-up drives it by member number, as a skin
// component is driven; each member is one of the calls or switches below.
class SkinFramework : public SkinComponent {
public:
    enum Member { ApplyOptions = 1, LoadSkin = 2, ApplyWindow = 3, ApplyToDialogs = 5, ApplyToThreads = 10 };
    // Bit 0 of the apply options: skin the window frame too.
    static constexpr int kSkinFrame = 1;

    // Member 2: reads the style sheet. Throws RunTimeError for a file that is not a readable,
    // non-empty UTF-8 text.
    void loadSkin(const QString& path);
    // Member 3: restyles the window.
    void applyToWindow(QWidget& window) const;

    // SkinComponent: the members by number. Member 3 takes the window as a QWidget pointer.
    QVariant invoke(int member, const QVariantList& arguments) override;
    QVariant property(int member) const override;
    void setProperty(int member, const QVariant& value) override;

private:
    QString m_styleSheet;
    // Member 1.
    int m_applyOptions = 0;
    // Member 5: the sheet also styles the dialogs the program opens later.
    bool m_applyToDialogs = false;
    // Member 10: kept for compatibility; changes nothing here.
    bool m_applyToThreads = false;
};

// Module Main's skin routine: when the skin file "x/o.cjs" lies beside the program (an ordinary,
// visible file), recolours the window with the button face and has the component skin it.
namespace Main {
void ApplySkin(class QWidget& window, SkinComponent& skin, const QString& programFolder);
}
