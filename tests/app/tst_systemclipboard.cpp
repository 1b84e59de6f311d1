#include "app/QtDialogs.h"
#include "core/RunTimeError.h"
#include "core/Yielder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <signal.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
xcb_connection_t* display() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

template <class Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_window_t clipboardOwner() {
    xcb_connection_t* c = display();
    const Owned<xcb_intern_atom_reply_t> clipboard(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr), &std::free);
    const Owned<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard->atom), nullptr), &std::free);
    return owner->owner;
}

// Another program holding the clipboard: xclip, offering the bytes as one format.
class Owner {
public:
    // Whether it took the clipboard.
    bool take(const QString& format, const QByteArray& bytes) {
        QFile held(m_dir.filePath(u"held"_s));
        if (!held.open(QIODevice::WriteOnly) || held.write(bytes) != bytes.size()) return false;
        held.close();
        // The one before it has let go first.
        if (!QTest::qWaitFor([] { return clipboardOwner() == XCB_NONE; })) return false;
        m_xclip.setStandardOutputFile(QProcess::nullDevice());
        m_xclip.setStandardErrorFile(QProcess::nullDevice());
        m_xclip.start(u"xclip"_s,
                      {u"-selection"_s, u"clipboard"_s, u"-t"_s, format, u"-quiet"_s, held.fileName()});
        return QTest::qWaitFor([] { return clipboardOwner() != XCB_NONE; });
    }
    ~Owner() {
        resume();
        m_xclip.kill();
        m_xclip.waitForFinished();
    }
    // The owner stops answering, as a program that hangs does.
    void stop() { send(SIGSTOP); }
    void resume() { send(SIGCONT); }

private:
    // Never to process 0, which would be this process's whole group.
    void send(int number) {
        if (m_xclip.processId() > 0) ::kill(pid_t(m_xclip.processId()), number);
    }

    QTemporaryDir m_dir;
    QProcess m_xclip;
};

// The windows the clipboard's reads receive their answers on, as the X server knows them.
int readerWindows() {
    xcb_connection_t* c = display();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Owned<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr),
                                             &std::free);
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    int found = 0;
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto cookie = xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 64);
        const Owned<xcb_get_property_reply_t> name(xcb_get_property_reply(c, cookie, nullptr), &std::free);
        if (name &&
            QByteArrayView(static_cast<const char*>(xcb_get_property_value(name.get())),
                           xcb_get_property_value_length(name.get())) == "Brindlewick clipboard reader")
            ++found;
    }
    return found;
}

// Counts the paste's turns of the event loop, and acts in one of them.
class Turns : public Yielder {
public:
    Turns(int at, std::function<void()> act) : m_at(at), m_act(std::move(act)) {}

protected:
    void processEvents() override {
        if (++m_turns == m_at) m_act();
        Yielder::processEvents();
    }

private:
    int m_turns = 0;
    int m_at;
    std::function<void()> m_act;
};
}  // namespace

// The X clipboard while another program owns it, under a real X server: what it offers pasted in
// the encoding its format names, a long text that comes in pieces whole, and a read of an owner that
// stopped answering ends with the clipboard.
class SystemClipboardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void pastesAnotherProgramsTextInItsFormatsEncoding_data();
    void pastesAnotherProgramsTextInItsFormatsEncoding();
    void aReadOfAStoppedOwnerEndsBeforeTheClipboard_data();
    void aReadOfAStoppedOwnerEndsBeforeTheClipboard();
};

void SystemClipboardTest::initTestCase() {
    if (!XClipboardReader::available()) QSKIP("needs an X server (run through tools/at-session.sh)");
}

// The next owner may take the clipboard only once nobody holds it.
void SystemClipboardTest::cleanup() {
    QGuiApplication::clipboard()->clear();
}

void SystemClipboardTest::pastesAnotherProgramsTextInItsFormatsEncoding_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("held");
    QTest::addColumn<QByteArray>("pasted");
    QTest::newRow("UTF8_STRING") << u"UTF8_STRING"_s << QByteArray("caf\xC3\xA9\n")
                                 << QByteArray("caf\xC3\xA9\n");
    QTest::newRow("text/plain;charset=utf-8")
        << u"text/plain;charset=utf-8"_s << QByteArray("caf\xC3\xA9\n") << QByteArray("caf\xC3\xA9\n");
    // STRING is Latin-1: the bytes C3 A9 are two letters.
    QTest::newRow("STRING") << u"STRING"_s << QByteArray("caf\xC3\xA9\n")
                            << QByteArray("caf\xC3\x83\xC2\xA9\n");
    // Past about 1 MB the owner sends the text in pieces, each announced apart from our deletions.
    const auto lines = [](const QByteArray& letter) {
        QByteArray lines;
        for (int i = 0; i < 460000; ++i) lines += "line " + QByteArray::number(i) + letter + '\n';
        return lines;
    };
    QTest::newRow("6 MB in pieces") << u"UTF8_STRING"_s << lines("\xC3\xA9") << lines("\xC3\xA9");
    QTest::newRow("6 MB of STRING in pieces") << u"STRING"_s << lines("\xE9") << lines("\xC3\xA9");
}

void SystemClipboardTest::pastesAnotherProgramsTextInItsFormatsEncoding() {
    QFETCH(QString, format);
    QFETCH(QByteArray, held);
    QFETCH(QByteArray, pasted);
    Owner owner;
    QVERIFY(owner.take(format, held));
    SystemClipboard clipboard;
    // On a busy machine the owner may stay silent past the question's second: ask again, as the
    // pane's menu does when it opens.
    QTRY_VERIFY((clipboard.recheck(), clipboard.hasText()));
    Yielder yielder;
    const std::optional<QByteArray> text = clipboard.utf8Text(yielder);
    QVERIFY(text);
    QCOMPARE(text->size(), pasted.size());
    QVERIFY(*text == pasted);
}

void SystemClipboardTest::aReadOfAStoppedOwnerEndsBeforeTheClipboard_data() {
    QTest::addColumn<QString>("meanwhile");
    QTest::newRow("the window closes during a paste") << u"close"_s;
    QTest::newRow("this program copies while it asks") << u"copy"_s;
    QTest::newRow("the clipboard goes while it asks") << u"go"_s;
}

void SystemClipboardTest::aReadOfAStoppedOwnerEndsBeforeTheClipboard() {
    QFETCH(QString, meanwhile);
    Owner owner;
    QVERIFY(owner.take(u"UTF8_STRING"_s, "late\n"));
    owner.stop();
    auto clipboard = std::make_unique<SystemClipboard>();
    // Its question to the owner is under way.
    QTRY_COMPARE(readerWindows(), 1);
    if (meanwhile == u"close") {
        Turns yielder(1, [&] { yielder.cancel(); });
        QVERIFY_THROWS_EXCEPTION(Cancelled, clipboard->utf8Text(yielder));
    } else if (meanwhile == u"copy") {
        clipboard->setText(u"mine"_s);
        QVERIFY(clipboard->hasText());
        // The question's late answer is not taken for the clipboard's.
        QTRY_COMPARE(readerWindows(), 0);
        QTRY_VERIFY(clipboard->hasText());
    }
    clipboard.reset();
    QCOMPARE(readerWindows(), 0);
}

QTEST_MAIN(SystemClipboardTest)
#include "tst_systemclipboard.moc"
