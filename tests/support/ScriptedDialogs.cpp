#include "support/ScriptedDialogs.h"

Dialogs::Answer ScriptedDialogs::message(const QString& text, const QString& title, Buttons buttons,
                                         Icon icon) {
    messages.append({text, title, buttons, icon});
    if (onMessage) onMessage(messages.last());
    if (!answers.isEmpty()) return answers.dequeue();
    if (buttons == Buttons::SaveCloseCancel) return Answer::Close;
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString ScriptedDialogs::input(const QString& prompt, const QString& title) {
    inputBoxes.append({prompt, title});
    return inputs.isEmpty() ? QString() : inputs.dequeue();
}

QStringList ScriptedDialogs::chooseFiles(const FileRequest& request) {
    fileRequests.append(request);
    return files.isEmpty() ? QStringList() : files.dequeue();
}

std::optional<MatchOn> ScriptedDialogs::chooseColumn(const ColumnRequest& request) {
    columnRequests.append(request);
    if (columns.isEmpty()) return std::nullopt;
    return columns.dequeue();
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList result;
    for (const Message& m : messages) result.append(m.text);
    return result;
}

QStringList ScriptedDialogs::errorReports() const {
    QStringList result;
    for (const Message& m : messages)
        if (m.title == QStringLiteral("Application Error")) result.append(m.text);
    return result;
}
