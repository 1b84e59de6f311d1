#pragma once

#include <QString>
#include <QUrl>

class Clock;
class HomePageLauncher;
class RandomSource;

// Start-up routines of module Main.
namespace Main {

inline constexpr const char* kProductDisplayName = "Brindlewick";
// The home page is written once, in the top-level CMakeLists.txt, which also puts it in the metainfo
// and the package.
inline constexpr const char* kHomePage = BRINDLEWICK_HOME_PAGE;

// True when the path's modification time can be read; never raises and never shows anything.
bool FileExists(const QString& path);

// The application title made from a display name: cut back at the last space until it is at most
// 40 characters long; a name without a space is cut to its first 40 characters.
QString AppTitleFor(const QString& displayName);

// Draws n in 1..100 from a source seeded with the clock; a 7 hands the home page to the desktop.
// Returns the draw.
int VisitHomePageAtRandom(const Clock& clock, RandomSource& random, HomePageLauncher& launcher);

// A file beside the program: the folder, the platform's separator, then `relative` (written with
// '/' and turned into the platform's separators).
QString besideProgram(const QString& programFolder, const QString& relative);

}  // namespace Main
