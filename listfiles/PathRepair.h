#pragma once

#include <QDir>
#include <QString>

// Paths as the load command builds them from the open dialog's answer.
namespace PathRepair {

// A chosen file's path from a multi-file answer: the folder, one separator, the name. A root folder
// already ends in a separator, which RemoveDoubleBackslashes then takes out again.
QString joinChosenPath(const QString& folder, const QString& name, QChar separator = QDir::separator());

}  // namespace PathRepair

// Makes every pair of adjacent separators single, left to right (a run of two or three becomes one or
// two; four become two). With '\\' a path that starts with separators is a network path and comes
// back with exactly two in front; with '/' such a path comes back with exactly one.
QString RemoveDoubleBackslashes(const QString& path, QChar separator = QDir::separator());
