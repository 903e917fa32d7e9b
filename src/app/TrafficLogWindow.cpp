#include "app/TrafficLogWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include "app/TrafficLog.h"
#include "app/TrafficLogModel.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"

namespace pavo {

TrafficLogWindow::TrafficLogWindow(TrafficLog& log, QWidget* owner)
    : QWidget(owner, Qt::Window), log_(log), filter_(new TrafficLogFilter(this)) {
    setObjectName(QStringLiteral("TrafficLogWindow"));
    filter_->setSourceModel(&log_.lines());

    view_ = new QTableView(this);
    view_->setModel(filter_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setWordWrap(false);
    view_->setAlternatingRowColors(true);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView* header = view_->horizontalHeader();
    header->setStretchLastSection(true);
    header->resizeSection(TrafficLogModel::ColumnTime,
                          fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    header->resizeSection(TrafficLogModel::ColumnDirection,
                          fontMetrics().horizontalAdvance(QStringLiteral("Dir")) + 24);
    // Room for the bytes the view shows of a frame and the count of the rest.
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    header->resizeSection(
        TrafficLogModel::ColumnHex,
        fixed.horizontalAdvance(QString(TrafficLogModel::kShownHexBytes * 3 + 16, QLatin1Char('0'))));

    hidePolls_ = new QCheckBox(this);
    hidePolls_->setChecked(filter_->HidePolls());
    pause_ = new QPushButton(this);
    pause_->setCheckable(true);
    clear_ = new QPushButton(this);
    save_ = new QPushButton(this);
    traceStatus_ = new QLabel(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(hidePolls_);
    bar->addStretch(1);
    for (QPushButton* b : {pause_, clear_, save_}) bar->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(view_);
    layout->addWidget(traceStatus_);

    connect(hidePolls_, &QCheckBox::toggled, this, [this](bool on) { filter_->SetHidePolls(on); });
    connect(pause_, &QPushButton::toggled, this, [this](bool on) { log_.lines().SetPaused(on); });
    connect(clear_, &QPushButton::clicked, this, [this] { log_.lines().Clear(); });
    connect(save_, &QPushButton::clicked, this, &TrafficLogWindow::AskAndSave);
    // New lines keep the newest in view, unless the user has scrolled up to read.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int v) { atBottom_ = v >= view_->verticalScrollBar()->maximum(); });
    connect(filter_, &QAbstractItemModel::rowsInserted, this, &TrafficLogWindow::FollowNewLines);

    resize(980, 480);
    ApplyLanguage();
}

void TrafficLogWindow::ApplyLanguage() {
    setWindowTitle(Bilingual("通讯记录", "Traffic log"));
    hidePolls_->setText(Bilingual("隐藏状态查询", "Hide status polls"));
    pause_->setText(Bilingual("暂停", "Pause"));
    clear_->setText(Bilingual("清除", "Clear"));
    save_->setText(Bilingual("另存为文本…", "Save as text…"));
    log_.lines().Relabel();
    ShowTraceStatus();
}

void TrafficLogWindow::ShowTraceStatus() {
    const QString status = log_.TraceStatus();
    traceStatus_->setText(status);
    traceStatus_->setVisible(!status.isEmpty());
    // A trace that stopped reads like the log's other trouble.
    traceStatus_->setStyleSheet(log_.TraceFailed() ? QStringLiteral("color: #C02020") : QString());
}

void TrafficLogWindow::FollowNewLines() {
    if (atBottom_) view_->scrollToBottom();
}

void TrafficLogWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    log_.WindowShown(true);
    view_->scrollToBottom();
}

void TrafficLogWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    log_.WindowShown(false);
}

QStringList TrafficLogWindow::ShownTexts() const {
    QStringList out;
    for (int row = 0; row < filter_->rowCount(); ++row)
        out << filter_->index(row, TrafficLogModel::ColumnText).data().toString();
    return out;
}

bool TrafficLogWindow::SaveAsText(const QString& path) const {
    QByteArray text;
    const TrafficLogModel& lines = log_.lines();
    for (int row = 0; row < filter_->rowCount(); ++row) {
        const int source = filter_->mapToSource(filter_->index(row, 0)).row();
        text += QByteArray::fromStdString(FormatTrafficLine(lines.Line(source)));
        text += '\n';
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           file.flush();
}

void TrafficLogWindow::AskAndSave() {
    const QString initial = QDir::current().filePath(QStringLiteral("*.txt"));
    QString chosen = AskFileName({this, true, initial, QStringLiteral("*.txt")});
    if (chosen.isEmpty()) return;
    if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".txt");
    if (!SaveAsText(chosen)) ShowMessageBox(this, Bilingual("不能保存文件!", "Unable to save the file!"));
}

}  // namespace pavo
