#include "app/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {
// Acts on the modal dialog as soon as it is open, as a person would.
void onceOpen(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, qApp, [act] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        act(dialog);
    });
}

bool touch(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
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
};

void QtDialogsTest::turnsTheCommonFilterIntoNameFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the commands' filter, ending in a separator")
        << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"
        << QStringList{"Text Files (*.txt)", "All Files (*)"};
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
    QCOMPARE(dialogs.message(u"List 1 has changes that have not been saved. Close anyway?"_s,
                             u"Brindlewick"_s, Dialogs::Buttons::CloseCancel, Dialogs::Icon::Warning),
             answer);
    captions.sort();
    QCOMPARE(captions, (QStringList{u"Cancel"_s, u"Close"_s}));
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
        QTimer::singleShot(0, dialog, [dialog] {
            if (QWidget* warning = QApplication::activeModalWidget(); warning && warning != dialog)
                static_cast<QDialog*>(warning)->reject();
        });
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

QTEST_MAIN(QtDialogsTest)
#include "tst_qtdialogs.moc"
