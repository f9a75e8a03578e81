#include "cellular/cellular_page.h"

#include "controls/char_filter_edit.h"
#include "framework/accessibility.h"
#include "framework/keyboard_access.h"
#include "framework/message_service.h"
#include "resources/string_table.h"
#include "settings/setting_rules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QVBoxLayout>

namespace {

using rules::kEmailMaxChars;
using rules::kPhoneMaxChars;

// Gaps of the destination stack, in pixels: between the carrier list and the first group and
// between the groups; from a group's top edge to its first row; from its last field to its
// bottom edge.
constexpr int kGroupGap = 10;
constexpr int kFirstRowOffset = 20;
constexpr int kBottomGap = 10;

QString fromLatin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts are stored one byte a character.
PhoneNumberWords packPhone(const QString &text, bool bcc)
{
    const QByteArray bytes = text.left(kPhoneMaxChars).toLatin1();
    return PackPhoneNumber(std::string_view(bytes.constData(), bytes.size()), bcc);
}

EmailAddressBytes packEmail(const QString &text, bool bcc)
{
    const QByteArray bytes = text.left(kEmailMaxChars).toLatin1();
    return PackEmailAddress(std::string_view(bytes.constData(), bytes.size()), bcc);
}

QRadioButton *makeRadio(const QString &text, const QString &name, QWidget *parent)
{
    auto *radio = new QRadioButton(text, parent);
    radio->setObjectName(name);
    return radio;
}

// Each To/BCC pair is exclusive on its own, whatever else shares its parent.
void pairUp(const std::array<QRadioButton *, 2> &pair, QObject *owner)
{
    auto *group = new QButtonGroup(owner);
    group->addButton(pair[0], 0);
    group->addButton(pair[1], 1);
}

// Names each row of a destination group by the group's title and the row, so that a screen
// reader tells the rows apart ("Destination Phone Numbers, number 2"); its To and BCC say their
// row too. The title changes with the carrier, and the names with it.
template <std::size_t N>
void nameRows(const QGroupBox *group, const std::array<CCharFilterEdit *, N> &edits,
              const std::array<std::array<QRadioButton *, 2>, N> &radios, const QString &row)
{
    const QString title = withoutAccessKey(group->title());
    for (std::size_t i = 0; i < N; ++i) {
        const QString rowName = row.arg(i + 1);
        setAccessibleLabel(edits[i], title + QStringLiteral(", ") + rowName);
        for (QRadioButton *radio : radios[i])
            setAccessibleLabel(radio,
                               withoutAccessKey(radio->text()) + QStringLiteral(", ") + rowName);
    }
}

} // namespace

// A destination group: its first row sits 20 pixels below its top edge (right under the title
// where a large font makes that taller) and its bottom edge 10 pixels below its last shown row.
// Hidden, it keeps the height it last had, so that the group stacked below it stays put.
class DestinationGroupBox : public QGroupBox
{
public:
    DestinationGroupBox(const QString &title, QWidget *parent)
        : QGroupBox(title, parent), rows(new QVBoxLayout(this))
    {
        QSizePolicy policy = sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        setSizePolicy(policy);
        fitMargins();
    }

    QVBoxLayout *rows;

    // Makes room for another title the group may take, so that a change of the title does
    // not widen the page.
    void reserveTitle(const QString &title) { reservedTitle = title; }

    // Where the access key of the title leads. A plain group box would prefer a chosen radio
    // button (a To) to the field of the same row.
    void setAccessKeyTarget(QWidget *field) { accessKeyTarget = field; }

    QSize minimumSizeHint() const override
    {
        QSize size = QGroupBox::minimumSizeHint();
        if (reservedTitle.isEmpty())
            return size;
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        option.text = reservedTitle;
        const QFontMetrics metrics = fontMetrics();
        const QSize text(metrics.horizontalAdvance(reservedTitle + QLatin1Char(' ')),
                         metrics.height());
        return size.expandedTo(style()->sizeFromContents(QStyle::CT_GroupBox, &option, text, this));
    }

    // Call before hiding any of its rows: the height kept is the one the group has now.
    void hideKeepingPlace()
    {
        if (!placeKept) {
            setFixedHeight(sizeHint().height());
            placeKept = true;
        }
        hide();
    }

    void showAgain()
    {
        if (placeKept) {
            setMinimumHeight(0);
            setMaximumHeight(QWIDGETSIZE_MAX);
            placeKept = false;
        }
        show();
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Shortcut && accessKeyTarget && accessKeyTarget->isVisible() &&
            accessKeyTarget->isEnabled()) {
            accessKeyTarget->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        return QGroupBox::event(event);
    }

    void changeEvent(QEvent *event) override
    {
        QGroupBox::changeEvent(event); // recomputes the frame for the title first
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            fitMargins();
    }

private:
    // The group's own margins hold its frame and title; the layout adds what is left.
    void fitMargins()
    {
        const QMargins frame = contentsMargins();
        const QMargins current = rows->contentsMargins();
        rows->setContentsMargins(current.left(), qMax(0, kFirstRowOffset - frame.top()),
                                 current.right(), qMax(0, kBottomGap - frame.bottom()));
    }

    bool placeKept = false;
    QString reservedTitle;
    QWidget *accessKeyTarget = nullptr;
};

CKTPageCellular::CKTPageCellular(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Cellular"), parent), settings(settings), app(app)
{
    setObjectName(QStringLiteral("cellularPage"));
}

CKTPageCellular::~CKTPageCellular() = default;

void CKTPageCellular::buildControls()
{
    auto *options = new QGroupBox(tr("Options"), this);
    options->setObjectName(QStringLiteral("optionsGroup"));
    useCellularBox = new QCheckBox(tr("&Use cellular"), options);
    useCellularBox->setObjectName(QStringLiteral("useCellular"));
    dailyStatusBox = new QCheckBox(tr("&Send daily status picture"), options);
    dailyStatusBox->setObjectName(QStringLiteral("sendDailyStatus"));
    auto *optionRows = new QVBoxLayout(options);
    optionRows->addWidget(useCellularBox);
    optionRows->addWidget(dailyStatusBox);

    auto *carrierLabel = new QLabel(tr("Select C&arrier:"), this);
    carrierList = new QComboBox(this);
    carrierList->setObjectName(QStringLiteral("carrierList"));
    carrierList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    carrierList->setMinimumContentsLength(24);
    carrierLabel->setBuddy(carrierList);
    auto *carrierRow = new QHBoxLayout;
    // Its own spacing: the page's layout, which it would inherit, has none.
    carrierRow->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, this));
    carrierRow->addWidget(carrierLabel);
    carrierRow->addWidget(carrierList, 1);

    phoneGroup = new DestinationGroupBox(tr("Destination Phone Numbers"), this);
    phoneGroup->setObjectName(QStringLiteral("phoneGroup"));
    phoneGroup->reserveTitle(errorMessagesTitle());
    phoneHint = new QLabel(tr("&Mobile Number (with Country/Area Code)"), phoneGroup);
    phoneHint->setObjectName(QStringLiteral("phoneHint"));
    phoneExample = new QLabel(tr("Ex: 1-555-555-1212 (1=U.S. Country Code)"), phoneGroup);
    phoneExample->setObjectName(QStringLiteral("phoneExample"));
    phoneGroup->rows->addWidget(phoneHint);
    phoneGroup->rows->addWidget(phoneExample);
    for (int i = 0; i < 4; ++i) {
        const QString number = QString::number(i + 1);
        phoneEdits[i] = new CCharFilterEdit(0, QString(), phoneGroup);
        phoneEdits[i]->setObjectName(QStringLiteral("phoneNumber") + number);
        // A number's width: the fields do not stretch across the page.
        phoneGroup->rows->addWidget(phoneEdits[i], 0, Qt::AlignLeft);
        phoneRadios[i] = {makeRadio(tr("To"), QStringLiteral("phoneTo") + number, phoneGroup),
                          makeRadio(tr("BCC"), QStringLiteral("phoneBcc") + number, phoneGroup)};
        pairUp(phoneRadios[i], this);
        for (QRadioButton *radio : phoneRadios[i])
            radio->hide();
    }

    // The hint names the numbers: its access key leads to the first one.
    phoneHint->setBuddy(phoneEdits[0]);
    for (CCharFilterEdit *edit : phoneEdits)
        edit->setAccessibleDescription(withoutAccessKey(phoneHint->text()) + QLatin1Char(' ') +
                                       phoneExample->text());

    // The group's title names the addresses: its access key leads to the first one.
    emailGroup = new DestinationGroupBox(tr("Destination &Email Addresses"), this);
    emailGroup->setObjectName(QStringLiteral("emailGroup"));
    for (int j = 0; j < 2; ++j) {
        const QString number = QString::number(j + 1);
        emailEdits[j] = new CCharFilterEdit(0, QString(), emailGroup);
        emailEdits[j]->setObjectName(QStringLiteral("email") + number);
        emailRadios[j] = {makeRadio(tr("To"), QStringLiteral("emailTo") + number, emailGroup),
                          makeRadio(tr("BCC"), QStringLiteral("emailBcc") + number, emailGroup)};
        pairUp(emailRadios[j], this);
        tabStopAtCheckedRadio({emailRadios[j][0], emailRadios[j][1]});
        auto *row = new QHBoxLayout;
        row->addWidget(emailEdits[j], 1);
        row->addWidget(emailRadios[j][0]);
        row->addWidget(emailRadios[j][1]);
        emailGroup->rows->addLayout(row);
    }
    emailGroup->setAccessKeyTarget(emailEdits[0]);
    nameDestinationRows();

    // Both groups stay hidden until a carrier is chosen.
    phoneGroup->hide();
    emailGroup->hide();

    auto *page = new QVBoxLayout(this);
    page->setSpacing(0);
    page->addWidget(options);
    page->addSpacing(
        style()->layoutSpacing(QSizePolicy::GroupBox, QSizePolicy::Label, Qt::Vertical));
    page->addLayout(carrierRow);
    page->addSpacing(kGroupGap);
    destinations = new QVBoxLayout;
    destinations->setSpacing(kGroupGap);
    destinations->addWidget(phoneGroup);
    destinations->addWidget(emailGroup);
    page->addLayout(destinations);
    page->addStretch(1);
    stackGroups(false);

    connect(useCellularBox, &QCheckBox::clicked, this, [this] { refresh(); });
    connect(carrierList, &QComboBox::currentIndexChanged, this, [this] {
        if (!settingCarrierList)
            OnCarrierChange();
    });
}

void CKTPageCellular::nameDestinationRows()
{
    nameRows(phoneGroup, phoneEdits, phoneRadios, tr("number %1"));
    nameRows(emailGroup, emailEdits, emailRadios, tr("address %1"));
}

QString CKTPageCellular::errorMessagesTitle()
{
    return tr("ERROR MESSAGES (Optional) - Text messaging rates may apply");
}

void CKTPageCellular::OnInitDialog()
{
    buildControls();
    PropertyPage::OnInitDialog();

    // The camera stores four-bit digit codes and seven-bit address characters: anything
    // beyond ASCII would be cut or changed on the way, so it cannot be typed at all.
    for (CCharFilterEdit *edit : phoneEdits) {
        edit->SetInvalidCharacters(QString::fromStdString(rules::PhoneForbiddenCharacters()));
        edit->SetHighestCharacter(rules::kDestinationHighestCharacter);
    }
    for (CCharFilterEdit *edit : emailEdits) {
        edit->SetInvalidCharacters(
            QString::fromLatin1(rules::kEmailForbidden.data(), rules::kEmailForbidden.size()));
        edit->SetHighestCharacter(rules::kDestinationHighestCharacter);
    }

    readCarrierList();

    // Every load disables the rest in a read-only run; the box itself only here.
    if (app.readOnly)
        useCellularBox->setEnabled(false);
}

void CKTPageCellular::readCarrierList()
{
    const CarrierList list = ReadCarrierList(carriers);
    {
        QScopedValueRollback guard(settingCarrierList, true);
        carrierList->clear();
        if (!list.fileFound) {
            carrierList->addItem(tr("No Carriers File Found"));
        } else {
            for (const std::string &name : list.names)
                carrierList->addItem(fromLatin1(name));
        }
        // A drop-down list starts with nothing chosen.
        carrierList->setCurrentIndex(-1);
        if (list.preselect)
            carrierList->setCurrentIndex(*list.preselect);
    }
    if (list.preselect)
        OnCarrierChange();
}

void CKTPageCellular::applyEnabling()
{
    const bool enabled = useCellular == 1 && !app.readOnly;
    dailyStatusBox->setEnabled(enabled);
    for (CCharFilterEdit *edit : phoneEdits)
        edit->setEnabled(enabled);
    for (const auto &pair : phoneRadios) {
        for (QRadioButton *radio : pair)
            radio->setEnabled(enabled);
    }
    for (CCharFilterEdit *edit : emailEdits)
        edit->setEnabled(enabled);
    for (const auto &pair : emailRadios) {
        for (QRadioButton *radio : pair)
            radio->setEnabled(enabled);
    }
    carrierList->setEnabled(enabled);
    phoneHint->setEnabled(enabled);
    phoneExample->setEnabled(enabled);
}

bool CKTPageCellular::exchange(Direction direction)
{
    DataExchange dx(direction);
    if (dx.loading()) {
        useCellular = settings.CellularOff() ? 0 : 1;
        sendDailyStatus = settings.DailyStatusOff() ? 0 : 1;
        phoneText.fill(QString());
        emailText.fill(QString());
        phoneKind.fill(0);
        emailKind.fill(0);
        for (int i = 0; i < 4; ++i) {
            const PhoneNumberWords &words = settings.cellular.phoneNumbers[i];
            if (PhoneNumberKind(words) != DestinationNone) {
                const Destination number = UnpackPhoneNumber(words);
                phoneText[i] = fromLatin1(number.text);
                phoneKind[i] = number.bcc ? 1 : 0;
            }
        }
        const std::array<const EmailAddressBytes *, 2> emails{&settings.cellular.email1,
                                                              &settings.cellular.email2};
        for (int j = 0; j < 2; ++j) {
            if (EmailAddressKind(*emails[j]) != DestinationNone) {
                const Destination address = UnpackEmailAddress(*emails[j]);
                emailText[j] = fromLatin1(address.text);
                emailKind[j] = address.bcc ? 1 : 0;
            }
        }
        applyEnabling();
    }

    dx.text(emailEdits[0], emailText[0]);
    dx.text(emailEdits[1], emailText[1]);
    dx.check(useCellularBox, useCellular);
    dx.check(dailyStatusBox, sendDailyStatus);
    for (int i = 0; i < 4; ++i)
        dx.radio({phoneRadios[i][0], phoneRadios[i][1]}, phoneKind[i]);
    for (int i = 0; i < 4; ++i)
        dx.text(phoneEdits[i], phoneText[i]);
    for (int j = 0; j < 2; ++j)
        dx.radio({emailRadios[j][0], emailRadios[j][1]}, emailKind[j]);
    {
        QScopedValueRollback guard(settingCarrierList, true);
        dx.comboIndex(carrierList, carrierSel);
    }
    if (dx.loading())
        return true;

    if (!lengthsFit()) {
        dx.fail(carrierList);
        return false;
    }
    settings.SetCellularOff(useCellular == 0);
    settings.SetDailyStatusOff(sendDailyStatus == 0);
    for (int i = 0; i < 4; ++i)
        settings.cellular.phoneNumbers[i] = packPhone(phoneText[i], phoneKind[i] == 1);
    settings.cellular.email1 = packEmail(emailText[0], emailKind[0] == 1);
    settings.cellular.email2 = packEmail(emailText[1], emailKind[1] == 1);
    return true;
}

// The fields take any length; what the record can hold is checked here, e-mail addresses
// first. The message is the standard one; the focus goes to the carrier list.
bool CKTPageCellular::lengthsFit()
{
    int limit = 0;
    if (emailText[0].size() > kEmailMaxChars || emailText[1].size() > kEmailMaxChars) {
        limit = kEmailMaxChars;
    } else {
        for (const QString &text : phoneText) {
            if (text.size() > kPhoneMaxChars)
                limit = kPhoneMaxChars;
        }
    }
    if (limit == 0)
        return true;
    showMessage(
        window(),
        QCoreApplication::translate("DataExchange", strings::kEnterNoMoreCharacters).arg(limit),
        programName(), MessageIcon::Exclamation);
    return false;
}

void CKTPageCellular::refresh()
{
    UpdateData(true);
    UpdateData(false);
}

void CKTPageCellular::OnCarrierChange()
{
    refresh();
    if (carrierSel < 0 || carrierSel >= CarrierTable::kRows)
        return;
    app.carrierIndex = carrierSel;
    const CarrierEntry &carrier = carriers.Row(carrierSel);

    stackGroups(carrier.EmailGroupFirst());
    if (carrier.EmailGroupFirst()) {
        ApplyEmailRows(carrier);
        ApplyPhoneRows(carrier);
    } else {
        ApplyPhoneRows(carrier);
        ApplyEmailRows(carrier);
    }
    phoneGroup->setTitle(carrier.ErrorMessagesTitle() ? errorMessagesTitle()
                                                      : tr("Destination Phone Numbers"));
    nameDestinationRows();
}

void CKTPageCellular::ApplyEmailRows(const CarrierEntry &carrier)
{
    const int rows = carrier.EmailRowCount();
    if (rows == 0)
        emailGroup->hideKeepingPlace();
    for (int j = 0; j < 2; ++j) {
        const bool shown = j < rows;
        emailEdits[j]->setVisible(shown);
        for (QRadioButton *radio : emailRadios[j])
            radio->setVisible(shown);
        if (!shown)
            emailEdits[j]->setText(QString());
    }
    if (rows > 0)
        emailGroup->showAgain();
    // Emptied rows leave the record at once.
    UpdateData(true);
}

void CKTPageCellular::ApplyPhoneRows(const CarrierEntry &carrier)
{
    const int rows = carrier.PhoneRowCount();
    if (rows == 0)
        phoneGroup->hideKeepingPlace();
    phoneHint->setVisible(rows > 0);
    phoneExample->setVisible(rows > 0);
    for (int i = 0; i < 4; ++i) {
        const bool shown = i < rows;
        phoneEdits[i]->setVisible(shown);
        if (!shown)
            phoneEdits[i]->setText(QString());
    }
    if (rows > 0)
        phoneGroup->showAgain();
    UpdateData(true);
}

// Puts the carrier's first group right below the carrier list and the other below it, and
// lets the keyboard follow the same order.
void CKTPageCellular::stackGroups(bool emailFirst)
{
    QGroupBox *first = emailFirst ? static_cast<QGroupBox *>(emailGroup) : phoneGroup;
    QGroupBox *second = emailFirst ? static_cast<QGroupBox *>(phoneGroup) : emailGroup;
    destinations->removeWidget(first);
    destinations->removeWidget(second);
    destinations->addWidget(first);
    destinations->addWidget(second);

    QList<QWidget *> phoneFields;
    for (int i = 0; i < 4; ++i)
        phoneFields << phoneEdits[i] << phoneRadios[i][0] << phoneRadios[i][1];
    QList<QWidget *> emailFields;
    for (int j = 0; j < 2; ++j)
        emailFields << emailEdits[j] << emailRadios[j][0] << emailRadios[j][1];
    QList<QWidget *> chain{useCellularBox, dailyStatusBox, carrierList};
    chain << (emailFirst ? emailFields : phoneFields) << (emailFirst ? phoneFields : emailFields);
    for (qsizetype k = 1; k < chain.size(); ++k)
        setTabOrder(chain[k - 1], chain[k]);
}
