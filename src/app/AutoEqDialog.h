#pragma once
// "Auto EQ…" of an EQ graph: fits the bands of the graph's block to a measured response. The user
// picks the measurement file, the target (flat, a tilt in dB per octave around 1 kHz, or a target
// file), the fit range, the largest boost and cut, the smoothing, whether shelves may be used and
// which bands the fit may change. Every change of these starts a fresh fit off the UI thread on a copy
// of the program (the one still running is cancelled); the graph previews the measurement, the
// target, the block's response now, the fitted response and the predicted result. Apply hands the
// result to the caller, which writes it into the program; Cancel changes nothing.
#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "autoeq/Fit.h"
#include "autoeq/Measurement.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace pavo {

class AutoEqJob;
class AutoEqPreview;
class Unit;

class AutoEqDialog : public QDialog {
    Q_OBJECT
public:
    // Writes a fit into the program; false when now is no time for it (a transfer holds the window).
    using ApplyFn = std::function<bool(const FitResult&)>;
    enum TargetKind { TargetFlat, TargetTilt, TargetFile };

    // Block 0..15 of `unit`'s current program; for the outputs the channel of scene 1..3.
    AutoEqDialog(Unit& unit, int block, int scene, ApplyFn apply, QWidget* parent = nullptr);
    ~AutoEqDialog() override;

    int block() const { return block_; }
    int scene() const { return scene_; }

    // What the browse buttons do once a file is chosen. A refused file changes nothing and is named
    // with its line and the reason in the status line; false then.
    bool LoadMeasurement(const QString& path);
    bool LoadTarget(const QString& path);

    // The settings as the fit takes them.
    FitOptions Options() const;
    // Starts the fit for the settings now, without waiting for the pause after a change.
    void FitNow();
    bool Fitting() const;
    // The finished fit for the settings shown, if any.
    const std::optional<FitResult>& Result() const { return result_; }

    // The parts, for tests and pictures.
    QLineEdit& measurementPath() const { return *measurementPath_; }
    QComboBox& target() const { return *target_; }
    QDoubleSpinBox& tilt() const { return *tilt_; }
    QDoubleSpinBox& lowHz() const { return *lowHz_; }
    QDoubleSpinBox& highHz() const { return *highHz_; }
    QDoubleSpinBox& maxBoost() const { return *maxBoost_; }
    QDoubleSpinBox& maxCut() const { return *maxCut_; }
    QComboBox& smoothing() const { return *smoothing_; }
    QCheckBox& shelves() const { return *shelves_; }
    QCheckBox& band(int number) const { return *bands_[number - 1]; }
    int bandCount() const { return static_cast<int>(bands_.size()); }
    QLabel& status() const { return *status_; }
    QProgressBar& progress() const { return *progress_; }
    QPushButton& applyButton() const { return *apply_; }
    QPushButton& cancelButton() const { return *cancel_; }
    AutoEqPreview& preview() const { return *preview_; }

private:
    void Build();
    void SettingsChanged();
    void Refit();
    void Finished(const FitResult& result);
    void ShowStatus(const QString& text, bool error);
    void ShowPreview();
    void BrowseMeasurement();
    void BrowseTarget();
    void Apply();
    bool Load(const QString& path, std::optional<Measurement>& into, QLineEdit& shown);

    Unit& unit_;
    const int block_;
    const int scene_;
    ApplyFn applyFn_;
    std::optional<Measurement> measurement_, targetCurve_;
    std::optional<FitProblem> problem_;  // of the fit running or finished
    std::optional<FitResult> result_;
    GridLevels now_{};  // the block's response in the copy the fit works on

    QLineEdit* measurementPath_ = nullptr;
    QComboBox* target_ = nullptr;
    QDoubleSpinBox* tilt_ = nullptr;
    QLineEdit* targetPath_ = nullptr;
    QPushButton* targetBrowse_ = nullptr;
    QDoubleSpinBox* lowHz_ = nullptr;
    QDoubleSpinBox* highHz_ = nullptr;
    QDoubleSpinBox* maxBoost_ = nullptr;
    QDoubleSpinBox* maxCut_ = nullptr;
    QComboBox* smoothing_ = nullptr;
    QCheckBox* shelves_ = nullptr;
    std::vector<QCheckBox*> bands_;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    AutoEqPreview* preview_ = nullptr;
    AutoEqJob* job_ = nullptr;
    QTimer* pause_ = nullptr;  // a burst of changes (typing, spinning) starts one fit
};

}  // namespace pavo
