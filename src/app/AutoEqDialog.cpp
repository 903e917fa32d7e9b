#include "app/AutoEqDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/AutoEqJob.h"
#include "app/AutoEqPreview.h"
#include "autoeq/BlockRecords.h"
#include "eq/BlockResponse.h"
#include "model/Model.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "unit/Unit.h"

namespace pavo {

namespace {

constexpr int kPauseMs = 250;

struct Smoothing {
    double fraction;
    const char* chinese;
    const char* english;
};
constexpr Smoothing kSmoothings[] = {
    {0, "不平滑", "Off"},
    {1.0 / 48, "1/48 倍频程", "1/48 octave"},
    {1.0 / 24, "1/24 倍频程", "1/24 octave"},
    {1.0 / 12, "1/12 倍频程", "1/12 octave"},
    {1.0 / 6, "1/6 倍频程", "1/6 octave"},
    {1.0 / 3, "1/3 倍频程", "1/3 octave"},
    {1.0, "1 倍频程", "1 octave"},
};
constexpr int kDefaultSmoothing = 4;  // 1/6 octave

QDoubleSpinBox* SpinBox(QWidget* parent, double lo, double hi, double step, int decimals, double value,
                        const QString& suffix) {
    auto* s = new QDoubleSpinBox(parent);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setDecimals(decimals);
    s->setValue(value);
    s->setSuffix(suffix);
    s->setKeyboardTracking(false);  // a number being typed is no setting yet
    return s;
}

QString Decibels(double db) {
    return QString::number(db, 'f', 2) + QStringLiteral(" dB");
}

}  // namespace

AutoEqDialog::AutoEqDialog(Unit& unit, int block, int scene, ApplyFn apply, QWidget* parent)
    : QDialog(parent), unit_(unit), block_(block), scene_(scene), applyFn_(std::move(apply)) {
    setWindowTitle(Bilingual("自动均衡", "Auto EQ"));
    job_ = new AutoEqJob(this);
    job_->onProgress = [this](double f) { progress_->setValue(static_cast<int>(std::lround(f * 100))); };
    job_->onFinished = [this](const FitResult& r) { Finished(r); };
    pause_ = new QTimer(this);
    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    connect(pause_, &QTimer::timeout, this, [this] { Refit(); });
    Build();
    Refit();
}

AutoEqDialog::~AutoEqDialog() {
    job_->Cancel();  // before the members the reports would touch go
}

void AutoEqDialog::Build() {
    auto* layout = new QVBoxLayout(this);
    preview_ = new AutoEqPreview(this);
    layout->addWidget(preview_, 1);

    auto* settings = new QHBoxLayout;
    layout->addLayout(settings);

    // Left: what is measured and what it should become.
    auto* left = new QFormLayout;
    settings->addLayout(left, 1);
    auto* measurementRow = new QHBoxLayout;
    measurementPath_ = new QLineEdit(this);
    measurementPath_->setReadOnly(true);
    measurementPath_->setPlaceholderText(Bilingual("选择测量文件", "Choose a measurement file"));
    auto* browse = new QPushButton(Bilingual("浏览…", "Browse…"), this);
    connect(browse, &QPushButton::clicked, this, [this] { BrowseMeasurement(); });
    measurementRow->addWidget(measurementPath_, 1);
    measurementRow->addWidget(browse);
    left->addRow(Bilingual("测量文件", "Measurement"), measurementRow);

    auto* targetRow = new QHBoxLayout;
    target_ = new QComboBox(this);
    target_->addItem(Bilingual("平直", "Flat"));
    target_->addItem(Bilingual("倾斜", "Tilt"));
    target_->addItem(Bilingual("目标文件", "Target file"));
    tilt_ = SpinBox(this, -3, 3, 0.1, 1, 0, Bilingual(" dB/倍频程", " dB/oct"));
    targetRow->addWidget(target_);
    targetRow->addWidget(tilt_);
    left->addRow(Bilingual("目标", "Target"), targetRow);

    auto* targetFileRow = new QHBoxLayout;
    targetPath_ = new QLineEdit(this);
    targetPath_->setReadOnly(true);
    targetBrowse_ = new QPushButton(Bilingual("浏览…", "Browse…"), this);
    connect(targetBrowse_, &QPushButton::clicked, this, [this] { BrowseTarget(); });
    targetFileRow->addWidget(targetPath_, 1);
    targetFileRow->addWidget(targetBrowse_);
    left->addRow(Bilingual("目标文件", "Target file"), targetFileRow);

    auto* rangeRow = new QHBoxLayout;
    lowHz_ = SpinBox(this, 20, 20000, 10, 0, 40, QStringLiteral(" Hz"));
    highHz_ = SpinBox(this, 20, 20000, 1000, 0, 16000, QStringLiteral(" Hz"));
    rangeRow->addWidget(lowHz_);
    rangeRow->addWidget(new QLabel(QStringLiteral("–"), this));
    rangeRow->addWidget(highHz_);
    rangeRow->addStretch(1);
    left->addRow(Bilingual("拟合范围", "Range"), rangeRow);

    // Right: what the bands may do.
    auto* right = new QFormLayout;
    settings->addLayout(right, 1);
    auto fixedWidth = [](QWidget* w) {
        auto* row = new QHBoxLayout;
        row->addWidget(w);
        row->addStretch(1);
        return row;
    };
    maxBoost_ = SpinBox(this, 0, 12, 0.5, 1, 6, QStringLiteral(" dB"));
    maxCut_ = SpinBox(this, 0, 24, 0.5, 1, 12, QStringLiteral(" dB"));
    right->addRow(Bilingual("最大提升", "Max boost"), fixedWidth(maxBoost_));
    right->addRow(Bilingual("最大衰减", "Max cut"), fixedWidth(maxCut_));
    smoothing_ = new QComboBox(this);
    for (const Smoothing& s : kSmoothings) smoothing_->addItem(Bilingual(s.chinese, s.english));
    smoothing_->setCurrentIndex(kDefaultSmoothing);
    right->addRow(Bilingual("平滑", "Smoothing"), fixedWidth(smoothing_));
    shelves_ = new QCheckBox(Bilingual("可用搁架滤波", "Shelves allowed"), this);
    right->addRow(QString(), shelves_);

    auto* bandBox = new QWidget(this);
    auto* bandGrid = new QGridLayout(bandBox);
    bandGrid->setContentsMargins(0, 0, 0, 0);
    bandGrid->setHorizontalSpacing(6);
    bandGrid->setVerticalSpacing(2);
    const int count = static_cast<int>(BandsOf(unit_.model().current, block_, scene_).size());
    constexpr int kColumns = 10;
    for (int i = 0; i < count; ++i) {
        auto* box = new QCheckBox(QString::number(i + 1), bandBox);
        box->setChecked(true);
        bandGrid->addWidget(box, i / kColumns, i % kColumns);
        bands_.push_back(box);
        connect(box, &QCheckBox::toggled, this, [this] { SettingsChanged(); });
    }
    right->addRow(Bilingual("使用频段", "Bands"), bandBox);

    // The fit's state and the buttons.
    auto* bottom = new QHBoxLayout;
    layout->addLayout(bottom);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bottom->addWidget(status_, 1);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setMaximumWidth(140);
    progress_->setVisible(false);
    bottom->addWidget(progress_);
    auto* buttons = new QDialogButtonBox(this);
    apply_ = buttons->addButton(Bilingual("应用", "Apply"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(Bilingual("取消", "Cancel"), QDialogButtonBox::RejectRole);
    apply_->setEnabled(false);
    connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    bottom->addWidget(buttons);

    auto changed = [this] { SettingsChanged(); };
    connect(target_, &QComboBox::currentIndexChanged, this, changed);
    connect(smoothing_, &QComboBox::currentIndexChanged, this, changed);
    connect(shelves_, &QCheckBox::toggled, this, changed);
    for (QDoubleSpinBox* s : {tilt_, lowHz_, highHz_, maxBoost_, maxCut_})
        connect(s, &QDoubleSpinBox::valueChanged, this, changed);
    tilt_->setEnabled(false);
    targetPath_->setEnabled(false);
    targetBrowse_->setEnabled(false);
    resize(820, 640);
}

FitOptions AutoEqDialog::Options() const {
    FitOptions o;
    o.block = block_;
    o.scene = scene_;
    for (int i = 0; i < bandCount(); ++i)
        if (bands_[i]->isChecked()) o.bands.push_back(i + 1);
    o.maxBoostDb = maxBoost_->value();
    o.maxCutDb = maxCut_->value();
    o.shelves = shelves_->isChecked();
    o.loHz = lowHz_->value();
    o.hiHz = highHz_->value();
    o.smoothing = kSmoothings[std::max(0, smoothing_->currentIndex())].fraction;
    o.tiltDbPerOctave = target_->currentIndex() == TargetTilt ? tilt_->value() : 0;
    return o;
}

void AutoEqDialog::SettingsChanged() {
    const int kind = target_->currentIndex();
    tilt_->setEnabled(kind == TargetTilt);
    targetPath_->setEnabled(kind == TargetFile);
    targetBrowse_->setEnabled(kind == TargetFile);
    // What is shown no longer belongs to the settings: no Apply until the new fit is in.
    job_->Cancel();
    result_.reset();
    apply_->setEnabled(false);
    pause_->start();
}

void AutoEqDialog::FitNow() {
    pause_->stop();
    Refit();
}

bool AutoEqDialog::Fitting() const {
    return job_->Running() || pause_->isActive();
}

// A fresh fit for the settings as they are, on a copy of the program taken now.
void AutoEqDialog::Refit() {
    job_->Cancel();
    result_.reset();
    problem_.reset();
    apply_->setEnabled(false);
    progress_->setVisible(false);
    Model& m = unit_.model();
    auto image = std::make_unique<ProgramImage>(m.Edit([&] { return m.current; }));
    now_ = BlockResponse(*image, block_, scene_).value_or(GridLevels{});

    const bool byFile = target_->currentIndex() == TargetFile;
    if (!measurement_) {
        ShowStatus(Bilingual("请选择测量文件。", "Choose a measurement file."), false);
    } else if (byFile && !targetCurve_) {
        ShowStatus(Bilingual("请选择目标文件。", "Choose a target file."), false);
    } else if (Options().bands.empty()) {
        ShowStatus(Bilingual("请至少选择一个频段。", "Choose at least one band."), false);
    } else {
        auto prepared = PrepareFit(*image, *measurement_, byFile ? &*targetCurve_ : nullptr, Options());
        if (const auto* e = std::get_if<MeasurementError>(&prepared)) {
            ShowStatus(QString::fromStdString(e->Text()), true);
        } else {
            problem_ = std::get<FitProblem>(std::move(prepared));
            ShowStatus(Bilingual("正在拟合…", "Fitting…"), false);
            progress_->setValue(0);
            progress_->setVisible(true);
            job_->Start(*problem_);
        }
    }
    ShowPreview();
}

void AutoEqDialog::Finished(const FitResult& r) {
    result_ = r;
    progress_->setVisible(false);
    int used = 0;
    for (const FittedBand& b : r.bands) used += b.fitted && b.used;
    ShowStatus(Bilingual("均方根误差: %1 → %2，使用 %3 个频段", "RMS error: %1 → %2, %3 bands used")
                   .arg(Decibels(r.rmsBefore), Decibels(r.rmsAfter))
                   .arg(used),
               false);
    apply_->setEnabled(true);
    ShowPreview();
}

void AutoEqDialog::ShowStatus(const QString& text, bool error) {
    status_->setText(text);
    status_->setStyleSheet(error ? QStringLiteral("color: #c00000;") : QString());
}

void AutoEqDialog::ShowPreview() {
    AutoEqPreview::Curves c;
    c.now = now_;
    if (problem_) {
        c.measured = problem_->measured;
        c.target = problem_->target;
        c.span = problem_->span;
    }
    if (result_) c.fitted = result_->predicted;
    preview_->Show(std::move(c));
}

bool AutoEqDialog::Load(const QString& path, std::optional<Measurement>& into, QLineEdit& shown) {
    Measurement m;
    MeasurementError error;
    if (!ReadMeasurementFile(path.toStdString(), m, error)) {
        ShowStatus(QString::fromStdString(error.Text()), true);
        return false;  // what was loaded before stays
    }
    into = std::move(m);
    shown.setText(QFileInfo(path).fileName());  // the whole path where the pointer rests
    shown.setToolTip(QDir::toNativeSeparators(path));
    SettingsChanged();
    return true;
}

bool AutoEqDialog::LoadMeasurement(const QString& path) {
    return Load(path, measurement_, *measurementPath_);
}

bool AutoEqDialog::LoadTarget(const QString& path) {
    return Load(path, targetCurve_, *targetPath_);
}

void AutoEqDialog::BrowseMeasurement() {
    const QString start =
        measurementPath_->text().isEmpty()
            ? QString::fromStdString(unit_.model().paths.currentDirectory) + QStringLiteral("/*")
            : QFileInfo(measurementPath_->text()).dir().filePath(QStringLiteral("*"));
    const QString chosen = AskFileName({this, false, start, QStringLiteral("*")});
    if (!chosen.isEmpty()) LoadMeasurement(chosen);
}

void AutoEqDialog::BrowseTarget() {
    const QString start =
        targetPath_->text().isEmpty()
            ? QString::fromStdString(unit_.model().paths.currentDirectory) + QStringLiteral("/*")
            : QFileInfo(targetPath_->text()).dir().filePath(QStringLiteral("*"));
    const QString chosen = AskFileName({this, false, start, QStringLiteral("*")});
    if (!chosen.isEmpty()) LoadTarget(chosen);
}

void AutoEqDialog::Apply() {
    if (!result_ || !applyFn_) return;
    if (!applyFn_(*result_)) {
        ShowStatus(Bilingual("设备正在传输，请稍后再应用。",
                             "The unit is busy with a transfer; apply once it is done."),
                   true);
        return;
    }
    accept();
}

}  // namespace pavo
