#pragma once

#include <QString>

// Message box texts cut to a size that always fits on the screen, however long the names in them:
// a box taller or wider than the screen would hide its buttons.
namespace MessageText {
// The longest run without a space kept whole; a longer one (a path, a list of names) loses its middle.
inline constexpr int kMaxWord = 80;
// Lines and characters kept in all; the rest gives way to an ellipsis.
inline constexpr int kMaxLines = 20;
inline constexpr int kMaxChars = 1500;

QString bounded(const QString& text);
}  // namespace MessageText
