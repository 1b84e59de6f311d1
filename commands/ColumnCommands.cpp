#include "commands/ColumnCommands.h"

#include "core/Dialogs.h"
#include "core/WindowState.h"
#include "listops/FieldKey.h"
#include "store/CommandContext.h"
#include "store/ListPane.h"

namespace {

// The preview shows a few items, each cut to what a dialog line can show: whole texts are for the
// commands.
constexpr int kPreviewItems = 8;
constexpr qsizetype kPreviewChars = 1000;
constexpr qsizetype kNameChars = 40;
// A header item is a line of names; one longer than this is no header worth reading whole on every
// change of the pane.
constexpr qsizetype kHeaderBytes = 64 * 1024;

QString cut(QByteArrayView utf8, qsizetype chars) {
    QString text = QString::fromUtf8(utf8.first(std::min(utf8.size(), chars * 4)));
    if (text.size() > chars) {
        text.truncate(chars);
        // Never half a surrogate pair.
        if (text.back().isHighSurrogate()) text.chop(1);
        text += u'\u2026';
    }
    return text;
}

}  // namespace

namespace ColumnCommands {

void matchWholeItems(CommandContext& context, int listNumber) {
    context.window.setMatchOn(listNumber, MatchOn{});
}

bool canChooseColumn(const CommandContext& context, int listNumber) {
    return !context.window.inUse(listNumber);
}

void chooseColumn(CommandContext& context, int listNumber) {
    if (!canChooseColumn(context, listNumber)) return;
    const ListPane& pane = context.pane(listNumber);
    Dialogs::ColumnRequest request{
        QStringLiteral("Match List %1 On a Column").arg(listNumber), context.window.matchOn(listNumber), {}};
    for (int position = 1; position <= std::min(pane.count(), kPreviewItems); ++position)
        request.firstItems.append(cut(pane.text(position), kPreviewChars));
    if (const std::optional<MatchOn> chosen = context.dialogs.chooseColumn(request))
        context.window.setMatchOn(listNumber, *chosen);
}

QString headerNote(const CommandContext& context, int listNumber) {
    const MatchOn& on = context.window.matchOn(listNumber);
    if (on.wholeItem()) return {};
    QString note = QStringLiteral("column %1").arg(on.column);
    const ListPane& pane = context.pane(listNumber);
    if (on.header && pane.count() > 0) {
        const QByteArrayView header = pane.text(1);
        const QByteArray name = FieldKey(on).of(header.first(std::min(header.size(), kHeaderBytes)));
        if (!name.isEmpty()) note += QStringLiteral(", ") + cut(name, kNameChars);
    }
    return note;
}

}  // namespace ColumnCommands
