#pragma once

#include "core/MatchOn.h"

#include <QString>
#include <QStringList>

#include <optional>

// Everything that waits for a person goes through this interface, so tests can script it.
class Dialogs {
public:
    enum class Buttons { Ok, YesNo, SaveCloseCancel };
    enum class Icon { None, Warning };
    enum class Answer { Ok, Yes, No, Save, Close, Cancel };

    struct FileRequest {
        enum class Mode { Open, Save };
        Mode mode = Mode::Open;
        QString title;
        // Filter in the "Description|pattern|Description|pattern|" form of the common dialog.
        QString filter;
        bool multiSelect = false;
        // Save mode: whether the dialog itself asks before replacing a file, and the extension it adds
        // to a name typed without one (none when empty).
        bool confirmOverwrite = false;
        QString defaultSuffix;
    };

    // The column dialog of a pane: what it starts from, and the pane's first items for its preview.
    struct ColumnRequest {
        QString title;
        MatchOn current;
        QStringList firstItems;
    };

    virtual ~Dialogs() = default;

    // A modal message box; Yes is the default button of a Yes/No box, Cancel (also Escape) of a
    // Save/Close/Cancel box.
    virtual Answer message(const QString& text, const QString& title, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None) = 0;
    // An input box with OK and Cancel and no default text; Cancel answers the empty text.
    virtual QString input(const QString& prompt, const QString& title) = 0;
    // A file dialog; answers the chosen absolute paths in the dialog's order, none on Cancel.
    virtual QStringList chooseFiles(const FileRequest& request) = 0;
    // Which column of the pane's items the list commands compare; nothing on Cancel.
    virtual std::optional<MatchOn> chooseColumn(const ColumnRequest& request) = 0;
};
