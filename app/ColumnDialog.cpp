#include "app/ColumnDialog.h"

#include "listops/FieldKey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct Separator {
    const char* name;
    char32_t character;
};
constexpr Separator kSeparators[] = {
    {"Comma", U','}, {"Semicolon", U';'}, {"Tab", U'\t'}, {"Vertical Bar", U'|'}};
constexpr int kOther = std::size(kSeparators);
// Columns offered beyond what the first items hold: none; a list wider than this is rare.
constexpr int kMaxColumns = 200;
constexpr qsizetype kShownChars = 60;

QString shown(const QString& text) {
    QString line = text;
    line.replace(u'\t', u' ');
    if (line.size() <= kShownChars) return line;
    line.truncate(kShownChars);
    if (line.back().isHighSurrogate()) line.chop(1);
    return line + u'\u2026';
}

QString field(const QString& item, const MatchOn& on) {
    return QString::fromUtf8(FieldKey(on).of(item.toUtf8()));
}

// How many columns `item` has: one field more with a marker after it puts the marker in the column
// after its last.
int columnsOf(const QString& item, char32_t separator) {
    const QString marker = QStringLiteral("\u0001");
    const QString marked = item + QString::fromUcs4(&separator, 1) + marker;
    for (int column = 1; column <= kMaxColumns; ++column)
        if (field(marked, MatchOn{column, separator, false}) == marker) return column - 1;
    return 1;  // an open quote takes the rest of the item
}

}  // namespace

ColumnDialog::ColumnDialog(const Dialogs::ColumnRequest& request, QWidget* parent)
    : QDialog(parent),
      m_items(request.firstItems),
      m_separator(new QComboBox(this)),
      m_other(new QLineEdit(this)),
      m_header(new QCheckBox(QStringLiteral("The first item is a &header"), this)),
      m_column(new QComboBox(this)),
      m_preview(new QTreeWidget(this)) {
    setWindowTitle(request.title);
    setObjectName(QStringLiteral("columnDialog"));
    m_separator->setObjectName(QStringLiteral("separator"));
    for (const Separator& s : kSeparators) m_separator->addItem(QString::fromLatin1(s.name));
    m_separator->addItem(QStringLiteral("Other:"));
    m_separator->setAccessibleName(QStringLiteral("Separator"));
    m_other->setObjectName(QStringLiteral("otherSeparator"));
    m_other->setAccessibleName(QStringLiteral("Other separator"));
    m_other->setMaxLength(2);  // one character, also one outside the BMP
    m_other->setMaximumWidth(m_other->fontMetrics().horizontalAdvance(QStringLiteral("MMMM")) + 12);
    m_header->setObjectName(QStringLiteral("header"));
    m_column->setObjectName(QStringLiteral("column"));
    m_column->setAccessibleName(QStringLiteral("Column"));
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setAccessibleName(QStringLiteral("Preview"));
    m_preview->setRootIsDecorated(false);
    m_preview->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Compared as")});
    m_preview->header()->setSectionResizeMode(QHeaderView::Stretch);

    auto* separatorRow = new QHBoxLayout;
    separatorRow->addWidget(m_separator);
    separatorRow->addWidget(m_other);
    auto* form = new QFormLayout;
    auto* separatorLabel = new QLabel(QStringLiteral("&Separator:"), this);
    separatorLabel->setBuddy(m_separator);
    form->addRow(separatorLabel, separatorRow);
    form->addRow(QString(), m_header);
    auto* columnLabel = new QLabel(QStringLiteral("&Column:"), this);
    columnLabel->setBuddy(m_column);
    form->addRow(columnLabel, m_column);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Preview:"), this));
    layout->addWidget(m_preview);
    layout->addWidget(buttons);

    chooseSeparator(request.current);
    m_header->setChecked(request.current.header);
    refillColumns();
    if (request.current.column > 0)
        m_column->setCurrentIndex(std::min(request.current.column, m_column->count()) - 1);
    refreshPreview();
    connect(m_separator, &QComboBox::currentIndexChanged, this, [this] {
        m_other->setEnabled(m_separator->currentIndex() == kOther);
        if (m_other->isEnabled()) m_other->setFocus();
        refillColumns();
    });
    connect(m_other, &QLineEdit::textChanged, this, &ColumnDialog::refillColumns);
    connect(m_header, &QCheckBox::toggled, this, &ColumnDialog::refillColumns);
    connect(m_column, &QComboBox::currentIndexChanged, this, &ColumnDialog::refreshPreview);
    resize(520, 360);
}

MatchOn ColumnDialog::choice() const {
    const char32_t c = separator();
    if (c == 0) return MatchOn{0, U',', m_header->isChecked()};
    return MatchOn{m_column->currentIndex() + 1, c, m_header->isChecked()};
}

char32_t ColumnDialog::separator() const {
    const int index = m_separator->currentIndex();
    if (index < kOther) return kSeparators[index].character;
    const QList<uint> typed = m_other->text().toUcs4();
    return typed.size() == 1 ? char32_t(typed.front()) : 0;
}

// The current choice, or for a pane matched on whole items the first of tab, comma, semicolon and
// vertical bar that its first item holds: what an export most likely uses.
void ColumnDialog::chooseSeparator(const MatchOn& current) {
    char32_t wanted = current.column > 0 ? current.separator : U',';
    if (current.column == 0 && !m_items.isEmpty()) {
        for (char32_t c : {U'\t', U',', U';', U'|'})
            if (m_items.front().contains(QChar(c))) {
                wanted = c;
                break;
            }
    }
    int index = kOther;
    for (int s = 0; s < kOther; ++s)
        if (kSeparators[s].character == wanted) index = s;
    if (index == kOther) m_other->setText(QString::fromUcs4(&wanted, 1));
    m_separator->setCurrentIndex(index);
    m_other->setEnabled(index == kOther);
}

void ColumnDialog::refillColumns() {
    const int chosen = std::max(1, m_column->currentIndex() + 1);
    const char32_t c = separator();
    // As many columns as the widest of the first items, and at least the one chosen.
    int columns = chosen;
    if (c != 0)
        for (const QString& item : std::as_const(m_items)) columns = std::max(columns, columnsOf(item, c));
    const QSignalBlocker quiet(m_column);
    m_column->clear();
    for (int column = 1; column <= columns; ++column) {
        // The first item's field names the column: its header, or an example.
        const QString sample =
            m_items.isEmpty() || c == 0 ? QString() : field(m_items.front(), MatchOn{column, c, false});
        m_column->addItem(sample.isEmpty() ? QString::number(column)
                                           : QStringLiteral("%1: %2").arg(column).arg(shown(sample)));
    }
    m_column->setCurrentIndex(chosen - 1);
    m_ok->setEnabled(c != 0);
    refreshPreview();
}

void ColumnDialog::refreshPreview() {
    m_preview->clear();
    const MatchOn on = choice();
    for (int k = 0; k < m_items.size(); ++k) {
        const QString& item = m_items[k];
        QString key;
        if (k == 0 && on.header)
            key = QStringLiteral("(header: not compared)");
        else if (on.column > 0)
            key = field(item, on);
        new QTreeWidgetItem(m_preview, {shown(item), shown(key)});
    }
}
