// Every window of the editor as a new user meets it: the main sheet on each of its tabs, its
// dialogs, the schedule sheets and the two card dialogs, at the default font and at twice its
// size. Nothing may be clipped, a window may not shrink below what its controls need, the main
// sheet opens with room for every tab, no two controls of a window share an access key, every
// access key reaches its control, and Enter and Escape answer every dialog.
//
// With VELOMAR_GRAB_DIR set, each window is also saved there as a PNG (run with
// QT_SCALE_FACTOR=2 for the 200% pictures).

#include "cards/no_card_dialog.h"
#include "cards/select_card_dialog.h"
#include "focus_chain.h"
#include "gui_test.h"
#include "pages/date_time_dialog.h"
#include "pages/internal_trigger_dialog.h"
#include "schedule/schedule_ctrl.h"
#include "schedule/schedule_sheet.h"
#include "sheet_run.h"
#include "shown_text.h"
#include "wheel_notch.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Two made-up cards, one with a long name, so that the card list has something to show.
class TwoCards : public platform::VolumeSource
{
public:
    std::vector<std::string> candidateDrives() override
    {
        return {"/media/user/TRAIL CAMERA NORTH", "/media/user/3A5F-1C2B"};
    }
    bool isRemovable(const std::string &) override { return true; }
    std::optional<platform::VolumeInformation> volumeInformation(const std::string &root) override
    {
        if (root == "/media/user/TRAIL CAMERA NORTH")
            return platform::VolumeInformation{"TRAIL CAMERA NORTH", "FAT32", "2468-ACE0"};
        return platform::VolumeInformation{"", "FAT", "1357-2468"};
    }
};

// The carrier chosen last time has the Cellular tab at its largest: four phone rows under the
// long title, then both e-mail rows.
const QByteArray kCarriers = "Quillmoor Mobile;2;4;1;1\nBrackenfield Wireless;1;2;0;0\n";

// A record with every control in use: the Advanced quickset, an hourly time lapse (a burst
// fits), the cellular modem on, KeyBolt on.
CameraSettings everythingInUse()
{
    CameraSettings s;
    s.ResetAll();
    s.SetStoredQuickset(QuicksetAdvanced);
    s.SetTimeLapseOn(true);
    s.core.timeLapseInterval = MakeInterval(IntervalUnit::Hours, 1);
    s.SetCellularOff(false);
    s.SetKeyBoltOn(true);
    // The time-lapse schedule is all off after a factory reset; its sheet could not be left.
    s.core.timeLapseDaySchedule = s.core.triggerDaySchedule;
    return s;
}

// What a row of a table changes before its window opens: the record (every control in use
// unless the row says otherwise), and the carrier list with the carrier chosen last time, which
// the main sheet's Cellular tab reads when it is made.
struct Arrangement
{
    std::function<void(CameraSettings &)> record;
    QByteArray carriers = kCarriers;
    std::optional<QByteArray> lastCarrier = QByteArray("0", 2);
};

const QStringList kSheetTabs = {"sheet-triggers", "sheet-time-lapse", "sheet-images",
                                "sheet-cellular", "sheet-other"};

const QStringList kWindows = kSheetTabs + QStringList{"internal-trigger-settings",
                                                      "set-date-time",
                                                      "trigger-schedule-daily",
                                                      "trigger-schedule-dual",
                                                      "time-lapse-schedule",
                                                      "no-card",
                                                      "select-card"};

// One window of the editor, open and active, with what it needs to live: the main sheet in a
// run of its own, or a dialog over a record of its own.
class OpenWindow
{
public:
    // False when the window did not come up as asked; `failure` says why.
    [[nodiscard]] bool open(const QString &name, bool readOnly, const Arrangement &arrangement = {})
    {
        CameraSettings record = everythingInUse();
        if (arrangement.record)
            arrangement.record(record);
        const int tab = static_cast<int>(kSheetTabs.indexOf(name));
        if (tab >= 0) {
            run = std::make_unique<SheetRun>();
            run->app.readOnly = readOnly;
            if (!run->writeLocal(record) ||
                !run->folder.write(QStringLiteral("carriers.dat"), arrangement.carriers) ||
                (arrangement.lastCarrier &&
                 !run->folder.write(QStringLiteral("carriers2.dat"), *arrangement.lastCarrier)))
                return fail(QStringLiteral("cannot write the sheet's files"));
            if (!run->open())
                return fail(QStringLiteral("the sheet did not become active"));
            window = run->sheet.get();
            if (!run->sheet->setCurrentIndex(tab))
                return fail(QStringLiteral("the sheet did not show tab %1").arg(tab));
            return true;
        }
        dialogs = std::make_unique<DialogRun<QDialog>>();
        dialogs->settings = record;
        dialogs->app.readOnly = readOnly;
        CameraSettings &settings = dialogs->settings;
        std::unique_ptr<QDialog> made;
        if (name == QLatin1String("internal-trigger-settings")) {
            auto dialog = std::make_unique<CInternalTriggerDlg>(settings);
            dialog->setReadOnly(readOnly);
            made = std::move(dialog);
        } else if (name == QLatin1String("set-date-time")) {
            made = std::make_unique<CDateTimeDlg>(settings);
        } else if (name.startsWith(QLatin1String("trigger-schedule"))) {
            made = std::make_unique<CScheduleSheet>(stringText(124), nullptr, false, 0, settings,
                                                    dialogs->app);
        } else if (name == QLatin1String("time-lapse-schedule")) {
            made = std::make_unique<CScheduleSheet>(stringText(125), nullptr, true, 0, settings,
                                                    dialogs->app);
        } else if (name == QLatin1String("no-card")) {
            made = std::make_unique<CNoCardDlg>();
        } else if (name == QLatin1String("select-card")) {
            auto dialog = std::make_unique<CSelectCardDlg>(cards);
            dialog->ScanCards();
            made = std::move(dialog);
        } else {
            return fail(QStringLiteral("no window %1").arg(name));
        }
        if (!dialogs->show(std::move(made)))
            return fail(name + QStringLiteral(" did not become active"));
        window = dialogs->dialog.get();
        if (name.endsWith(QLatin1String("dual")) &&
            !static_cast<CScheduleSheet *>(window)->setCurrentIndex(1))
            return fail(QStringLiteral("the dual schedule tab was refused"));
        return true;
    }

    ScriptedMessages &messages() const { return run ? run->messages : dialogs->messages; }

    QWidget *window = nullptr;
    TwoCards cards;                              // before the card list that reads it
    std::unique_ptr<SheetRun> run;               // the main sheet's
    std::unique_ptr<DialogRun<QDialog>> dialogs; // everything else's
    QString failure;

private:
    bool fail(const QString &why)
    {
        failure = why;
        return false;
    }
};

// What a person can see of `window`, the window itself excluded.
QList<QWidget *> visibleChildren(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isWindow() && child->isVisibleTo(window))
            out.append(child);
    }
    return out;
}

QString textOf(const QWidget *w)
{
    if (auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (auto *box = qobject_cast<const QGroupBox *>(w))
        return box->title();
    return {};
}

QString describe(const QWidget *w)
{
    return QStringLiteral("%1 \"%2\" (%3)")
        .arg(QString::fromLatin1(w->metaObject()->className()), shown(textOf(w)), w->objectName());
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The room a drop-down list needs to show its current entry whole, measured as the list
// measures its entries for its own size.
QSize comboNeeds(const QComboBox *list)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    option.frame = list->hasFrame();
    option.currentText = list->currentText();
    const QFontMetrics metrics = list->fontMetrics();
    const QSize text(metrics.boundingRect(list->currentText()).width(), metrics.height());
    return list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, list);
}

// Where something of `window` is cut short: outside its parent, below its minimum size, or
// with a text it cannot show whole. Empty when nothing is.
QStringList clipping(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : visibleChildren(window)) {
        const QWidget *parent = w->parentWidget();
        // A scroll area shows a part of its contents on purpose.
        if (parent->objectName() == QLatin1String("qt_scrollarea_viewport"))
            continue;
        if (!parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1 lies outside its parent: %2 at %3,%4 in %5")
                          .arg(describe(w), sizeText(w->size()))
                          .arg(w->x())
                          .arg(w->y())
                          .arg(sizeText(parent->size()));
        if (auto *bar = qobject_cast<QTabBar *>(w)) {
            // Its minimum makes room for scroll arrows; what matters is each tab's text.
            const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
            for (int i = 0; i < bar->count(); ++i) {
                const int text = bar->fontMetrics().horizontalAdvance(shown(bar->tabText(i)));
                if (!bar->rect().contains(bar->tabRect(i)) ||
                    bar->tabRect(i).width() < text + padding)
                    faults << QStringLiteral("tab \"%1\" is cut").arg(shown(bar->tabText(i)));
            }
            continue;
        }
        const QSize minimum = w->minimumSizeHint();
        if (minimum.isValid() && (w->width() < minimum.width() || w->height() < minimum.height()))
            faults << QStringLiteral("%1 is squeezed: %2 for at least %3")
                          .arg(describe(w), sizeText(w->size()), sizeText(minimum));
        QSize wanted;
        if (auto *list = qobject_cast<QComboBox *>(w)) {
            wanted = comboNeeds(list);
        } else if (auto *label = qobject_cast<QLabel *>(w); label && label->wordWrap()) {
            wanted = QSize(0, label->heightForWidth(label->width()));
        } else if (!textOf(w).isEmpty() && !qobject_cast<QGroupBox *>(w)) {
            wanted = w->sizeHint();
        }
        if (w->width() < wanted.width() || w->height() < wanted.height())
            faults << QStringLiteral("%1 cuts its text: %2 for %3")
                          .arg(describe(w), sizeText(w->size()), sizeText(wanted));
    }
    return faults;
}

void saveGrab(QWidget *window, const QString &name)
{
    const QByteArray folder = qgetenv("VELOMAR_GRAB_DIR");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    window->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name +
                        QStringLiteral(".png"));
}

// The application font at `scale` times its size while this lives.
class ScaledFont
{
public:
    explicit ScaledFont(qreal scale) : previous(QApplication::font())
    {
        QFont font = previous;
        font.setPointSizeF(previous.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~ScaledFont() { QApplication::setFont(previous); }
    ScaledFont(const ScaledFont &) = delete;
    ScaledFont &operator=(const ScaledFont &) = delete;

private:
    QFont previous;
};

// The role a screen reader announces for each kind of control the windows use; none for a
// kind that no rule here knows yet.
QAccessible::Role expectedRole(const QWidget *w)
{
    if (qobject_cast<const QRadioButton *>(w))
        return QAccessible::RadioButton;
    if (qobject_cast<const QCheckBox *>(w))
        return QAccessible::CheckBox;
    if (qobject_cast<const QPushButton *>(w))
        return QAccessible::Button;
    if (qobject_cast<const QLineEdit *>(w))
        return QAccessible::EditableText;
    if (qobject_cast<const QComboBox *>(w))
        return QAccessible::ComboBox;
    if (qobject_cast<const QSlider *>(w))
        return QAccessible::Slider;
    if (qobject_cast<const QTabBar *>(w))
        return QAccessible::PageTabList;
    if (qobject_cast<const CScheduleCtrl *>(w))
        return QAccessible::Table;
    if (qobject_cast<const QListWidget *>(w))
        return QAccessible::List;
    return QAccessible::NoRole;
}

// The name a screen reader announces. On Linux a drop-down list's own name is its entry:
// its name is read from the labels that name it.
QString spokenName(QAccessibleInterface *iface)
{
    if (iface->role() != QAccessible::ComboBox)
        return iface->text(QAccessible::Name);
    QStringList labels;
    for (const auto &[label, relation] : iface->relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    return labels.join(QLatin1Char(' '));
}

// The texts a sighted person reads as the label of `w`: a button's own text, or a field's
// labels and the title of the group it sits in. A button without text is named by its place
// (a row and a column), which no rule here reads.
QStringList visibleLabels(QWidget *w, QWidget *window)
{
    if (qobject_cast<QAbstractButton *>(w))
        return textOf(w).isEmpty() ? QStringList() : QStringList{shown(textOf(w))};
    QStringList labels;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy() == w && label->isVisibleTo(window))
            labels << shown(label->text());
    }
    if (auto *group = qobject_cast<QGroupBox *>(w->parentWidget());
        group && !group->title().isEmpty())
        labels << shown(group->title());
    return labels;
}

// What a control holds as a person sees it, and as a screen reader reads it; both empty for a
// control that holds no value.
std::pair<QString, QString> heldValue(QWidget *w, QAccessibleInterface *iface)
{
    if (auto *field = qobject_cast<QLineEdit *>(w))
        return {field->text(), iface->text(QAccessible::Value)};
    if (auto *list = qobject_cast<QComboBox *>(w))
        return {list->currentText(), iface->text(QAccessible::Value)};
    if (auto *slider = qobject_cast<QSlider *>(w))
        return {QString::number(slider->value()),
                iface->valueInterface() ? iface->valueInterface()->currentValue().toString()
                                        : QString()};
    return {};
}

// One row a window, and one more at a doubled font and for each sheet tab read-only where asked.
void addWindowRows(bool withLargeFont, bool withReadOnly = false)
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<qreal>("fontScale");
    QTest::addColumn<bool>("readOnly");
    for (const QString &name : kWindows) {
        QTest::newRow(qPrintable(name)) << name << 1.0 << false;
        if (withLargeFont)
            QTest::newRow(qPrintable(name + QStringLiteral(" large font"))) << name << 2.0 << false;
    }
    if (!withReadOnly)
        return;
    for (const QString &name : kSheetTabs)
        QTest::newRow(qPrintable(name + QStringLiteral(" read only"))) << name << 1.0 << true;
}

// A control that the keyboard reaches with Alt and a letter: a button, a label (for its buddy),
// a group box (for its first field) or a tab.
struct AccessKey
{
    QChar key;
    QWidget *control = nullptr;
    QTabBar *tabBar = nullptr;
    int tab = -1;
};

QList<AccessKey> accessKeys(QWidget *window)
{
    QList<AccessKey> keys;
    for (QWidget *w : visibleChildren(window)) {
        if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                keys.append({accessKey(bar->tabText(i)), nullptr, bar, i});
        } else if (!textOf(w).isEmpty()) {
            keys.append({accessKey(textOf(w)), w});
        }
    }
    return keys;
}

QString nameOf(const AccessKey &k)
{
    return k.tabBar ? QStringLiteral("tab \"%1\"").arg(shown(k.tabBar->tabText(k.tab)))
                    : describe(k.control);
}

// Controls that have no access key on purpose: Enter and Escape are OK's and Cancel's; the
// To/BCC pairs and the dual schedule's day buttons and All On/All Off pairs repeat their
// texts, so that keys would clash; the rest are named by a neighbour's key.
bool keyless(const QWidget *w)
{
    static const QStringList names = {"okButton",         "cancelButton",       "emailTo1",
                                      "emailBcc1",        "emailTo2",           "emailBcc2",
                                      "schedule1AllOn",   "schedule1AllOff",    "schedule2AllOn",
                                      "schedule2AllOff",  "sundaySchedule1",    "mondaySchedule1",
                                      "tuesdaySchedule1", "wednesdaySchedule1", "thursdaySchedule1",
                                      "fridaySchedule1",  "saturdaySchedule1"};
    return names.contains(w->objectName());
}

// Where the access key of a group's title leads: the group's one field, its chosen day, its
// grid; the first address rather than the chosen To beside it.
QString groupKeyTarget(const QString &group)
{
    static const QMap<QString, QString> targets = {{"quietPeriodGroup", "quietPeriod"},
                                                   {"sensitivityGroup", "sensitivity"},
                                                   {"emailGroup", "email1"},
                                                   {"assignGroup", "sundaySchedule1"},
                                                   {"scheduleGroup", "scheduleGrid"},
                                                   {"schedule1Group", "schedule1Grid"},
                                                   {"schedule2Group", "schedule2Grid"}};
    return targets.value(group, QStringLiteral("(no access key expected on %1)").arg(group));
}

// Presses Alt and `key` where a person would: on the window, whatever has the focus.
void pressAccessKey(QWidget *window, QChar key)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, key.toLatin1(), Qt::AltModifier);
}

} // namespace

Q_DECLARE_METATYPE(Arrangement)

class TestWindowSurvey : public GuiTest
{
    Q_OBJECT

private slots:
    // A screen reader reads every control a person can reach with the right role, by a name
    // of its own that holds the label a sighted person sees beside it, and with the value
    // that it shows.
    void everyControlIsReadByName_data() { addWindowRows(false, true); }
    void everyControlIsReadByName()
    {
        QFETCH(QString, window);
        QFETCH(bool, readOnly);
        OpenWindow w;
        QVERIFY2(w.open(window, readOnly), qPrintable(w.failure));
        QMap<QString, QString> named;
        for (QWidget *control : visibleChildren(w.window)) {
            if (control->focusPolicy() == Qt::NoFocus || control->focusProxy())
                continue;
            const QString what = describe(control);
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(iface, qPrintable(what));
            const QAccessible::Role role = expectedRole(control);
            QVERIFY2(role != QAccessible::NoRole,
                     qPrintable(what + ": a kind of control new here"));
            QVERIFY2(iface->role() == role, qPrintable(what + " is read as another kind"));

            const QString name = spokenName(iface);
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(what + " has no name"));
            const QStringList labels = visibleLabels(control, w.window);
            QVERIFY2(labels.isEmpty() ||
                         std::any_of(labels.begin(), labels.end(),
                                     [&](const QString &label) { return name.contains(label); }),
                     qPrintable(what + " is read as \"" + name + "\", not by " +
                                labels.join(QStringLiteral(" or "))));
            QVERIFY2(!named.contains(name), qPrintable(what + " and " + named.value(name) +
                                                       " are both read as \"" + name + "\""));
            named.insert(name, what);

            const auto [shownValue, readValue] = heldValue(control, iface);
            QVERIFY2(readValue == shownValue,
                     qPrintable(what + " is read as holding \"" + readValue + "\""));
        }
        QVERIFY(!named.isEmpty());
    }

    void nothingIsClipped_data() { addWindowRows(true, true); }
    void nothingIsClipped()
    {
        QFETCH(QString, window);
        QFETCH(qreal, fontScale);
        QFETCH(bool, readOnly);
        ScaledFont font(fontScale);
        OpenWindow w;
        QVERIFY2(w.open(window, readOnly), qPrintable(w.failure));
        saveGrab(w.window, QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
        const QStringList faults = clipping(w.window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // However small a person drags a window, the layouts keep what its controls need.
    void windowsDoNotShrinkBelowTheirControls_data() { addWindowRows(true); }
    void windowsDoNotShrinkBelowTheirControls()
    {
        QFETCH(QString, window);
        QFETCH(qreal, fontScale);
        ScaledFont font(fontScale);
        OpenWindow w;
        QVERIFY2(w.open(window, false), qPrintable(w.failure));
        const QSize needed = w.window->layout()->totalMinimumSize();
        w.window->resize(1, 1);
        QCoreApplication::processEvents();
        QVERIFY2(w.window->width() >= needed.width() && w.window->height() >= needed.height(),
                 qPrintable(sizeText(w.window->size()) + " for " + sizeText(needed)));
        const QStringList faults = clipping(w.window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // The sheet does not change its size from tab to tab: it opens with room for the largest.
    void sheetOpensWithRoomForEveryTab_data()
    {
        QTest::addColumn<qreal>("fontScale");
        QTest::newRow("default font") << 1.0;
        QTest::newRow("large font") << 2.0;
    }
    void sheetOpensWithRoomForEveryTab()
    {
        QFETCH(qreal, fontScale);
        ScaledFont font(fontScale);
        OpenWindow w;
        QVERIFY2(w.open(kSheetTabs.first(), false), qPrintable(w.failure));
        CKestraSheet *sheet = w.run->sheet.get();
        const QSize opened = sheet->size();
        for (int tab = 0; tab < sheet->pageCount(); ++tab) {
            QVERIFY(sheet->setCurrentIndex(tab));
            QCoreApplication::processEvents();
            QCOMPARE(sheet->size(), opened);
            const PropertyPage *page = sheet->page(tab);
            QVERIFY2(page->width() >= page->sizeHint().width() &&
                         page->height() >= page->sizeHint().height(),
                     qPrintable(shown(page->caption()) + ": " + sizeText(page->size()) + " for " +
                                sizeText(page->sizeHint())));
        }
    }

    void accessKeysAreUniqueAndWhereExpected_data() { addWindowRows(false); }
    void accessKeysAreUniqueAndWhereExpected()
    {
        QFETCH(QString, window);
        OpenWindow w;
        QVERIFY2(w.open(window, false), qPrintable(w.failure));
        QMap<QChar, QString> taken;
        for (const AccessKey &k : accessKeys(w.window)) {
            if (k.key.isNull()) {
                QVERIFY2(k.control &&
                             (keyless(k.control) || !qobject_cast<QAbstractButton *>(k.control)),
                         qPrintable(nameOf(k) + " has no access key"));
                continue;
            }
            QVERIFY2(!k.control || !keyless(k.control),
                     qPrintable(nameOf(k) + " should have no access key"));
            QVERIFY2(!taken.contains(k.key), qPrintable(QStringLiteral("%1 and %2 share Alt+%3")
                                                            .arg(taken.value(k.key), nameOf(k))
                                                            .arg(k.key)));
            taken.insert(k.key, nameOf(k));
            if (auto *label = qobject_cast<QLabel *>(k.control))
                QVERIFY2(label->buddy(), qPrintable(nameOf(k) + " has a key but no buddy"));
        }
    }

    // Alt and the letter: a label's buddy or a group's field takes the focus, a check box
    // toggles, a radio button is chosen, a push button is pressed, a tab is shown.
    void accessKeysReachTheirControls_data() { addWindowRows(false); }
    void accessKeysReachTheirControls()
    {
        QFETCH(QString, window);
        OpenWindow w;
        QVERIFY2(w.open(window, false), qPrintable(w.failure));
        // Fields first, then check boxes, then radios, each kind from the bottom up, and the
        // tabs last: a radio may disable what follows it (a quickset, Off), and going up
        // the radio that undoes it comes later.
        QList<AccessKey> keys = accessKeys(w.window);
        const auto rank = [](const AccessKey &k) {
            if (k.tabBar)
                return 4;
            if (qobject_cast<QRadioButton *>(k.control))
                return 3;
            if (qobject_cast<QCheckBox *>(k.control))
                return 2;
            return qobject_cast<QPushButton *>(k.control) ? 1 : 0;
        };
        std::reverse(keys.begin(), keys.end());
        std::stable_sort(keys.begin(), keys.end(),
                         [&](const AccessKey &a, const AccessKey &b) { return rank(a) < rank(b); });

        int pressed = 0;
        for (const AccessKey &k : keys) {
            if (k.key.isNull())
                continue;
            if (k.tabBar) {
                pressAccessKey(w.window, k.key);
                QTRY_COMPARE(k.tabBar->currentIndex(), k.tab);
                ++pressed;
                continue;
            }
            QWidget *control = k.control;
            if (!control->isVisible() || !control->isEnabled())
                continue;
            const QString what = nameOf(k);
            if (auto *label = qobject_cast<QLabel *>(control)) {
                if (!label->buddy()->isEnabled())
                    continue;
                pressAccessKey(w.window, k.key);
                QVERIFY2(QApplication::focusWidget() == label->buddy(), qPrintable(what));
            } else if (qobject_cast<QGroupBox *>(control)) {
                pressAccessKey(w.window, k.key);
                QVERIFY2(QApplication::focusWidget(), qPrintable(what));
                QCOMPARE(QApplication::focusWidget()->objectName(),
                         groupKeyTarget(control->objectName()));
            } else if (auto *push = qobject_cast<QPushButton *>(control)) {
                // Pressed, not clicked: what a click does is for each window's own tests.
                QSignalBlocker quiet(push);
                pressAccessKey(w.window, k.key);
                QVERIFY2(push->isDown(), qPrintable(what));
                QTRY_VERIFY(!push->isDown());
            } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
                const bool radio = qobject_cast<QRadioButton *>(button) != nullptr;
                const bool expected = radio || !button->isChecked();
                pressAccessKey(w.window, k.key);
                QVERIFY2(QApplication::focusWidget() == button, qPrintable(what));
                QTRY_COMPARE(button->isChecked(), expected);
            }
            ++pressed;
        }
        QVERIFY(pressed > 0);
        QVERIFY(w.messages().shown().isEmpty());
    }

    // Tab goes through a window top to bottom, left to right, each radio group one stop at its
    // chosen radio, the buttons last; Shift+Tab comes back the same way.
    void theKeyboardWalksEachWindowInOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<Arrangement>("arrangement");
        QTest::addColumn<QStringList>("chain");
        const QString bar = QStringLiteral("qt_tabwidget_tabbar");
        const QStringList sheetButtons = {"okButton", "cancelButton", "changeDateTime",
                                          "useFactorySettings", bar};
        const auto row = [](const char *name, const QString &window, bool readOnly,
                            const Arrangement &arrangement, const QStringList &chain) {
            QTest::newRow(name) << window << readOnly << arrangement << chain;
        };

        for (bool fast : {false, true}) {
            row(fast ? "Triggers, as fast as possible" : "Triggers, waiting between pictures",
                "sheet-triggers", false, {[fast](CameraSettings &s) { s.SetFastSequence(fast); }},
                QStringList{bar, "quicksetAdvanced", "picturesPerTrigger",
                            fast ? "fastSequence" : "waitBetweenPictures", "pictureInterval",
                            "quietPeriod", "useInternalTrigger", "internalTriggerSettings",
                            "useExternalTrigger", "viewTriggerSchedule"} +
                    sheetButtons);
        }

        // Only the chosen unit's list and, where a burst fits, the shot radios take part.
        const QStringList view = QStringList{"viewSchedule"} + sheetButtons;
        const auto timeLapse = [](std::uint16_t flags, std::uint16_t interval) {
            return Arrangement{[=](CameraSettings &s) {
                s.core.timeLapseFlags = flags;
                s.core.timeLapseInterval = interval;
            }};
        };
        const std::uint16_t on = flags::timeLapseOn;
        row("Time Lapse, off", "sheet-time-lapse", false,
            timeLapse(0, MakeInterval(IntervalUnit::Minutes, 5)),
            QStringList{bar, "timeLapseOff"} + view);
        row("Time Lapse, every 10 minutes, bursts", "sheet-time-lapse", false,
            timeLapse(on | flags::timeLapseBurst, MakeInterval(IntervalUnit::Minutes, 10)),
            QStringList{bar, "timeLapseMinutes", "minutesList", "takeMultiplePictures"} + view);
        row("Time Lapse, every 2 hours", "sheet-time-lapse", false,
            timeLapse(on, MakeInterval(IntervalUnit::Hours, 2)),
            QStringList{bar, "timeLapseHours", "hoursList", "takeOnePicture"} + view);
        row("Time Lapse, every 2 seconds: no burst fits", "sheet-time-lapse", false,
            timeLapse(on, MakeInterval(IntervalUnit::Seconds, 2)),
            QStringList{bar, "timeLapseSeconds", "secondsList"} + view);

        for (bool second : {false, true}) {
            row(second ? "Images, Celsius, 24 hr, low resolution" : "Images, factory choices",
                "sheet-images", false, {[second](CameraSettings &s) {
                    s.SetCelsius(second);
                    s.SetClock24h(second);
                    s.SetLowResolution(second);
                }},
                QStringList{bar, "label", "brightness", "contrast", "sharpness", "saturation",
                            second ? "celsius" : "fahrenheit", second ? "clock24h" : "clock12h",
                            "nightShutter", "nightIso", second ? "lowResolution" : "highResolution",
                            "printBorder"} +
                    sheetButtons);
        }

        // Carriers of every shape; the rows follow the chosen one.
        const QByteArray shapes = "Four and two;2;4;1;0\n"
                                  "Two after one;1;2;0;1\n";
        const auto cellular = [&](bool on, std::optional<QByteArray> lastCarrier, bool bcc) {
            return Arrangement{[=](CameraSettings &s) {
                                   s.SetCellularOff(!on);
                                   s.cellular.email1 = PackEmailAddress("owner@example.org", bcc);
                               },
                               shapes, lastCarrier};
        };
        const QStringList cellularStart = {bar, "useCellular", "sendDailyStatus", "carrierList"};
        row("Cellular, off: the box alone", "sheet-cellular", false,
            cellular(false, QByteArray("0", 2), false),
            QStringList{bar, "useCellular"} + sheetButtons);
        row("Cellular, no carrier chosen", "sheet-cellular", false,
            cellular(true, std::nullopt, false), cellularStart + sheetButtons);
        row("Cellular, phones first, four and two", "sheet-cellular", false,
            cellular(true, QByteArray("0", 2), false),
            cellularStart +
                QStringList{"phoneNumber1", "phoneNumber2", "phoneNumber3", "phoneNumber4",
                            "email1", "emailTo1", "email2", "emailTo2"} +
                sheetButtons);
        row("Cellular, an address first, then two phones", "sheet-cellular", false,
            cellular(true, QByteArray("1", 2), true),
            cellularStart + QStringList{"email1", "emailBcc1", "phoneNumber1", "phoneNumber2"} +
                sheetButtons);

        for (bool keyBolt : {false, true}) {
            QStringList chain = {bar,          "loopRecording", "hideLogo", "illuminatorOff",
                                 "startDelay", "useKeyBolt"};
            if (keyBolt)
                chain << "codeDigit1"
                      << "codeDigit2"
                      << "codeDigit3"
                      << "codeDigit4";
            row(keyBolt ? "Other, KeyBolt on: the four digits" : "Other, KeyBolt off: no digits",
                "sheet-other", false, {[keyBolt](CameraSettings &s) { s.SetKeyBoltOn(keyBolt); }},
                chain + sheetButtons);
        }

        row("Internal Trigger Settings", "internal-trigger-settings", false, {},
            {"sensitivity", "pulseCount", "pulseWindow", "okButton", "cancelButton",
             "sensitivity"});
        // Only Cancel is left to a read-only user; the focus stays there.
        row("Internal Trigger Settings, read only", "internal-trigger-settings", true, {},
            {"cancelButton", "cancelButton"});
        row("Set Date & Time", "set-date-time", false, {},
            {"hour", "minute", "amPm", "month", "day", "year", "okButton", "cancelButton", "hour"});

        const QStringList scheduleButtons = {"okButton", "cancelButton", bar};
        const QStringList daily =
            QStringList{bar, "scheduleGrid", "scheduleAllOn", "scheduleAllOff"} + scheduleButtons;
        row("Time Lapse Schedule", "time-lapse-schedule", false, {}, daily);
        row("Trigger Schedule, daily", "trigger-schedule-daily", false, {}, daily);
        // One stop a day, at the day's chosen button; the grids take their place in the order.
        const QStringList weekdays = {"mondaySchedule1", "tuesdaySchedule1", "wednesdaySchedule1",
                                      "thursdaySchedule1", "fridaySchedule1"};
        const QStringList grids =
            QStringList{"schedule1Grid", "schedule1AllOn", "schedule1AllOff",
                        "schedule2Grid", "schedule2AllOn", "schedule2AllOff"} +
            scheduleButtons;
        const auto days = [](int schedule2Mask) {
            return Arrangement{[=](CameraSettings &s) {
                for (int d = 1; d <= 7; ++d)
                    s.SetTriggerDayUsesSchedule2(d, (schedule2Mask >> (d - 1)) & 1);
            }};
        };
        row("Trigger Schedule, dual, every day on Schedule 1", "trigger-schedule-dual", false,
            days(0),
            QStringList{bar, "sundaySchedule1"} + weekdays + QStringList{"saturdaySchedule1"} +
                grids);
        row("Trigger Schedule, dual, the weekend on Schedule 2", "trigger-schedule-dual", false,
            days(0x41),
            QStringList{bar, "sundaySchedule2"} + weekdays + QStringList{"saturdaySchedule2"} +
                grids);

        row("No card", "no-card", false, {},
            {"retryButton", "readOnlyButton", "exitButton", "retryButton"});
        row("Select card", "select-card", false, {},
            {"cardList", "okButton", "cancelButton", "cardList"});
    }
    void theKeyboardWalksEachWindowInOrder()
    {
        QFETCH(QString, window);
        QFETCH(bool, readOnly);
        QFETCH(Arrangement, arrangement);
        QFETCH(QStringList, chain);
        OpenWindow w;
        QVERIFY2(w.open(window, readOnly, arrangement), qPrintable(w.failure));
        const TabWalk walk = walkBothWays(w.window, chain);
        QCOMPARE(walk.forward, expectedWalk(chain).forward);
        QCOMPARE(walk.backward, expectedWalk(chain).backward);
    }

    // The wheel steps a list or a slider only while it has the focus: over an unfocused one it
    // changes nothing and does not take the focus. A schedule grid scrolls on the wheel
    // without the focus, and its schedule stays as it was.
    void wheelChangesOnlyTheFocusedControl_data() { addWindowRows(false); }
    void wheelChangesOnlyTheFocusedControl()
    {
        QFETCH(QString, window);
        OpenWindow w;
        QVERIFY2(w.open(window, false), qPrintable(w.failure));
        QPushButton *elsewhere = nullptr;
        for (auto *button : w.window->findChildren<QPushButton *>()) {
            if (!elsewhere && button->isVisible() && button->isEnabled())
                elsewhere = button;
        }
        QVERIFY(elsewhere);
        for (QWidget *control : visibleChildren(w.window)) {
            auto *list = qobject_cast<QComboBox *>(control);
            auto *slider = qobject_cast<QSlider *>(control);
            if ((!list && !slider) || !control->isEnabled())
                continue;
            const auto value = [&] { return list ? list->currentIndex() : slider->value(); };
            const int before = value();
            elsewhere->setFocus();
            for (int notches : {1, -1, -1}) {
                turnWheel(control, notches);
                QVERIFY2(value() == before, qPrintable(describe(control) + " followed the wheel"));
                QVERIFY2(!control->hasFocus(), qPrintable(describe(control) + " took the focus"));
            }
            control->setFocus();
            turnWheel(control, 1);
            if (value() == before)
                turnWheel(control, -1);
            QVERIFY2(value() != before,
                     qPrintable(describe(control) + " did not follow the wheel with the focus"));
        }
        for (auto *grid : w.window->findChildren<CScheduleCtrl *>()) {
            if (!grid->isVisible())
                continue;
            elsewhere->setFocus();
            QList<int> schedule;
            for (int slot = 0; slot < 96; ++slot)
                schedule << grid->GetSlot(slot * 15);
            const int scrolled = grid->verticalScrollBar()->value();
            QVERIFY(grid->verticalScrollBar()->maximum() > scrolled);
            turnWheel(grid->viewport(), -1);
            QVERIFY2(grid->verticalScrollBar()->value() > scrolled,
                     qPrintable(describe(grid) + " did not scroll"));
            for (int slot = 0; slot < 96; ++slot)
                QCOMPARE(grid->GetSlot(slot * 15), schedule[slot]);
        }
        QVERIFY(w.messages().shown().isEmpty());
    }

    void enterAcceptsAndEscapeCancels_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        const int accepted = QDialog::Accepted;
        const int rejected = QDialog::Rejected;
        for (const QString &name : kWindows) {
            const bool noCard = name == QLatin1String("no-card");
            QTest::newRow(qPrintable(name + QStringLiteral(" Enter")))
                << name << int(Qt::Key_Return) << (noCard ? int(CNoCardDlg::Retry) : accepted);
            QTest::newRow(qPrintable(name + QStringLiteral(" Escape")))
                << name << int(Qt::Key_Escape) << (noCard ? int(CNoCardDlg::Exit) : rejected);
        }
    }
    void enterAcceptsAndEscapeCancels()
    {
        QFETCH(QString, window);
        QFETCH(int, key);
        QFETCH(int, result);
        OpenWindow w;
        QVERIFY2(w.open(window, false), qPrintable(w.failure));
        auto *dialog = qobject_cast<QDialog *>(w.window);
        QVERIFY(dialog);
        if (key == Qt::Key_Return && window.startsWith(QLatin1String("sheet")))
            w.messages().expect(114);
        if (key == Qt::Key_Return && window == QLatin1String("set-date-time")) {
            // It opens on the computer's clock and asks before it closes.
            QString question = stringText(118);
            question.replace(QLatin1String("%s"), QStringLiteral("9:05 AM, January 05, 2015"));
            w.messages().expect(question, MessageAnswer::Yes);
        }
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus && dialog->isAncestorOf(focus));
        QTest::keyClick(focus, static_cast<Qt::Key>(key));
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), result);
    }
};

QTEST_MAIN(TestWindowSurvey)
#include "tst_window_survey.moc"
