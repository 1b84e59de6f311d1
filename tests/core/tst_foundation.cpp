#include "core/CommonDialog.h"
#include "core/RunTimeError.h"
#include "core/Yielder.h"
#include "support/ScriptedDialogs.h"

#include <QTest>

// The foundation's boundaries that every command relies on.
class FoundationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openDialogAnswerMayFillTheNameBufferExactly_data();
    void openDialogAnswerMayFillTheNameBufferExactly();
    void yielderStartsANewBudgetAfterEachYield();
};

void FoundationTest::openDialogAnswerMayFillTheNameBufferExactly_data() {
    QTest::addColumn<int>("pathLength");
    QTest::addColumn<bool>("fits");
    // The buffer holds the answer and its terminating NUL.
    QTest::newRow("one short of full") << CommonDialog::kMaxFileSize - 2 << true;
    QTest::newRow("exactly full") << CommonDialog::kMaxFileSize - 1 << true;
    QTest::newRow("one over") << CommonDialog::kMaxFileSize << false;
}

void FoundationTest::openDialogAnswerMayFillTheNameBufferExactly() {
    QFETCH(int, pathLength);
    QFETCH(bool, fits);
    ScriptedDialogs dialogs;
    const QString path = QStringLiteral("/") + QString(pathLength - 1, u'n');
    dialogs.files.enqueue({path});
    CommonDialog dialog(dialogs);
    int error = 0;
    try {
        dialog.ShowOpen();
    } catch (const RunTimeError& e) {
        error = e.number();
    }
    QCOMPARE(error, fits ? 0 : CommonDialog::kBufferTooSmall);
    QCOMPARE(dialog.fileName(), fits ? path : QString());
}

void FoundationTest::yielderStartsANewBudgetAfterEachYield() {
    // Without a fresh budget after a yield, every check after the first would yield again and long
    // work would crawl. The clock is scripted, in milliseconds.
    class ScriptedClockYielder : public Yielder {
    public:
        using Yielder::Yielder;
        int yields = 0;
        qint64 nowMs = 0;

    protected:
        void processEvents() override { ++yields; }
        qint64 nowNs() const override { return nowMs * 1'000'000; }
    } yielder(std::chrono::milliseconds(500), 1);
    yielder.nowMs = 499;
    QVERIFY(!yielder.dueNow());
    yielder.nowMs = 600;
    QVERIFY(yielder.dueNow());
    yielder.yieldNow();
    QCOMPARE(yielder.yields, 1);
    QVERIFY(!yielder.dueNow());
    yielder.nowMs = 1099;
    QVERIFY(!yielder.due());
    yielder.nowMs = 1100;
    QVERIFY(yielder.due());
}

QTEST_GUILESS_MAIN(FoundationTest)
#include "tst_foundation.moc"
