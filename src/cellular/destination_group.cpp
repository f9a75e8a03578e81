#include "cellular/destination_group.h"

#include "framework/accessibility.h"
#include "framework/keyboard_access.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QVBoxLayout>

namespace {

// From a group's top edge to its first row; from its last field to its bottom edge, in pixels.
constexpr int kFirstRowOffset = 20;
constexpr int kBottomGap = 10;

} // namespace

DestinationGroupBox::DestinationGroupBox(const QString &title, QWidget *parent)
    : QGroupBox(title, parent), rowLayout(new QVBoxLayout(this))
{
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    fitMargins();
}

void DestinationGroupBox::addHeader(QLabel *text)
{
    headers.append(text);
    rowLayout->addWidget(text);
}

void DestinationGroupBox::addRow(QLineEdit *field, const std::array<QRadioButton *, 2> &kind,
                                 bool kindShown)
{
    auto *pair = new QButtonGroup(this);
    pair->addButton(kind[0], 0);
    pair->addButton(kind[1], 1);
    rows.append({field, kind, kindShown});
    if (!kindShown) {
        // A number's width: the fields do not stretch across the page.
        rowLayout->addWidget(field, 0, Qt::AlignLeft);
        for (QRadioButton *radio : kind)
            radio->hide();
        return;
    }
    tabStopAtCheckedRadio({kind[0], kind[1]});
    auto *row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(kind[0]);
    row->addWidget(kind[1]);
    rowLayout->addLayout(row);
}

void DestinationGroupBox::showRows(int count)
{
    if (count == 0)
        hideKeepingPlace();
    for (QLabel *header : headers)
        header->setVisible(count > 0);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Row &row = rows[i];
        const bool shown = i < count;
        row.field->setVisible(shown);
        if (row.kindShown) {
            for (QRadioButton *radio : row.kind)
                radio->setVisible(shown);
        }
    }
    if (count > 0)
        showAgain();
}

void DestinationGroupBox::nameRows(const QString &row)
{
    const QString groupName = withoutAccessKey(title());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString rowName = row.arg(i + 1);
        setAccessibleLabel(rows[i].field, groupName + QStringLiteral(", ") + rowName);
        for (QRadioButton *radio : rows[i].kind)
            setAccessibleLabel(radio,
                               withoutAccessKey(radio->text()) + QStringLiteral(", ") + rowName);
    }
}

QSize DestinationGroupBox::minimumSizeHint() const
{
    QSize size = QGroupBox::minimumSizeHint();
    if (reservedTitle.isEmpty())
        return size;
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.text = reservedTitle;
    const QFontMetrics metrics = fontMetrics();
    const QSize text(metrics.horizontalAdvance(reservedTitle + QLatin1Char(' ')), metrics.height());
    return size.expandedTo(style()->sizeFromContents(QStyle::CT_GroupBox, &option, text, this));
}

void DestinationGroupBox::hideKeepingPlace()
{
    if (!placeKept) {
        setFixedHeight(sizeHint().height());
        placeKept = true;
    }
    hide();
}

void DestinationGroupBox::showAgain()
{
    if (placeKept) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        placeKept = false;
    }
    show();
}

bool DestinationGroupBox::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && accessKeyTarget && accessKeyTarget->isVisible() &&
        accessKeyTarget->isEnabled()) {
        accessKeyTarget->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QGroupBox::event(event);
}

void DestinationGroupBox::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event); // recomputes the frame for the title first
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitMargins();
}

void DestinationGroupBox::fitMargins()
{
    const QMargins frame = contentsMargins();
    const QMargins current = rowLayout->contentsMargins();
    rowLayout->setContentsMargins(current.left(), qMax(0, kFirstRowOffset - frame.top()),
                                  current.right(), qMax(0, kBottomGap - frame.bottom()));
}
