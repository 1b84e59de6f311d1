#include "app/ColumnDialog.h"
#include "app/MessageText.h"
#include "app/QtDialogs.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {
// Acts on the modal dialog as soon as it is open, as a person would.
void onceOpen(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, qApp, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        act(dialog);
        // A failed check leaves the act half done: the dialog still closes.
        if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
    });
}

bool touch(const QString& path, const QByteArray& content = {}) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Closes a warning the file dialog shows over itself, so that a refused answer cannot block a test.
void dismissWarningOver(QWidget* dialog) {
    QTimer::singleShot(0, dialog, [dialog] {
        if (QWidget* warning = QApplication::activeModalWidget(); warning && warning != dialog)
            static_cast<QDialog*>(warning)->reject();
    });
}

// Waits until the dialog lists its folder's entries and has described each of them.
void waitForListing(QFileDialog* dialog, int entries) {
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(model);
    const QModelIndex root = model->index(dialog->directory().absolutePath());
    QTRY_COMPARE(model->rowCount(root), entries);
    for (int row = 0; row < entries; ++row) QTRY_VERIFY(!model->type(model->index(row, 0, root)).isEmpty());
}
}  // namespace

// The real dialogs, driven as a person would: the common dialog's filter as Qt's name filters, the
// whole of a long typed text, a typed file name taken as it is.
class QtDialogsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void turnsTheCommonFilterIntoNameFilters_data();
    void turnsTheCommonFilterIntoNameFilters();
    void inputBoxTakesTheWholeText();
    void closeQuestionDefaultsToCancel_data();
    void closeQuestionDefaultsToCancel();
    void typedNameIsUsedExactly_data();
    void typedNameIsUsedExactly();
    void takesEveryChosenFile_data();
    void takesEveryChosenFile();
    void describesFilesWithoutReadingThem();
    void boundsMessageTexts_data();
    void boundsMessageTexts();
    void messageBoxFitsTheScreen_data();
    void messageBoxFitsTheScreen();
    void columnDialogPreviewsTheKeys();
};

void QtDialogsTest::turnsTheCommonFilterIntoNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the commands' filter, ending in a separator")
        << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"
        << QStringList{"Text Files (*.txt) (*.txt)", "All Files (*.*) (*)"};
    QTest::newRow("no final separator") << "Lists|*.txt;*.csv" << QStringList{"Lists (*.txt *.csv)"};
    QTest::newRow("a description without patterns") << "Lists|*.txt|Orphan" << QStringList{"Lists (*.txt)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void QtDialogsTest::turnsTheCommonFilterIntoNameFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtDialogs::nameFilters(filter), expected);
}

void QtDialogsTest::inputBoxTakesTheWholeText() {
    const QString pasted = QString(40000, u'k') + u"z"_s;
    onceOpen([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        edit->insert(pasted);
        static_cast<QDialog*>(dialog)->accept();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.input(u"Text:"_s, u"Brindlewick"_s), pasted);
}

void QtDialogsTest::closeQuestionDefaultsToCancel_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<Dialogs::Answer>("answer");
    QTest::newRow("Enter") << int(Qt::Key_Return) << QString() << Dialogs::Answer::Cancel;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << QString() << Dialogs::Answer::Cancel;
    QTest::newRow("Close") << 0 << u"Close"_s << Dialogs::Answer::Close;
    QTest::newRow("Save") << 0 << u"Save\u2026"_s << Dialogs::Answer::Save;
}

void QtDialogsTest::closeQuestionDefaultsToCancel() {
    QFETCH(int, key);
    QFETCH(QString, pressed);
    QFETCH(Dialogs::Answer, answer);
    QStringList captions;
    onceOpen([&](QWidget* dialog) {
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) captions << button->text();
        if (key) return QTest::keyClick(dialog, Qt::Key(key));
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == pressed) button->click();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.message(u"List 1 has changes that have not been saved. Save them before closing?"_s,
                             u"Brindlewick"_s, Dialogs::Buttons::SaveCloseCancel, Dialogs::Icon::Warning),
             answer);
    captions.sort();
    QCOMPARE(captions, (QStringList{u"Cancel"_s, u"Close"_s, u"Save\u2026"_s}));
}

void QtDialogsTest::typedNameIsUsedExactly_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("answer");
    QTest::newRow("open, a double quote in the name")
        << false << u"quo\"te.txt"_s << QStringList{u"quo\"te.txt"_s};
    QTest::newRow("save, a double quote in the name")
        << true << u"quo\"te.txt"_s << QStringList{u"quo\"te.txt"_s};
    QTest::newRow("save, a new name with quotes")
        << true << u"\"new\" list.txt"_s << QStringList{u"\"new\" list.txt"_s};
    QTest::newRow("open, several quoted names") << false << u"\"te.txt\" \"quo\"te.txt\""_s << QStringList();
    QTest::newRow("open, a list of quoted names")
        << false << u"\"te.txt\" \"other.txt\""_s << QStringList{u"te.txt"_s, u"other.txt"_s};
}

void QtDialogsTest::typedNameIsUsedExactly() {
    QFETCH(bool, save);
    QFETCH(QString, typed);
    QFETCH(QStringList, answer);
    QTemporaryDir dir;
    for (const QString& name : {u"quo\"te.txt"_s, u"te.txt"_s, u"other.txt"_s})
        QVERIFY(touch(dir.filePath(name)));
    onceOpen([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        QVERIFY(dialog);
        dialog->setDirectory(dir.path());
        auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
        QVERIFY(edit);
        // Typed into the focused name box: the dialog rewrites the box from its list only without focus.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        edit->setFocus();
        QTest::keyClicks(edit, typed);
        // A name that names no file is refused with the dialog's own warning, and the dialog stays open.
        dismissWarningOver(dialog);
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) dialog->reject();
    });
    QtDialogs dialogs;
    Dialogs::FileRequest request;
    request.mode = save ? Dialogs::FileRequest::Mode::Save : Dialogs::FileRequest::Mode::Open;
    request.multiSelect = !save;
    request.filter = u"All Files (*.*)|*.*|"_s;
    QStringList expected;
    for (const QString& name : answer) expected.append(dir.filePath(name));
    // The order of several typed names is Qt's: its file list fills in the background and may
    // reorder the selection. Which files come back is ours.
    QStringList chosen = dialogs.chooseFiles(request);
    chosen.sort();
    expected.sort();
    QCOMPARE(chosen, expected);
}

void QtDialogsTest::takesEveryChosenFile_data() {
    QTest::addColumn<int>("filterEntry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("withoutDot");
    QTest::newRow("text files") << 0 << u"Text Files (*.txt)"_s << false;
    QTest::newRow("all files, a name without a dot too") << 1 << u"All Files (*.*)"_s << true;
}

// Every file selected at once: their quoted names, written into the name box, pass 32,767 characters.
void QtDialogsTest::takesEveryChosenFile() {
    QFETCH(int, filterEntry);
    QFETCH(QString, caption);
    QFETCH(bool, withoutDot);
    QTemporaryDir dir;
    QStringList expected;
    for (int i = 0; i < 200; ++i) {
        expected.append(dir.filePath(u"%1-"_s.arg(i, 3, 10, QChar(u'0')) + QString(180, u'n') + u".txt"_s));
        QVERIFY(touch(expected.last()));
    }
    QVERIFY(touch(dir.filePath(u"README"_s)));
    if (withoutDot) expected.append(dir.filePath(u"README"_s));
    onceOpen([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        QVERIFY(dialog);
        auto* filters = dialog->findChild<QComboBox*>(u"fileTypeCombo"_s);
        QVERIFY(filters);
        filters->setCurrentIndex(filterEntry);
        Q_EMIT filters->activated(filterEntry);
        QCOMPARE(filters->currentText(), caption);
        dialog->setDirectory(dir.path());
        waitForListing(dialog, int(expected.size()));
        // Chosen in the list, as with a click and Ctrl+A: the dialog writes the names into the box.
        dialog->setViewMode(QFileDialog::List);
        auto* list = dialog->findChild<QListView*>(u"listView"_s);
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        list->setFocus();
        list->selectAll();
        QVERIFY(dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->text().size() > 32767);
        dismissWarningOver(dialog);
        static_cast<QDialog*>(dialog)->accept();
    });
    QtDialogs dialogs;
    Dialogs::FileRequest request;
    request.multiSelect = true;
    request.filter = u"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"_s;
    QStringList chosen = dialogs.chooseFiles(request);
    chosen.sort();
    expected.sort();
    QCOMPARE(chosen, expected);
}

// Listing a folder, or typing a name into the box, opens no file: a read of some files never ends.
void QtDialogsTest::describesFilesWithoutReadingThem() {
    QTemporaryDir dir;
    QVERIFY(touch(dir.filePath(u"notes"_s), "plain words, no extension to tell what they are\n"));
    QVERIFY(touch(dir.filePath(u"list.txt"_s), "a\r\n"));
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(u"pipe"_s)).constData(), 0600), 0);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(watch >= 0);
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN | IN_ACCESS) >= 0);
    onceOpen([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        QVERIFY(dialog);
        dialog->setDirectory(dir.path());
        auto* edit = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
        edit->setFocus();
        // The pipe is not listed (Qt lists no special files), but a typed name is looked up.
        for (const QString& name : {u"notes"_s, u"pipe"_s}) {
            edit->clear();
            QTest::keyClicks(edit, dir.filePath(name));
        }
        waitForListing(dialog, 2);
        // Qt describes each file it lists or looks up through the dialog's icon provider, in its own
        // time: asked here for both names, so no description is still to come when the opens are read.
        const QAbstractFileIconProvider* icons = dialog->iconProvider();
        for (const QString& name : {u"notes"_s, u"pipe"_s}) {
            const QFileInfo info(dir.filePath(name));
            QVERIFY(!icons->icon(info).isNull());
            QVERIFY(!icons->type(info).isEmpty());
        }
        dialog->reject();
    });
    QtDialogs dialogs;
    Dialogs::FileRequest request;
    request.filter = u"All Files (*.*)|*.*|"_s;
    QVERIFY(dialogs.chooseFiles(request).isEmpty());
    QStringList opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && !(event->mask & IN_ISDIR))
                opened.append(QString::fromLocal8Bit(event->name));
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    close(watch);
    QCOMPARE(opened, QStringList());
}

void QtDialogsTest::boundsMessageTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("kept");
    const QString path = u"/home/user/"_s + QString(3000, u'd') + u"/list.txt"_s;
    QTest::newRow("a short text stays whole")
        << u"Are you sure you wish to overwrite /tmp/a b.txt ?"_s
        << QStringList{u"Are you sure you wish to overwrite /tmp/a b.txt ?"_s};
    QTest::newRow("a long path keeps both ends")
        << u"Are you sure you wish to overwrite "_s + path + u" ?"_s
        << QStringList{u"Are you sure you wish to overwrite /home/user/"_s, u"d/list.txt ?"_s};
    QStringList names;
    for (int i = 0; i < 3000; ++i) names.append(u"\"file%1.txt\""_s.arg(i));
    QTest::newRow("a name made of many names")
        << names.join(u' ') + u"\nFile not found."_s << QStringList{u"\"file0.txt\" \"file1.txt\""_s};
    QTest::newRow("many lines") << u"line\r\n"_s.repeated(500) + u"last"_s << QStringList{u"line\r\nline"_s};
}

void QtDialogsTest::boundsMessageTexts() {
    QFETCH(QString, text);
    QFETCH(QStringList, kept);
    const QString bounded = MessageText::bounded(text);
    QVERIFY(bounded.size() <= MessageText::kMaxChars);
    QVERIFY(bounded.count(u'\n') < MessageText::kMaxLines);
    for (const QString& word : bounded.split(QRegularExpression(u"\\s"_s)))
        QVERIFY(word.size() <= MessageText::kMaxWord);
    for (const QString& part : kept) QVERIFY2(bounded.contains(part), qPrintable(part));
    if (text.size() <= 100) QCOMPARE(bounded, text);
}

void QtDialogsTest::messageBoxFitsTheScreen_data() {
    QTest::addColumn<QString>("text");
    QStringList names;
    for (int i = 0; i < 3000; ++i) names.append(u"\"/srv/lists/%1.txt\""_s.arg(i));
    QTest::newRow("many names") << names.join(u' ') + u"\nFile not found"_s;
    QTest::newRow("one name without a space") << names.join(QString()) + u"\nFile not found"_s;
    QTest::newRow("many lines") << names.join(u'\n');
}

void QtDialogsTest::messageBoxFitsTheScreen() {
    QFETCH(QString, text);
    QRect box;
    onceOpen([&](QWidget* dialog) {
        QVERIFY(qobject_cast<QMessageBox*>(dialog));
        box = dialog->frameGeometry();
        static_cast<QDialog*>(dialog)->accept();
    });
    QtDialogs dialogs;
    dialogs.message(text, u"Brindlewick"_s, Dialogs::Buttons::Ok, Dialogs::Icon::None);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(box.height() <= screen.height() && box.width() <= screen.width(),
             qPrintable(u"%1x%2"_s.arg(box.width()).arg(box.height())));
}

void QtDialogsTest::columnDialogPreviewsTheKeys() {
    const QStringList items{"name\temail", "\"Lee, Al\"\tal@z.org", "Cy"};
    ColumnDialog dialog({"Match List 1 On a Column", MatchOn{}, items});
    auto* separator = dialog.findChild<QComboBox*>("separator");
    auto* column = dialog.findChild<QComboBox*>("column");
    auto* header = dialog.findChild<QCheckBox*>("header");
    auto* preview = dialog.findChild<QTreeWidget*>("preview");
    auto* other = dialog.findChild<QLineEdit*>("otherSeparator");
    QVERIFY(separator && column && header && preview && other);
    // The first item's separator is guessed; its fields name the columns.
    QCOMPARE(separator->currentText(), "Tab");
    QCOMPARE(column->count(), 2);
    QCOMPARE(column->itemText(1), "2: email");
    QCOMPARE(dialog.choice(), (MatchOn{1, U'\t', false}));
    column->setCurrentIndex(1);
    header->setChecked(true);
    QCOMPARE(dialog.choice(), (MatchOn{2, U'\t', true}));
    const auto keys = [&] {
        QStringList shown;
        for (int k = 0; k < preview->topLevelItemCount(); ++k) shown << preview->topLevelItem(k)->text(1);
        return shown;
    };
    QCOMPARE(keys(), (QStringList{"(header: not compared)", "al@z.org", ""}));
    // Quotes count for a comma: the quoted field is one column.
    separator->setCurrentText("Comma");
    column->setCurrentIndex(0);
    // (what follows the closing quote stays in the field, as Python's csv module reads it)
    QCOMPARE(keys(), (QStringList{"(header: not compared)", "Lee, Al al@z.org", "Cy"}));
    // A typed separator is one character; without one there is nothing to choose.
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    separator->setCurrentText("Other:");
    QVERIFY(other->isEnabled());
    other->setText("");
    QVERIFY(!ok->isEnabled());
    other->setText(QString::fromUcs4(U"\U0001F600"));
    QVERIFY(ok->isEnabled());
    QCOMPARE(dialog.choice().separator, U'\U0001F600');
}

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
