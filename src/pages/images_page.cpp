#include "pages/images_page.h"

#include "controls/char_filter_edit.h"
#include "framework/dialog_controls.h"
#include "framework/keyboard_access.h"
#include "settings/images_values.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

// The set the field is built with; the page replaces it before the user can type.
const QString kConstructionInvalidChars = QStringLiteral("%'*\"+?><:\\");
// The characters the camera's stamp cannot print.
const QString kTypingInvalidChars =
    QString::fromLatin1(ImagesValues::kLabelForbidden.data(), ImagesValues::kLabelForbidden.size());

// Gives the columns of the groups' grids the same widths, so that the sliders of one group
// start and end under those of the other. Column 2, the sliders, takes what is left.
void alignColumns(const QList<QGridLayout *> &grids)
{
    for (int column : {0, 1, 3}) {
        int width = 0;
        for (QGridLayout *grid : grids) {
            for (int i = 0; i < grid->count(); ++i) {
                int row = 0;
                int col = 0;
                int rowSpan = 0;
                int colSpan = 0;
                grid->getItemPosition(i, &row, &col, &rowSpan, &colSpan);
                if (col == column && colSpan == 1)
                    width = std::max(width, grid->itemAt(i)->sizeHint().width());
            }
        }
        for (QGridLayout *grid : grids)
            grid->setColumnMinimumWidth(column, width);
    }
}

} // namespace

CKTPageImages::CKTPageImages(CameraSettings &settings, AppState &app, QWidget *parent)
    : PropertyPage(tr("&Images"), parent), settings(settings), app(app),
      label(new CCharFilterEdit(0, kConstructionInvalidChars, this))
{
    setObjectName(QStringLiteral("imagesPage"));
    label->setObjectName(QStringLiteral("label"));
    // The label is stored one byte a character: what the field shows is what is stored.
    label->SetHighestCharacter(ImagesValues::kLabelHighestCharacter);
}

QSlider *CKTPageImages::makeSlider(const char *name, int maximum, int tickInterval)
{
    auto *slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(0, maximum);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tickInterval);
    // One key press moves a 0..255 slider visibly; Page Up/Down takes a tick.
    slider->setSingleStep(1);
    slider->setPageStep(tickInterval);
    return slider;
}

QLabel *CKTPageImages::makeStatic(const QString &text)
{
    auto *label = new QLabel(text, this);
    statics.append(label);
    return label;
}

void CKTPageImages::addSliderRow(QGridLayout *grid, int row, const QString &caption,
                                 const QString &low, QSlider *slider, const QString &high)
{
    QLabel *captionLabel = makeStatic(caption);
    captionLabel->setBuddy(slider);
    grid->addWidget(captionLabel, row, 0);
    grid->addWidget(makeStatic(low), row, 1, Qt::AlignRight);
    grid->addWidget(slider, row, 2);
    grid->addWidget(makeStatic(high), row, 3);
}

void CKTPageImages::addRadioRow(QGridLayout *grid, int row, const QString &caption,
                                QRadioButton *first, QRadioButton *second)
{
    // Each pair is its own exclusive group, though all share the page as parent.
    auto *group = new QButtonGroup(this);
    group->addButton(first, 0);
    group->addButton(second, 1);
    tabStopAtCheckedRadio({first, second});
    QLabel *captionLabel = makeStatic(caption);
    captionLabel->setBuddy(first);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(first);
    buttons->addWidget(second);
    buttons->addStretch();
    grid->addWidget(captionLabel, row, 0);
    grid->addLayout(buttons, row, 1, 1, 3);
}

void CKTPageImages::initializePage()
{
    buildControls();
    PropertyPage::initializePage();
    applyReadOnly();
}

void CKTPageImages::buildControls()
{
    brightness = makeSlider("brightness", ImagesValues::kSliderMax, 32);
    contrast = makeSlider("contrast", ImagesValues::kSliderMax, 32);
    sharpness = makeSlider("sharpness", ImagesValues::kSliderMax, 32);
    saturation = makeSlider("saturation", ImagesValues::kSliderMax, 32);
    fahrenheit = makeRadio(tr("Fahr&enheit"), "fahrenheit", this);
    celsius = makeRadio(tr("Celsi&us"), "celsius", this);
    clock12h = makeRadio(tr("&12 hr"), "clock12h", this);
    clock24h = makeRadio(tr("&24 hr"), "clock24h", this);
    nightShutter = makeSlider("nightShutter", ImagesValues::kNightSliderMax, 1);
    nightIso = makeSlider("nightIso", ImagesValues::kNightSliderMax, 1);
    highResolution = makeRadio(tr("&High"), "highResolution", this);
    lowResolution = makeRadio(tr("Lo&w"), "lowResolution", this);
    printBorder = makeCheckBox(tr("Include border for &4x6 prints"), "printBorder", this);

    auto *options = new QGroupBox(tr("Options"), this);
    options->setObjectName(QStringLiteral("optionsGroup"));
    auto *optionsGrid = new QGridLayout(options);
    QLabel *labelCaption = makeStatic(tr("L&abel:"));
    labelCaption->setBuddy(label);
    optionsGrid->addWidget(labelCaption, 0, 0);
    optionsGrid->addWidget(label, 0, 1, 1, 3);
    addSliderRow(optionsGrid, 1, tr("&Brightness:"), tr("Low"), brightness, tr("High"));
    addSliderRow(optionsGrid, 2, tr("C&ontrast:"), tr("Low"), contrast, tr("High"));
    addSliderRow(optionsGrid, 3, tr("Shar&pness:"), tr("Low"), sharpness, tr("High"));
    addSliderRow(optionsGrid, 4, tr("&Saturation:"), tr("Low"), saturation, tr("High"));
    addRadioRow(optionsGrid, 5, tr("Temperature:"), fahrenheit, celsius);
    addRadioRow(optionsGrid, 6, tr("Time:"), clock12h, clock24h);
    optionsGrid->setColumnStretch(2, 1);

    auto *night = new QGroupBox(tr("SwiftShot/Stormline Models Only"), this);
    night->setObjectName(QStringLiteral("nightGroup"));
    auto *nightGrid = new QGridLayout(night);
    addSliderRow(nightGrid, 0, tr("&Night Shutter Speed:"), tr("Slow"), nightShutter, tr("Fast"));
    addSliderRow(nightGrid, 1, tr("Night ISO Sensiti&vity:"), tr("Low"), nightIso, tr("High"));
    addRadioRow(nightGrid, 2, tr("Resolution:"), highResolution, lowResolution);
    nightGrid->setColumnStretch(2, 1);
    alignColumns({optionsGrid, nightGrid});

    auto *vga = new QGroupBox(tr("Kestra VGA Models Only"), this);
    vga->setObjectName(QStringLiteral("kestraVgaGroup"));
    auto *vgaLayout = new QVBoxLayout(vga);
    vgaLayout->addWidget(printBorder);

    auto *page = new QVBoxLayout(this);
    page->addWidget(options);
    page->addWidget(night);
    page->addWidget(vga);
    page->addStretch();

    // Top to bottom, left to right.
    chainTabOrder({label, brightness, contrast, sharpness, saturation, fahrenheit, celsius,
                   clock12h, clock24h, nightShutter, nightIso, highResolution, lowResolution,
                   printBorder});
}

void CKTPageImages::configureControls()
{
    for (QSlider *slider : {brightness, contrast, sharpness, saturation})
        slider->setRange(0, ImagesValues::kSliderMax);
    for (QSlider *slider : {nightShutter, nightIso})
        slider->setRange(0, ImagesValues::kNightSliderMax);
    for (QSlider *slider : {contrast, brightness, sharpness, saturation})
        slider->setTickInterval(32);
    for (QSlider *slider : {nightShutter, nightIso})
        slider->setTickInterval(1);
    label->SetInvalidCharacters(kTypingInvalidChars);
}

void CKTPageImages::load(DataExchange &dx)
{
    configureControls();
    values = ImagesValues::fromRecord(settings);
    // One byte a character: the stored bytes up to the first zero, shown as they are.
    labelText =
        QString::fromLatin1(values.label.data(), static_cast<qsizetype>(values.label.size()));
    transfer(dx);
}

bool CKTPageImages::transfer(DataExchange &dx)
{
    dx.slider(brightness, values.brightness);
    dx.slider(contrast, values.contrast);
    dx.slider(sharpness, values.sharpness);
    dx.text(label, labelText);
    label->setMaxLength(ImagesValues::kLabelMaxChars);
    if (dx.saving()) {
        if (const rules::Check refusal = ImagesValues::checkLabelLength(labelText.size()))
            return dx.refuse(label, *refusal);
    }
    dx.radio({fahrenheit, celsius}, values.temperature);
    dx.radio({clock12h, clock24h}, values.clock);
    dx.check(printBorder, values.printBorder);
    dx.radio({highResolution, lowResolution}, values.resolution);
    dx.slider(saturation, values.saturation);
    dx.slider(nightIso, values.nightIsoPosition);
    dx.slider(nightShutter, values.nightShutterPosition);
    return true;
}

bool CKTPageImages::save(DataExchange &dx)
{
    configureControls();
    if (!transfer(dx))
        return false;
    values.label = ImagesValues::labelBytes(labelText.toStdU16String());
    values.toRecord(settings);
    return true;
}

void CKTPageImages::applyReadOnly()
{
    if (!app.readOnly)
        return;
    // Every control but the three group boxes.
    for (QWidget *control : std::initializer_list<QWidget *>{
             label, brightness, contrast, sharpness, saturation, nightShutter, nightIso, fahrenheit,
             celsius, clock12h, clock24h, highResolution, lowResolution, printBorder})
        control->setEnabled(false);
    for (QLabel *text : statics)
        text->setEnabled(false);
}
