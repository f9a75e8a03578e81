#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

// A group of destination rows on the Cellular tab, each a field with its To/BCC pair. Its first
// row sits 20 pixels below its top edge (right under the title where a large font makes that
// taller) and its bottom edge 10 pixels below its last shown row. Hidden, it keeps the height
// it last had, so that the group stacked below it stays put.
class DestinationGroupBox : public QGroupBox
{
public:
    DestinationGroupBox(const QString &title, QWidget *parent);

    // A text above the rows, shown while any row is.
    void addHeader(QLabel *text);
    // The next row. Its To/BCC pair is exclusive on its own; it is shown with the field where
    // `kindShown`, and otherwise never (it still carries the stored kind through load and save).
    void addRow(QLineEdit *field, const std::array<QRadioButton *, 2> &kind, bool kindShown);
    // Shows the first `count` rows and hides the others, which keep their texts for a carrier
    // that offers them again; with none the group hides, keeping its place.
    void showRows(int count);
    // Names each row by the group's title and `row` ("number %1"), so that a screen reader
    // tells the rows apart; its To and BCC say their row too. Again after a change of the title.
    void nameRows(const QString &row);

    // Makes room for another title the group may take, so that a change of the title does
    // not widen the page.
    void reserveTitle(const QString &title) { reservedTitle = title; }

    // Where the access key of the title leads. A plain group box would prefer a chosen radio
    // button (a To) to the field of the same row.
    void setAccessKeyTarget(QWidget *field) { accessKeyTarget = field; }

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Row
    {
        QLineEdit *field;
        std::array<QRadioButton *, 2> kind;
        bool kindShown;
    };

    // Call before hiding any of its rows: the height kept is the one the group has now.
    void hideKeepingPlace();
    void showAgain();
    // The group's own margins hold its frame and title; the layout adds what is left.
    void fitMargins();

    QVBoxLayout *rowLayout;
    QList<QLabel *> headers;
    QList<Row> rows;
    bool placeKept = false;
    QString reservedTitle;
    QWidget *accessKeyTarget = nullptr;
};
