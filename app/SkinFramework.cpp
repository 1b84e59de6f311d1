#include "app/SkinFramework.h"

#include "core/MainModule.h"
#include "core/RunTimeError.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStringDecoder>
#include <QWidget>

QVariant SkinFramework::invoke(int member, const QVariantList& arguments) {
    switch (member) {
        case LoadSkin:
            loadSkin(arguments.value(0).toString());
            return {};
        case ApplyWindow: {
            QWidget* window = arguments.value(0).value<QWidget*>();
            if (!window) throw RunTimeError(QStringLiteral("Invalid window handle"));
            applyToWindow(*window);
            return {};
        }
        default:
            throw RunTimeError(QStringLiteral("Object doesn't support this property or method"), 438);
    }
}

QVariant SkinFramework::property(int member) const {
    switch (member) {
        case ApplyOptions:
            return m_applyOptions;
        case ApplyToDialogs:
            return m_applyToDialogs;
        case ApplyToThreads:
            return m_applyToThreads;
        default:
            throw RunTimeError(QStringLiteral("Object doesn't support this property or method"), 438);
    }
}

void SkinFramework::setProperty(int member, const QVariant& value) {
    switch (member) {
        case ApplyOptions:
            m_applyOptions = value.toInt();
            return;
        case ApplyToDialogs:
            m_applyToDialogs = value.toBool();
            return;
        case ApplyToThreads:
            m_applyToThreads = value.toBool();
            return;
        default:
            throw RunTimeError(QStringLiteral("Object doesn't support this property or method"), 438);
    }
}

void SkinFramework::loadSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError(
            QStringLiteral("Skin file cannot be opened: %1 (%2)").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString sheet = decoder.decode(bytes);
    // A style sheet is text; anything else is not a skin we can draw.
    if (decoder.hasError() || bytes.contains('\0') || sheet.trimmed().isEmpty())
        throw RunTimeError(QStringLiteral("Skin file is not a valid skin: %1").arg(path));
    m_styleSheet = std::move(sheet);
}

void SkinFramework::applyToWindow(QWidget& window) const {
    if (m_styleSheet.isEmpty()) throw RunTimeError(QStringLiteral("No skin is loaded"));
    if (m_applyToDialogs)
        qApp->setStyleSheet(m_styleSheet);
    else
        window.setStyleSheet(m_styleSheet);
}

namespace Main {

void ApplySkin(QWidget& window, SkinComponent& skin, const QString& programFolder) {
    const QString path = besideProgram(programFolder, QStringLiteral("x/o.cjs"));
    const QFileInfo info(path);
    if (!info.isFile() || info.isHidden()) return;

    // The background follows the system's button face (a palette role, not a fixed colour).
    window.setBackgroundRole(QPalette::Button);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            child->setBackgroundRole(QPalette::Button);
    }
    skin.invoke(SkinFramework::LoadSkin, {path, QString()});
    skin.setProperty(SkinFramework::ApplyOptions,
                     skin.property(SkinFramework::ApplyOptions).toInt() | SkinFramework::kSkinFrame);
    skin.setProperty(SkinFramework::ApplyToDialogs, true);
    skin.setProperty(SkinFramework::ApplyToThreads, true);
    // The window itself is its handle here: no round trip through the windowing system's id.
    skin.invoke(SkinFramework::ApplyWindow, {QVariant::fromValue(&window)});
}

}  // namespace Main
