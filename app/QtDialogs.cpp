#include "app/QtDialogs.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QTime>

Dialogs::Answer QtDialogs::message(const QString& text, const QString& title, Buttons buttons, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::NoButton, m_parent);
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
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? answer : QString();
}

QStringList QtDialogs::nameFilters(const QString& commonDialogFilter) {
    const QStringList parts = commonDialogFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
        QString description = parts[i];
        // Qt reads the patterns from the last parentheses of the entry.
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0) description.truncate(open);
        filters.append(description.trimmed() + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

QStringList QtDialogs::chooseFiles(const FileRequest& request) {
    QFileDialog dialog(m_parent, request.title);
    dialog.setNameFilters(nameFilters(request.filter));
    if (request.mode == FileRequest::Mode::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Unless asked to, the dialog leaves the question about replacing a file to the command.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // No existence check: a typed name of a missing file comes back like any other.
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    }
    // Without a default suffix, a name typed without an extension stays without one.
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
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

SystemClipboard::SystemClipboard() {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &Clipboard::changed);
}

bool SystemClipboard::hasText() const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

QString SystemClipboard::text() const {
    return QGuiApplication::clipboard()->text();
}

void SystemClipboard::setText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}
