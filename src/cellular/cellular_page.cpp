#include "cellular/cellular_page.h"

#include "cellular/destination_group.h"
#include "controls/char_filter_edit.h"
#include "framework/accessibility.h"
#include "framework/data_exchange.h"
#include "framework/dialog_controls.h"
#include "framework/keyboard_access.h"
#include "settings/cellular_values.h"
#include "settings/refusal.h"

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// The gap between the carrier list and the first destination group, and between the groups,
// in pixels.
constexpr int kGroupGap = 10;

// Row `index` of `group`: the field named `fieldName` and the row's number, and its To/BCC pair
// named `kindName` + "To"/"Bcc" and the number.
CCharFilterEdit *addDestinationRow(DestinationGroupBox *group, const QString &fieldName,
                                   const QString &kindName, int index,
                                   std::array<QRadioButton *, 2> &kind, bool kindShown)
{
    const QString number = QString::number(index + 1);
    auto *field = new CCharFilterEdit(0, QString(), group);
    field->setObjectName(fieldName + number);
    kind = {
        makeRadio(CKTPageCellular::tr("To"), kindName + QStringLiteral("To") + number, group),
        makeRadio(CKTPageCellular::tr("BCC"), kindName + QStringLiteral("Bcc") + number, group)};
    group->addRow(field, kind, kindShown);
    return field;
}

// A destination field and its record text, one byte a character; the field admits nothing a
// byte cannot hold.
void latin1Text(DataExchange &dx, QLineEdit *edit, std::string &text)
{
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    dx.text(edit, shown);
    if (dx.loading())
        return;
    const QByteArray bytes = shown.toLatin1();
    text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

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
    useCellularBox = makeCheckBox(tr("&Use cellular"), "useCellular", options);
    dailyStatusBox = makeCheckBox(tr("&Send daily status picture"), "sendDailyStatus", options);
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

    buildPhoneGroup();
    buildEmailGroup();
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

void CKTPageCellular::buildPhoneGroup()
{
    phoneGroup = new DestinationGroupBox(tr("Destination Phone Numbers"), this);
    phoneGroup->setObjectName(QStringLiteral("phoneGroup"));
    phoneGroup->reserveTitle(errorMessagesTitle());
    phoneHint = makeLabel(tr("&Mobile Number (with Country/Area Code)"), "phoneHint", phoneGroup);
    phoneExample =
        makeLabel(tr("Ex: 1-555-555-1212 (1=U.S. Country Code)"), "phoneExample", phoneGroup);
    phoneGroup->addHeader(phoneHint);
    phoneGroup->addHeader(phoneExample);
    for (int i = 0; i < CellularValues::kPhoneRows; ++i)
        phoneEdits[i] = addDestinationRow(phoneGroup, QStringLiteral("phoneNumber"),
                                          QStringLiteral("phone"), i, phoneRadios[i], false);

    // The hint names the numbers: its access key leads to the first one.
    phoneHint->setBuddy(phoneEdits[0]);
    for (CCharFilterEdit *edit : phoneEdits)
        edit->setAccessibleDescription(withoutAccessKey(phoneHint->text()) + QLatin1Char(' ') +
                                       phoneExample->text());
}

void CKTPageCellular::buildEmailGroup()
{
    // The group's title names the addresses: its access key leads to the first one.
    emailGroup = new DestinationGroupBox(tr("Destination &Email Addresses"), this);
    emailGroup->setObjectName(QStringLiteral("emailGroup"));
    for (int j = 0; j < CellularValues::kEmailRows; ++j)
        emailEdits[j] = addDestinationRow(emailGroup, QStringLiteral("email"),
                                          QStringLiteral("email"), j, emailRadios[j], true);
    emailGroup->setAccessKeyTarget(emailEdits[0]);
}

void CKTPageCellular::nameDestinationRows()
{
    phoneGroup->nameRows(tr("number %1"));
    emailGroup->nameRows(tr("address %1"));
}

QString CKTPageCellular::errorMessagesTitle()
{
    return tr("ERROR MESSAGES (Optional) - Text messaging rates may apply");
}

void CKTPageCellular::initializePage()
{
    buildControls();
    PropertyPage::initializePage();

    // The camera stores four-bit digit codes and seven-bit address characters: anything
    // beyond ASCII would be cut or changed on the way, so it cannot be typed at all.
    for (CCharFilterEdit *edit : phoneEdits) {
        edit->SetInvalidCharacters(
            QString::fromStdString(CellularValues::phoneForbiddenCharacters()));
        edit->SetHighestCharacter(CellularValues::kDestinationHighestCharacter);
    }
    for (CCharFilterEdit *edit : emailEdits) {
        edit->SetInvalidCharacters(QString::fromLatin1(CellularValues::kEmailForbidden.data(),
                                                       CellularValues::kEmailForbidden.size()));
        edit->SetHighestCharacter(CellularValues::kDestinationHighestCharacter);
    }

    readCarrierList();
    applyReadOnly();
}

void CKTPageCellular::applyReadOnly()
{
    // Every load disables the rest in a read-only run; the box itself only here.
    if (!app.readOnly)
        return;
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
                carrierList->addItem(
                    QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
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
    const bool enabled = values.useCellular == 1 && !app.readOnly;
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

void CKTPageCellular::load(DataExchange &dx)
{
    values = CellularValues::fromRecord(settings);
    applyEnabling();
    transfer(dx);
}

void CKTPageCellular::transfer(DataExchange &dx)
{
    latin1Text(dx, emailEdits[0], values.emailText[0]);
    latin1Text(dx, emailEdits[1], values.emailText[1]);
    dx.check(useCellularBox, values.useCellular);
    dx.check(dailyStatusBox, values.sendDailyStatus);
    for (int i = 0; i < CellularValues::kPhoneRows; ++i)
        dx.radio({phoneRadios[i][0], phoneRadios[i][1]}, values.phoneKind[i]);
    for (int i = 0; i < CellularValues::kPhoneRows; ++i)
        latin1Text(dx, phoneEdits[i], values.phoneText[i]);
    for (int j = 0; j < CellularValues::kEmailRows; ++j)
        dx.radio({emailRadios[j][0], emailRadios[j][1]}, values.emailKind[j]);
    QScopedValueRollback guard(settingCarrierList, true);
    dx.comboIndex(carrierList, carrierSel);
}

bool CKTPageCellular::save(DataExchange &dx)
{
    transfer(dx);
    // The refusal names the field, but the focus goes to the carrier list, as it always has.
    if (const rules::Check refusal = values.check())
        return dx.refuse(carrierList, *refusal);
    values.toRecord(settings);
    return true;
}

void CKTPageCellular::refresh()
{
    saveControls();
    loadControls();
}

void CKTPageCellular::OnCarrierChange()
{
    refresh();
    if (carrierSel < 0 || carrierSel >= CarrierTable::kRows)
        return;
    app.carrierIndex = carrierSel;
    const CarrierEntry &carrier = carriers.Row(carrierSel);

    stackGroups(carrier.EmailGroupFirst());
    phoneGroup->showRows(carrier.PhoneRowCount());
    emailGroup->showRows(carrier.EmailRowCount());
    phoneGroup->setTitle(carrier.ErrorMessagesTitle() ? errorMessagesTitle()
                                                      : tr("Destination Phone Numbers"));
    nameDestinationRows();
}

void CKTPageCellular::storeOnlyOfferedRows()
{
    if (!isCreated() || settings.CellularOff() || carrierSel < 0 ||
        carrierSel >= CarrierTable::kRows)
        return;
    const CarrierEntry &carrier = carriers.Row(carrierSel);
    CellularValues offered = CellularValues::fromRecord(settings);
    for (int i = carrier.PhoneRowCount(); i < CellularValues::kPhoneRows; ++i)
        offered.phoneText[i].clear();
    for (int j = carrier.EmailRowCount(); j < CellularValues::kEmailRows; ++j)
        offered.emailText[j].clear();
    offered.toRecord(settings);
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
    for (int i = 0; i < CellularValues::kPhoneRows; ++i)
        phoneFields << phoneEdits[i] << phoneRadios[i][0] << phoneRadios[i][1];
    QList<QWidget *> emailFields;
    for (int j = 0; j < CellularValues::kEmailRows; ++j)
        emailFields << emailEdits[j] << emailRadios[j][0] << emailRadios[j][1];
    QList<QWidget *> chain{useCellularBox, dailyStatusBox, carrierList};
    chain << (emailFirst ? emailFields : phoneFields) << (emailFirst ? phoneFields : emailFields);
    chainTabOrder(chain);
}
