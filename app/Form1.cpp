#include "app/Form1.h"

#include "app/CompareActions.h"
#include "app/Guarded.h"
#include "app/PaneActions.h"
#include "app/Pictures.h"
#include "app/PointerRules.h"
#include "app/ResultBar.h"
#include "commands/PaneCommands.h"
#include "core/MainModule.h"
#include "listfiles/FileCommands.h"
#include "panes/view/PaneView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMoveEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>

#include <algorithm>

namespace {
// Statement numbers of Form_Load.
namespace LoadLine {
enum : int {
    ApplySkin = 100,
    CaptionIconTitle = 104,
    TestPointerFile = 106,
    LoadPointer = 108,
    VisitHomePage = 110,
    AddHeader1 = 130,
    SetWidth1 = 132,
    AddHeader2 = 134,
    SetWidth2 = 136,
};
}

QFont arialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// White faces, black text; Qt derives the other roles (bevels, selection, disabled text) from the face.
QPalette designPalette() {
    return QPalette(QColor(Qt::white));
}

// A modal dialog takes the mouse and the keys from the window, but a screen reader's press still
// reaches its buttons: a command started so would run beneath the dialog, whose own answer would then
// wait until that command ended.
bool blockedByModalDialog(const QWidget& window) {
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != &window;
}
}  // namespace

void Form1::BarProgress::setPercent(double percent) {
    // Cut, not rounded: the descending routines' 100 - 100 / c must not show as 100 before their end.
    if (bar) bar->setValue(int(std::clamp(percent, 0.0, 100.0)));
}

Form1::Form1(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_services(services),
      m_yielder(services.yielder ? services.yielder : &m_ownYielder.emplace()),
      m_clipboard(services.clipboard ? services.clipboard : &m_ownClipboard.emplace()),
      m_reporter(services.dialogs),
      m_commonDialog1(services.dialogs),
      m_context{m_list1,    m_list2,    m_state,         services.dialogs, m_reporter,
                *m_yielder, m_progress, m_commonDialog1, services.memory} {
    buildControls();
    wireControls();
    Form_Load();
    centreOnScreen();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(CommandTable::kClientWidth, CommandTable::kClientHeight);
    setFont(arialBold(9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);

    QWidget* previous = nullptr;
    for (const CommandTable::Control& control : CommandTable::controls()) {
        QWidget* widget = buildControl(control);
        widget->setObjectName(QString::fromLatin1(control.name));
        widget->setGeometry(control.place.pixels());
        // Mouse moves stay with the control that has them; the background has its own rule.
        widget->setAttribute(Qt::WA_NoMousePropagation);
        if (widget->focusPolicy() == Qt::NoFocus) continue;
        if (previous) setTabOrder(previous, widget);
        previous = widget;
    }
}

QWidget* Form1::buildControl(const CommandTable::Control& control) {
    switch (control.kind) {
        case CommandTable::Kind::Button: {
            auto* button = new QPushButton(QString::fromLatin1(control.caption), this);
            button->setToolTip(QString::fromLatin1(control.toolTip));
            button->setAccessibleDescription(button->toolTip());
            button->setFont(arialBold(11.25));
            QPalette face = button->palette();
            face.setColor(QPalette::Button, Qt::white);
            button->setPalette(face);
            button->setMouseTracking(true);
            // Enter on a focused button clicks it, as Space does: the window works from the keyboard.
            button->setAutoDefault(true);
            button->installEventFilter(this);
            // Only a press the mouse could make too.
            connect(button, &QPushButton::clicked, this, [this, &control] {
                if (!blockedByModalDialog(*this)) run(control);
            });
            return button;
        }
        case CommandTable::Kind::Pane: {
            auto* view = new PaneView(this);
            view->setModel(&list(control.list));
            m_views[control.list - 1] = view;
            return view;
        }
        case CommandTable::Kind::ProgressBar:
            break;
    }
    m_progressBar = new ResultBar(m_state, this);
    m_progress.bar = m_progressBar;
    return m_progressBar;
}

void Form1::wireControls() {
    auto* compare = new CompareActions(m_state, this);
    for (int list = 1; list <= 2; ++list) {
        PaneView* view = m_views[list - 1];
        compare->addTo(*view);
        connect(view, &PaneView::doubleClicked, this, [this, list] { paneDoubleClicked(list); });
        connect(view, &PaneView::deletePressed, this, [this, list] { paneDeletePressed(list); });
        connect(view, &PaneView::mouseMoved, this, [this] { PointerRules::backgroundMouseMove(m_state); });
        onTriggered(view->action(PaneView::Action::RemoveItem), this, [this, list] { removeSelected(list); });
        new PaneActions(m_context, list, *view, *m_clipboard, this->list(list).history().steps(), this);
    }
    connect(&m_state, &WindowState::mousePointerChanged, this, &Form1::showPointer);
    // Load and save by key, as the buttons do, for the pane with the focus (or List 1).
    for (const auto& keyed : {std::pair{Qt::CTRL | Qt::Key_O, CommandTable::Runs::LoadFiles},
                              std::pair{Qt::CTRL | Qt::Key_S, CommandTable::Runs::SaveFile}}) {
        auto* shortcut = new QShortcut(QKeySequence(keyed.first), this);
        connect(shortcut, &QShortcut::activated, this, [this, runs = keyed.second] {
            if (const CommandTable::Control* button =
                    CommandTable::buttonFor(runs, m_views[1]->hasFocus() ? 2 : 1))
                run(*button);
        });
    }
}

void Form1::Form_Load() {
    Procedure p(m_reporter, ErrorReporter::origin(QStringLiteral("Form1"), QStringLiteral("Form_Load")));
    p.run(LoadLine::ApplySkin, [&] { Main::ApplySkin(*this, m_skin, m_services.programFolder); });
    // Unless recoloured for a skin, the window keeps its design colours, dark text on white, whatever
    // the desktop's theme: a dark theme's light text would vanish on the white faces.
    if (backgroundRole() != QPalette::Button) setPalette(designPalette());
    p.run(LoadLine::CaptionIconTitle,
          [&] { setWindowTitle(QString::fromLatin1(Main::kProductDisplayName)); });
    p.run(LoadLine::CaptionIconTitle, [&] { setWindowIcon(applicationIcon()); });
    p.run(LoadLine::CaptionIconTitle,
          [&] { m_state.setAppTitle(Main::AppTitleFor(QString::fromLatin1(Main::kProductDisplayName))); });
    const QString pointerFile = Main::besideProgram(m_services.programFolder, QStringLiteral("HAND-M.CUR"));
    if (p.test(LoadLine::TestPointerFile, [&] { return Main::FileExists(pointerFile); }))
        p.run(LoadLine::LoadPointer, [&] { m_handCursor = loadCursorFile(pointerFile); });
    p.run(LoadLine::VisitHomePage,
          [&] { Main::VisitHomePageAtRandom(m_services.clock, m_services.random, m_services.launcher); });
    for (int list = 1; list <= 2; ++list) {
        const CommandTable::Control& pane = CommandTable::paneFor(list);
        p.run(list == 1 ? LoadLine::AddHeader1 : LoadLine::AddHeader2,
              [&] { this->list(list).addColumnHeader(QString::fromLatin1(pane.caption)); });
        p.run(list == 1 ? LoadLine::SetWidth1 : LoadLine::SetWidth2, [&] {
            listView(list)->horizontalHeader()->resizeSection(
                0, CommandTable::pixels(CommandTable::kColumnWidthTwips));
        });
    }
}

void Form1::run(const CommandTable::Control& button) {
    guarded([&] { CommandTable::run(m_context, button); });
}

QPushButton* Form1::pushButton(int number) const {
    return findChild<QPushButton*>(QStringLiteral("PushButton%1").arg(number));
}

void Form1::click(int buttonNumber) {
    if (const CommandTable::Control* button =
            CommandTable::find(QStringLiteral("PushButton%1").arg(buttonNumber)))
        run(*button);
}

void Form1::loadFromCommandLine(const QStringList& paths) {
    if (paths.size() > 2) {
        m_services.dialogs.message(
            QStringLiteral("Brindlewick opens at most two files: the first into List 1, "
                           "the second into List 2. No file was loaded."),
            m_state.appTitle());
        return;
    }
    for (int listNumber = 1; listNumber <= int(paths.size()); ++listNumber) {
        const CommandTable::Control* load =
            CommandTable::buttonFor(CommandTable::Runs::LoadFiles, listNumber);
        const QStringList chosen{QFileInfo(paths.at(listNumber - 1)).absoluteFilePath()};
        guarded([&] {
            FileCommands::loadChosenFiles(m_context, listNumber, ChosenFiles::fromPaths(chosen),
                                          load ? load->origin() : QString());
        });
    }
}

void Form1::paneDoubleClicked(int listNumber) {
    guarded([&] { removeSelected(listNumber); });
}

void Form1::paneDeletePressed(int listNumber) {
    guarded([&] { removeSelected(listNumber); });
}

void Form1::removeSelected(int listNumber) {
    PaneView* view = listView(listNumber);
    const int position = view->selectedPosition();
    const int before = list(listNumber).count();
    PaneCommands::removeSelected(m_context, listNumber, position);
    // The next item takes the removed one's place in the selection, so Delete can be pressed again.
    if (list(listNumber).count() < before) view->selectPosition(position);
}

void Form1::centreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

// Until the window is framed, its frame is its client area. The frame is known once the window is
// shown on some systems, and only when the window manager has framed it, which moves it, on others:
// the whole frame, title bar included, is centred again then.
void Form1::centreOnceFramed() {
    if (m_frameCentred || frameGeometry().size() == size()) return;
    m_frameCentred = true;
    centreOnScreen();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QMetaObject::invokeMethod(this, &Form1::centreOnceFramed, Qt::QueuedConnection);
}

void Form1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    centreOnceFramed();
}

void Form1::closeEvent(QCloseEvent* event) {
    // A running command waits under the question; on Cancel it goes on as if nothing happened. A
    // second close while the question is open is the same close.
    if (m_askingToClose || !askBeforeClosing()) return event->ignore();
    Form_Unload();
    event->accept();
}

bool Form1::askBeforeClosing() {
    m_askingToClose = true;
    const auto asked = qScopeGuard([this] { m_askingToClose = false; });
    bool mayClose = true;
    guarded([&] {
        mayClose = PaneCommands::mayClose(m_context, [this](int list) {
            const CommandTable::Control* save = CommandTable::buttonFor(CommandTable::Runs::SaveFile, list);
            return FileCommands::save(m_context, list, save ? save->origin() : QString());
        });
    });
    return mayClose;
}

void Form1::Form_Unload() {
    // Commands running under a yield end there; nothing is saved.
    m_yielder->cancel();
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    PointerRules::backgroundMouseMove(m_state);
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && qobject_cast<QPushButton*>(watched))
        PointerRules::buttonMouseMove(m_state);
    return QWidget::eventFilter(watched, event);
}

void Form1::showPointer(WindowState::Pointer value) {
    if (value == WindowState::WaitPointer)
        m_shownCursor = QCursor(Qt::WaitCursor);
    else if (value == WindowState::HandPointer && m_handCursor)
        m_shownCursor = *m_handCursor;
    else
        m_shownCursor = QCursor(Qt::ArrowCursor);
    setCursor(m_shownCursor);
}
