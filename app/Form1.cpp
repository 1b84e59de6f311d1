#include "app/Form1.h"

#include "app/Form1Layout.h"
#include "app/Pictures.h"
#include "app/PointerRules.h"
#include "core/MainModule.h"
#include "listfiles/FileCommands.h"
#include "listops/ListCommands.h"
#include "panes/PaneCommands.h"
#include "panes/view/PaneView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kDeleteKeyCode = 46;
constexpr int kColumnWidthTwips = 7000;

QFont arialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// Runs an event handler. Closing the window unwinds running commands with Cancelled; a handler
// without an error report of its own must still not take the program down.
template <class Handler>
void guarded(Handler&& handler) {
    try {
        handler();
    } catch (const Cancelled&) {
    } catch (const std::exception& e) {
        qWarning("Unhandled error in an event handler: %s", e.what());
    }
}
}  // namespace

void Form1::BarProgress::setPercent(double percent) {
    if (bar) bar->setValue(qRound(percent));
}

Form1::Form1(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_services(services),
      m_yielder(services.yielder ? services.yielder : &m_ownYielder.emplace()),
      m_reporter(services.dialogs),
      m_commonDialog1(services.dialogs),
      m_context{m_list1,    m_list2,    m_state,    services.dialogs,
                m_reporter, *m_yielder, m_progress, m_commonDialog1} {
    buildControls();
    wireControls();
    Form_Load();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

Form1::~Form1() = default;

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(Form1Layout::kClientWidth, Form1Layout::kClientHeight);
    setFont(arialBold(9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setMouseTracking(true);

    QWidget* previous = nullptr;
    for (const Form1Layout::Control& control : Form1Layout::kControls) {
        const QString name = QString::fromLatin1(control.name);
        QWidget* widget = nullptr;
        if (name.startsWith(QStringLiteral("PushButton"))) {
            auto* button = new QPushButton(QString::fromLatin1(control.caption), this);
            button->setFont(arialBold(11.25));
            QPalette face = button->palette();
            face.setColor(QPalette::Button, Qt::white);
            button->setPalette(face);
            button->setMouseTracking(true);
            // Enter on a focused button clicks it, as Space does: the window works from the keyboard.
            button->setAutoDefault(true);
            m_buttons[name.mid(10).toInt() - 1] = button;
            widget = button;
        } else if (name.startsWith(QStringLiteral("ListView"))) {
            auto* view = new PaneView(this);
            view->setModel(name.endsWith(u'1') ? &m_list1 : &m_list2);
            m_views[name.endsWith(u'1') ? 0 : 1] = view;
            widget = view;
        } else {
            m_progressBar = new QProgressBar(this);
            m_progressBar->setRange(0, 100);
            m_progressBar->setValue(0);
            m_progressBar->setTextVisible(false);
            m_progress.bar = m_progressBar;
            widget = m_progressBar;
        }
        widget->setObjectName(name);
        widget->setGeometry(control.pixels());
        // Mouse moves stay with the control that has them; the background has its own rule.
        widget->setAttribute(Qt::WA_NoMousePropagation);
        if (previous && widget->focusPolicy() != Qt::NoFocus) setTabOrder(previous, widget);
        if (widget->focusPolicy() != Qt::NoFocus) previous = widget;
    }
}

void Form1::wireControls() {
    for (int number = 1; number <= int(m_buttons.size()); ++number) {
        connect(m_buttons[number - 1], &QPushButton::clicked, this, [this, number] { click(number); });
        m_buttons[number - 1]->installEventFilter(this);
    }
    for (int list = 1; list <= 2; ++list) {
        PaneView* view = m_views[list - 1];
        connect(view, &PaneView::doubleClicked, this, [this, list] { paneDoubleClicked(list); });
        connect(view, &PaneView::keyDown, this, [this, list](int key) { paneKeyDown(list, key); });
        connect(view, &PaneView::mouseMoved, this, [this] { PointerRules::backgroundMouseMove(m_state); });
    }
    connect(&m_state, &WindowState::mousePointerChanged, this, &Form1::showPointer);
}

void Form1::Form_Load() {
    Procedure p(m_reporter, ErrorReporter::origin(QStringLiteral("Form1"), QStringLiteral("Form_Load")));
    SkinComponent& skin = m_services.skin ? *m_services.skin : m_ownSkin;
    p.run(100, [&] { Main::ApplySkin(*this, skin, m_services.programFolder); });
    p.run(104, [&] { setWindowTitle(QString::fromLatin1(Main::kProductDisplayName)); });
    p.run(104, [&] { setWindowIcon(applicationIcon()); });
    p.run(104,
          [&] { m_state.setAppTitle(Main::AppTitleFor(QString::fromLatin1(Main::kProductDisplayName))); });
    const QString pointerFile = Main::besideProgram(m_services.programFolder, QStringLiteral("HAND-M.CUR"));
    if (p.test(106, [&] { return Main::FileExists(pointerFile); }))
        p.run(108, [&] { m_handCursor = loadCursorFile(pointerFile); });
    p.run(110,
          [&] { Main::VisitHomePageAtRandom(m_services.clock, m_services.random, m_services.launcher); });
    for (int list = 1; list <= 2; ++list) {
        const int line = list == 1 ? 130 : 134;
        p.run(line, [&] { this->list(list).addColumnHeader(QStringLiteral("List %1:").arg(list)); });
        p.run(line + 2, [&] {
            listView(list)->horizontalHeader()->resizeSection(0, Form1Layout::pixels(kColumnWidthTwips));
        });
    }
}

void Form1::click(int buttonNumber) {
    guarded([&] {
        switch (buttonNumber) {
            case 1:
            case 2:
                PaneCommands::clearList(m_context, buttonNumber);
                break;
            case 21:
            case 22:
                PaneCommands::loadSampleData(m_context, buttonNumber - 20);
                break;
            case 3:
                FileCommands::load(m_context, 1);
                break;
            case 14:
                FileCommands::load(m_context, 2);
                break;
            case 20:
                FileCommands::save(m_context, 1);
                break;
            case 13:
                FileCommands::save(m_context, 2);
                break;
            default:
                ListCommands::click(m_context, buttonNumber);
                break;
        }
    });
}

void Form1::paneDoubleClicked(int listNumber) {
    guarded([&] { removeSelected(listNumber); });
}

void Form1::paneKeyDown(int listNumber, int keyCode) {
    if (keyCode != kDeleteKeyCode) return;
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

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload() {
    // Commands running under a yield end there; nothing is asked and nothing is saved.
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

void Form1::showPointer(int value) {
    if (value == WindowState::WaitPointer)
        m_shownCursor = QCursor(Qt::WaitCursor);
    else if (value == WindowState::HandPointer && m_handCursor)
        m_shownCursor = *m_handCursor;
    else
        m_shownCursor = QCursor(Qt::ArrowCursor);
    setCursor(m_shownCursor);
}
