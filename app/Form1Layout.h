#pragma once

#include <QRect>
#include <QString>

#include <array>

// The controls of the main window in tab order, with their places in twips (15 to a pixel).
namespace Form1Layout {

inline constexpr int kTwipsPerPixel = 15;
// Twips to the nearest logical pixel.
constexpr int pixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline constexpr int kClientWidth = 15960 / kTwipsPerPixel;
inline constexpr int kClientHeight = 7335 / kTwipsPerPixel;

struct Control {
    const char* name;
    const char* caption;
    int left, top, width, height;

    QRect pixels() const {
        return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                     height / kTwipsPerPixel);
    }
};

inline constexpr std::array<Control, 25> kControls{{
    {"ProgressBar1", "", 120, 6810, 15720, 405},
    {"ListView1", "List 1:", 120, 90, 7800, 2055},
    {"PushButton3", "Load Data From File", 120, 2220, 3840, 405},
    {"PushButton20", "Save Data To File", 4080, 2220, 3840, 405},
    {"PushButton1", "Clear List", 120, 2730, 3840, 405},
    {"PushButton17", "Remove List 1 Items With...", 120, 3240, 7800, 405},
    {"PushButton16", "Remove List 1 Items Without...", 120, 3750, 7800, 405},
    {"PushButton18", "Remove Blanks From List 1", 120, 4260, 7800, 405},
    {"PushButton19", "Remove Matches (List 2 From List 1)", 120, 4770, 7800, 405},
    {"PushButton15", "Keep Only Matches in List 2", 120, 5280, 7800, 405},
    {"PushButton4", "Remove List 1 Dupes Except First Occurrence", 120, 5790, 7800, 405},
    {"PushButton7", "Remove All List 1 Dupes (All Occurrences)", 120, 6300, 7800, 405},
    {"ListView2", "List 2:", 8040, 90, 7800, 2055},
    {"PushButton14", "Load Data From File", 8040, 2220, 3840, 405},
    {"PushButton13", "Save Data To File", 12000, 2220, 3840, 405},
    {"PushButton2", "Clear List", 8040, 2730, 3840, 405},
    {"PushButton10", "Remove List 2 Items With...", 8040, 3240, 7800, 405},
    {"PushButton9", "Remove List 2 Items Without...", 8040, 3750, 7800, 405},
    {"PushButton11", "Remove Blanks From List 2", 8040, 4260, 7800, 405},
    {"PushButton12", "Remove Matches (List 1 From List 2)", 8040, 4770, 7800, 405},
    {"PushButton8", "Keep Only Matches in List 1", 8040, 5280, 7800, 405},
    {"PushButton5", "Remove List 2 Dupes Except First Occurrence", 8040, 5790, 7800, 405},
    {"PushButton6", "Remove All List 2 Dupes (All Occurrences)", 8040, 6300, 7800, 405},
    {"PushButton21", "Load Sample/Example Data", 4080, 2730, 3840, 405},
    {"PushButton22", "Load Sample/Example Data", 12000, 2730, 3840, 405},
}};

}  // namespace Form1Layout
