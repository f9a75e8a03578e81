#include "app/card_differences_dialog.h"

#include "framework/platform_services.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CardDifferencesDialog::CardDifferencesDialog(const std::vector<SettingDifference> &differences,
                                             const QString &cardName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("cardDifferences"));
    setWindowTitle(tr("Settings That Differ"));
    auto *intro = new QLabel(
        tr("The settings in which this computer's copy and the card %1 differ:").arg(cardName),
        this);
    intro->setWordWrap(true);

    table = new QTableWidget(static_cast<int>(differences.size()), 4, this);
    table->setObjectName(QStringLiteral("differences"));
    table->setHorizontalHeaderLabels(
        {tr("Tab"), tr("Setting"), tr("This computer"), tr("The card %1").arg(cardName)});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->setWordWrap(false);
    for (int row = 0; row < static_cast<int>(differences.size()); ++row) {
        const SettingDifference &difference = differences[static_cast<std::size_t>(row)];
        const QString cells[] = {fromUtf8(difference.setting->tab), fromUtf8(difference.label),
                                 fromUtf8(difference.first), fromUtf8(difference.second)};
        for (int column = 0; column < 4; ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    intro->setBuddy(table);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *copyButton = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copyDifferences"));
    copyButton->setAutoDefault(false);
    connect(copyButton, &QPushButton::clicked, this, [this] { copy(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    resize(table->horizontalHeader()->length() + 60, 360);
    table->setFocus();
}

QString CardDifferencesDialog::copiedText() const
{
    std::set<int> rows;
    for (const QModelIndex &index : table->selectionModel()->selectedRows())
        rows.insert(index.row());
    if (rows.empty()) {
        for (int row = 0; row < table->rowCount(); ++row)
            rows.insert(row);
    }
    QStringList lines;
    QStringList heading;
    for (int column = 0; column < table->columnCount(); ++column)
        heading << table->horizontalHeaderItem(column)->text();
    lines << heading.join(QLatin1Char('\t'));
    for (const int row : rows) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << table->item(row, column)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void CardDifferencesDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CardDifferencesDialog::copy()
{
    platformServices().setClipboardText(copiedText());
}
