#pragma once

#include "core/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

// Dialogs for tests: answers come from queues, and everything shown is recorded.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };
    struct Input {
        QString prompt;
        QString title;
    };

    // Queued answers; when a queue is empty a message answers Ok (Yes for Yes/No, Close for
    // Close/Cancel), an input box
    // answers "" (Cancel) and a file dialog answers no file (Cancel).
    QQueue<Answer> answers;
    QQueue<QString> inputs;
    QQueue<QStringList> files;
    // The column dialog's answers; an empty queue answers Cancel.
    QQueue<MatchOn> columns;

    // Recorded.
    QList<Message> messages;
    QList<Input> inputBoxes;
    QList<FileRequest> fileRequests;
    QList<ColumnRequest> columnRequests;

    // Runs while a box is "open", e.g. to check the pointer at that moment.
    std::function<void(const Message&)> onMessage;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    QString input(const QString& prompt, const QString& title) override;
    QStringList chooseFiles(const FileRequest& request) override;
    std::optional<MatchOn> chooseColumn(const ColumnRequest& request) override;

    // Texts of the messages shown, in order.
    QStringList messageTexts() const;
    // The messages titled "Application Error".
    QStringList errorReports() const;
};
