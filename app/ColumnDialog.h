#pragma once

#include "core/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTreeWidget;

// Match On > Column...: the separator (Comma, Semicolon, Tab, Vertical Bar, or one typed character),
// the column (by number, named from the first item when it is a header), and a preview of the first
// items' keys as the list commands will compare them.
class ColumnDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColumnDialog(const Dialogs::ColumnRequest& request, QWidget* parent = nullptr);

    // What the dialog's controls choose now; the column is 0 (no choice) while "Other" has no
    // character typed.
    MatchOn choice() const;

private:
    char32_t separator() const;
    void chooseSeparator(const MatchOn& current);
    // Fills the column list for the separator and the header box, keeping the chosen number.
    void refillColumns();
    void refreshPreview();

    QStringList m_items;
    QComboBox* m_separator;
    QLineEdit* m_other;
    QCheckBox* m_header;
    QComboBox* m_column;
    QTreeWidget* m_preview;
    QPushButton* m_ok = nullptr;
};
