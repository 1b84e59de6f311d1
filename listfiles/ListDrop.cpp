#include "listfiles/ListDrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

ListDrop::Kind ListDrop::kindOf(const QMimeData& data) {
    if (data.hasUrls()) {
        const QList<QUrl> urls = data.urls();
        // A file manager offers its files' names as text too; a web page's link must not load as text.
        // A folder is no list: refused at the drag, before the pane shows that it would take it.
        const auto isLocalNonFolder = [](const QUrl& url) {
            return url.isLocalFile() && !QFileInfo(url.toLocalFile()).isDir();
        };
        if (!urls.isEmpty())
            return std::all_of(urls.cbegin(), urls.cend(), isLocalNonFolder) ? Kind::Files : Kind::Refused;
    }
    return data.hasText() ? Kind::Text : Kind::Refused;
}

ListDrop ListDrop::take(const QMimeData& data) {
    ListDrop drop;
    drop.kind = kindOf(data);
    if (drop.kind == Kind::Files) {
        const QList<QUrl> urls = data.urls();
        for (const QUrl& url : urls) drop.paths.append(url.toLocalFile());
    } else if (drop.kind == Kind::Text) {
        drop.text = data.text();
    }
    return drop;
}
