#include "app/QtDialogs.h"

#include "app/ClipboardServeCursor.h"
#include "app/ColumnDialog.h"
#include "app/MessageText.h"
#include "core/Yielder.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTime>
#include <QtConcurrentRun>

#include <limits>

Dialogs::Answer QtDialogs::message(const QString& text, const QString& title, Buttons buttons, Icon icon) {
    // However long the names in the text, the box and its buttons stay on the screen.
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    MessageText::bounded(title), MessageText::bounded(text), QMessageBox::NoButton, m_parent);
    if (buttons == Buttons::SaveCloseCancel) {
        // Captions of our own: a platform theme may give the standard buttons other texts.
        const QPushButton* save = box.addButton(QStringLiteral("Save\u2026"), QMessageBox::AcceptRole);
        const QPushButton* close = box.addButton(QStringLiteral("Close"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) return Answer::Save;
        return box.clickedButton() == close ? Answer::Close : Answer::Cancel;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtDialogs::input(const QString& prompt, const QString& title) {
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(MessageText::bounded(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    // The line edit would cut what is typed or pasted at 32,767 characters; the search takes it whole.
    if (auto* edit = dialog.findChild<QLineEdit*>()) edit->setMaxLength(std::numeric_limits<int>::max());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}

std::optional<MatchOn> QtDialogs::chooseColumn(const ColumnRequest& request) {
    ColumnDialog dialog(request, m_parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

void DesktopLauncher::open(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

double SystemClock::secondsSinceMidnight() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void SeededRandom::seed(double seed) {
    m_state = quint64(seed * 1000.0) ^ 0x9e3779b97f4a7c15ULL;
}

double SeededRandom::next() {
    // splitmix64: small, uniform enough for one draw in a hundred.
    quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return double(z >> 11) / double(1ULL << 53);
}

SystemClipboard::SystemClipboard() : m_reader(std::make_unique<XClipboardReader>()) {
    m_reads.setMaxThreadCount(1);
    ClipboardServeCursor::install();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &SystemClipboard::learnOffer);
    connect(&m_offer, &QFutureWatcherBase::finished, this, &SystemClipboard::offerLearnt);
    learnOffer();
}

SystemClipboard::~SystemClipboard() {
    m_offer.cancel();
    m_reads.waitForDone();
}

namespace {
const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");
// The longest the clipboard's owner may stay silent during a question or a transfer.
constexpr std::chrono::milliseconds kOfferSilence(1000);
constexpr std::chrono::milliseconds kTextSilence(3000);

bool askOtherProgram() {
    return XClipboardReader::available() && !QGuiApplication::clipboard()->ownsClipboard();
}

// A read on the clipboard's pool that a cancel of its future stops.
template <class Result, class Read>
QFuture<Result> runRead(QThreadPool& pool, Read read) {
    return QtConcurrent::run(&pool, [read](QPromise<Result>& promise) {
        promise.addResult(read([&promise] { return promise.isCanceled(); }));
    });
}
}  // namespace

void SystemClipboard::learnOffer() {
    // An answer to an older question would be out of date.
    m_offer.cancel();
    if (!askOtherProgram()) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return setOffer(data && data->hasText());
    }
    // Until the owner answers, Paste waits with it rather than guess.
    setOffer(false);
    XClipboardReader* reader = m_reader.get();
    m_offer.setFuture(
        runRead<XClipboardReader::Offer>(m_reads, [reader](const XClipboardReader::Stopped& stopped) {
            return reader->offer(kOfferSilence, stopped);
        }));
}

void SystemClipboard::offerLearnt() {
    if (m_offer.isCanceled()) return;
    const XClipboardReader::Offer offer = m_offer.result();
    setOffer(offer == XClipboardReader::Offer::Text, offer == XClipboardReader::Offer::NoAnswer);
}

void SystemClipboard::setOffer(bool hasText, bool unanswered) {
    m_hasText = hasText;
    m_unanswered = unanswered;
    Q_EMIT changed();
}

QString SystemClipboard::text() const {
    return QGuiApplication::clipboard()->text();
}

std::optional<QByteArray> SystemClipboard::utf8Text(Yielder& yielder) const {
    if (!askOtherProgram()) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data) return QByteArray();
        if (data->hasFormat(kUtf8Text)) return data->data(kUtf8Text);
        return data->text().toUtf8();
    }
    // However large the transfer, it holds the window no longer than a turn of the event loop.
    XClipboardReader* reader = m_reader.get();
    QFuture<std::optional<QByteArray>> read = runRead<std::optional<QByteArray>>(
        m_reads,
        [reader](const XClipboardReader::Stopped& stopped) { return reader->text(kTextSilence, stopped); });
    try {
        // The pool runs clipboard reads only, one at a time: once it is done, so is this read.
        while (!m_reads.waitForDone(10)) yielder.yieldNow();
    } catch (...) {
        // The window is closing; the clipboard's end waits for the read, which this ends at once.
        read.cancel();
        throw;
    }
    try {
        return read.result();
    } catch (const QUnhandledException& failure) {
        // Out of memory for a long text, say: reported as it would be on this thread.
        std::rethrow_exception(failure.exception());
    }
}

void SystemClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void SystemClipboard::setUtf8Text(const QByteArray& text) {
    // Qt offers plain text to other programs from these bytes as they are (UTF8_STRING on X11), and
    // decodes them only where a program asks for UTF-16.
    auto* data = new QMimeData;
    data->setData(kUtf8Text, text);
    data->setData(QStringLiteral("text/plain"), text);
    QGuiApplication::clipboard()->setMimeData(data);
}
