#include "core/ErrorReport.h"

#include "core/Dialogs.h"

#include <QtNumeric>

QString ErrorReporter::origin(const QString& module, const QString& procedure) {
    return QStringLiteral("in Quorvel2021/08/31.") + module + u'.' + procedure + u' ';
}

QString ErrorReporter::text(const QString& description, const QString& origin, int line) {
    return description + QStringLiteral("\r\n") + origin + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + QLatin1String(kSupportAddress);
}

void ErrorReporter::report(const QString& description, const QString& origin, int line) {
    m_dialogs.message(text(description, origin, line), QStringLiteral("Application Error"),
                      Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
}

int Procedure::step(int counter, int by) {
    int next = 0;
    if (qAddOverflow(counter, by, &next)) throw RunTimeError(QStringLiteral("Overflow"), 6);
    return next;
}

void Procedure::fail(int line, const QString& description) {
    ++m_failures;
    m_reporter.report(description, m_origin, line);
}
