#include "core/Platform.h"

#include <QTest>

// Every item's hash rests on this product. A lost carry would only spread items less evenly over the
// table, which no result would show, so the portable form is checked here on its own.
class PlatformTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void multipliesToAllOf128Bits_data();
    void multipliesToAllOf128Bits();
};

void PlatformTest::multipliesToAllOf128Bits_data() {
    QTest::addColumn<quint64>("a");
    QTest::addColumn<quint64>("b");
    QTest::addColumn<quint64>("low");
    QTest::addColumn<quint64>("high");
    constexpr quint64 kMax = ~quint64(0);
    QTest::newRow("zero") << quint64(0) << kMax << quint64(0) << quint64(0);
    QTest::newRow("largest") << kMax << kMax << quint64(1) << quint64(0xfffffffffffffffe);
    QTest::newRow("carry into the high half")
        << kMax << quint64(2) << quint64(0xfffffffffffffffe) << quint64(1);
    QTest::newRow("halves meet") << (quint64(1) << 32) << (quint64(1) << 32) << quint64(0) << quint64(1);
    QTest::newRow("32-bit factors") << quint64(0xffffffff) << quint64(0xffffffff)
                                    << quint64(0xfffffffe00000001) << quint64(0);
    QTest::newRow("mixed bits") << quint64(0xa0761d6478bd642f) << quint64(0xe7037ed1a0b428db)
                                << quint64(0x8f3907f7b2b80c35) << quint64(0x90ccc56588c08119);
}

void PlatformTest::multipliesToAllOf128Bits() {
    QFETCH(quint64, a);
    QFETCH(quint64, b);
    QFETCH(quint64, low);
    QFETCH(quint64, high);
    const Platform::Wide product = Platform::multiplyWide(a, b);
    QCOMPARE(quint64(product.low), low);
    QCOMPARE(quint64(product.high), high);
}

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
