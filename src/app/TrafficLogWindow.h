#pragma once
// The traffic log window ("通讯记录" / "Traffic log"): every frame written and read with its time,
// direction, bytes and meaning, the newest at the bottom. Status polls are hidden unless asked for;
// the list can be paused, cleared and saved as text.
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace pavo {

class TrafficLog;
class TrafficLogFilter;

class TrafficLogWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrafficLogWindow(TrafficLog& log, QWidget* owner = nullptr);

    void ApplyLanguage();
    // The status line under the list: the trace file being written, or why it stopped.
    void ShowTraceStatus();
    // Writes the lines as shown (the poll filter applies), whole, one per line. False if it cannot.
    bool SaveAsText(const QString& path) const;
    void AskAndSave();

    QTableView& view() const { return *view_; }
    QCheckBox& hidePolls() const { return *hidePolls_; }
    QPushButton& pause() const { return *pause_; }
    QPushButton& clear() const { return *clear_; }
    QPushButton& save() const { return *save_; }
    QLabel& traceStatus() const { return *traceStatus_; }
    // The lines shown, as their meaning column reads.
    QStringList ShownTexts() const;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void FollowNewLines();

    TrafficLog& log_;
    TrafficLogFilter* filter_;
    QTableView* view_;
    QCheckBox* hidePolls_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
    QLabel* traceStatus_;
    bool atBottom_ = true;
};

}  // namespace pavo
