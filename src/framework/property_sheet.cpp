#include "framework/property_sheet.h"

#include "framework/accessibility.h"
#include "framework/keyboard_access.h"
#include "framework/wheel_focus.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWhatsThis>

PropertySheet::PropertySheet(const QString &caption, QWidget *parent, int firstPage,
                             StandardButtons buttons)
    : QDialog(parent), firstPage(firstPage)
{
    requireFocusForWheel();
    clickOnAccessibleToggle();
    setWindowTitle(caption);
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("sheetTabs"));
    // Every tab stays in view, whole: the sheet is never narrower than its tab bar.
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
    connect(tabs, &QTabWidget::currentChanged, this, &PropertySheet::onTabBarChanged);

    buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    if (buttons.testFlag(OkButton))
        okButton = newButton(tr("OK"), "okButton");
    if (buttons.testFlag(CancelButton))
        cancelButton = newButton(tr("Cancel"), "cancelButton");
    if (okButton) {
        okButton->setDefault(true);
        connect(okButton, &QPushButton::clicked, this, [this] { tryAccept(); });
    }
    if (cancelButton)
        connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addLayout(buttonRow);

    // Tab switching from anywhere in the sheet, as a classic property sheet allows.
    const auto addStep = [this](const QKeySequence &keys, int delta) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, delta] { step(delta); });
    };
    addStep(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    addStep(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    addStep(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    addStep(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

PropertySheet::~PropertySheet() = default;

void PropertySheet::setNoticeBand(QWidget *band, const QList<QWidget *> &controls)
{
    band->setParent(this);
    static_cast<QVBoxLayout *>(layout())->insertWidget(0, band);
    bandControls = controls;
    keepButtonsLast();
}

void PropertySheet::addPage(PropertyPage *page)
{
    QScopedValueRollback guard(switching, true);
    pages.append(page);
    tabs->addTab(page, page->caption());
}

bool PropertySheet::setCurrentIndex(int index)
{
    if (index < 0 || index >= pages.size())
        return false;
    if (!initialized) {
        firstPage = index;
        return true;
    }
    if (index == activeIndex)
        return true;
    if (!leaveActivePage())
        return false;
    activate(index);
    currentPageChanged();
    return true;
}

QPushButton *PropertySheet::newButton(const QString &text, const char *name)
{
    auto *b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    buttonRow->addWidget(b);
    rowButtons.append(b);
    return b;
}

QPushButton *PropertySheet::addActionButton(const QString &text, const char *name,
                                            std::function<void()> action)
{
    QPushButton *b = newButton(text, name);
    connect(b, &QPushButton::clicked, this, std::move(action));
    return b;
}

QPushButton *PropertySheet::button(StandardButton which) const
{
    switch (which) {
    case OkButton:
        return okButton;
    case CancelButton:
        return cancelButton;
    }
    return nullptr;
}

int PropertySheet::exec()
{
    initialize();
    if (endedBeforeShown)
        return endResult;
    return QDialog::exec();
}

void PropertySheet::done(int result)
{
    if (!isVisible()) {
        // Ended while initialising, before the sheet was ever shown.
        endedBeforeShown = true;
        endResult = result;
        setResult(result);
        return;
    }
    QDialog::done(result);
}

void PropertySheet::setVisible(bool visible)
{
    if (visible && !initialized) {
        initialize();
        if (endedBeforeShown) {
            // Shown by show() rather than exec(): end right after it starts.
            QTimer::singleShot(0, this, [this] { QDialog::done(endResult); });
        }
    }
    QDialog::setVisible(visible);
}

void PropertySheet::accept()
{
    tryAccept();
}

void PropertySheet::reject()
{
    cancel();
}

void PropertySheet::initialize()
{
    if (initialized)
        return;
    initialized = true;
    initializeDialog();
    if (!endedBeforeShown)
        openAtDesignSize();
}

void PropertySheet::openAtDesignSize()
{
    PropertyPage *page = currentPage();
    if (pageDesignSize.isEmpty() || !page)
        return;
    // Only the first page is built yet: the room around it is what the sheet adds.
    const QSize frame = (sizeHint() - page->sizeHint()).expandedTo(QSize(0, 0));
    resize((dialogUnitsToPixels(pageDesignSize, fontMetrics()) + frame).expandedTo(sizeHint()));
}

void PropertySheet::initializeDialog()
{
    if (pages.isEmpty())
        return;
    activate(qBound(0, firstPage, static_cast<int>(pages.size()) - 1));
}

void PropertySheet::tryAccept()
{
    if (leaveActivePage())
        closeAccepted();
}

bool PropertySheet::leaveActivePage()
{
    PropertyPage *current = currentPage();
    return !current || current->validatePage();
}

void PropertySheet::closeAccepted()
{
    for (PropertyPage *page : pages) {
        if (page->isCreated())
            page->acceptPage();
    }
    done(Accepted);
}

void PropertySheet::cancel()
{
    for (PropertyPage *page : pages) {
        if (page->isCreated())
            page->rejectPage();
    }
    done(Rejected);
}

void PropertySheet::closeRequested()
{
    cancel();
}

bool PropertySheet::event(QEvent *event)
{
    if (event->type() == QEvent::EnterWhatsThisMode) {
        QWhatsThis::leaveWhatsThisMode();
        contextHelpRequested();
        return true;
    }
    return QDialog::event(event);
}

void PropertySheet::closeEvent(QCloseEvent *event)
{
    event->ignore();
    closeRequested();
    if (isHidden())
        event->accept();
}

void PropertySheet::onTabBarChanged(int index)
{
    if (switching || !initialized || index == activeIndex)
        return;
    // Put the old tab back while the page decides; switch only once it has let go.
    {
        QScopedValueRollback guard(switching, true);
        tabs->setCurrentIndex(activeIndex);
    }
    setCurrentIndex(index);
}

void PropertySheet::activate(int index)
{
    PropertyPage *page = pages[index];
    if (!page->isCreated()) {
        page->create();
        keepButtonsLast();
    }
    {
        QScopedValueRollback guard(switching, true);
        tabs->setCurrentIndex(index);
    }
    activeIndex = index;
    page->activatePage();
}

// A page's controls are made when it is first shown, after the buttons: the keyboard should
// still reach them first, then the buttons along the bottom, as the sheet reads.
void PropertySheet::keepButtonsLast()
{
    QList<QWidget *> buttons;
    for (QPushButton *b : rowButtons)
        buttons.append(b);
    QWidget *last = nullptr;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        // Qt orders only widgets that take the focus.
        if (!w->isWindow() && isAncestorOf(w) && !buttons.contains(w) &&
            !bandControls.contains(w) && w->focusPolicy() != Qt::NoFocus)
            last = w;
    }
    if (!last)
        return;
    for (QWidget *b : buttons) {
        setTabOrder(last, b);
        last = b;
    }
    // A notice band reads before the tabs: after the buttons, the keyboard comes round to it.
    for (QWidget *control : bandControls) {
        setTabOrder(last, control);
        last = control;
    }
    if (!bandControls.isEmpty())
        setTabOrder(last, tabs->tabBar());
}

void PropertySheet::step(int delta)
{
    const int count = static_cast<int>(pages.size());
    if (count > 1 && activeIndex >= 0)
        setCurrentIndex((activeIndex + delta + count) % count);
}
