#include "core/MainModule.h"

#include "core/Services.h"

#include <QDir>
#include <QFileInfo>

namespace Main {

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

QString AppTitleFor(const QString& displayName) {
    constexpr qsizetype kMaxTitle = 40;
    QString title = displayName;
    do {
        const qsizetype space = title.lastIndexOf(u' ');
        // A one-word name has nothing to cut at; its first 40 characters stand for it.
        if (space < 0) return title.left(kMaxTitle);
        title.truncate(space);
    } while (title.size() > kMaxTitle);
    return title;
}

int VisitHomePageAtRandom(const Clock& clock, RandomSource& random, HomePageLauncher& launcher) {
    random.seed(clock.secondsSinceMidnight());
    const int n = int(random.next() * 100) + 1;
    if (n == 7) launcher.open(QUrl(QString::fromLatin1(kHomePage)));
    return n;
}

QString besideProgram(const QString& programFolder, const QString& relative) {
    return programFolder + QDir::separator() + QDir::toNativeSeparators(relative);
}

}  // namespace Main
