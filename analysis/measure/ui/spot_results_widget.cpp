// The Spot Results table: a model over the shared results, a filter proxy and the dock's widget.
#include "measure/ui/spot_results_widget.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace orvane {

namespace {

constexpr int kFirstLayerColumn = 6;  // Block, Column, Row, Flags, ID, Name
constexpr int kFlagsColumn = 3;
constexpr int kLayerColumns = 9;
constexpr int kIdColumn = 4;
constexpr int kNameColumn = 5;

// "Error" sorts before every number.
double number(std::optional<double> v) {
    return v && std::isfinite(*v) ? *v : -std::numeric_limits<double>::infinity();
}

}  // namespace

void CSpotResultsModel::setResults(std::shared_ptr<const SpotResults> results) {
    beginResetModel();
    results_ = std::move(results);
    columns_ = results_ ? SpotResultsColumns(results_->layerCount) : std::vector<std::string>{};
    endResetModel();
}

void CSpotResultsModel::flagsChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0, kFlagsColumn), index(rowCount() - 1, kFlagsColumn));
}

int CSpotResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !results_ ? 0 : static_cast<int>(results_->spots.size());
}

int CSpotResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant CSpotResultsModel::sortValue(const SpotResult& spot, int column) const {
    switch (column) {
    case 0: return spot.block;
    case 1: return spot.col + 1;
    case 2: return spot.row + 1;
    case kFlagsColumn: return QString::fromStdString(SpotStateWords(spot));
    case kIdColumn: return QString::fromStdString(spot.id);
    case kNameColumn: return QString::fromStdString(spot.name);
    default: break;
    }
    const int k = (column - kFirstLayerColumn) / kLayerColumns;
    if (k >= results_->layerCount) return number(spot.ratios.logRatio);
    const ChannelStatistics& c = spot.channels[static_cast<std::size_t>(k)];
    const std::int64_t values[] = {c.featureMedian,    c.featureMean,     c.featureSd,
                                   c.backgroundMedian, c.backgroundMean,  c.backgroundSd,
                                   c.percentAbove2Sd,  c.percentSaturated};
    const int j = (column - kFirstLayerColumn) % kLayerColumns;
    if (j < 8) return static_cast<double>(values[j]);
    return number(SpotSnr(c));
}

QVariant CSpotResultsModel::data(const QModelIndex& index, int role) const {
    if (!results_ || !index.isValid() || index.row() >= rowCount()) return {};
    const SpotResult& spot = results_->spots[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        const std::vector<std::string> cells = SpotResultsCells(spot, results_->layerCount);
        return QString::fromStdString(cells.at(static_cast<std::size_t>(index.column())));
    }
    if (role == Qt::UserRole) return sortValue(spot, index.column());
    if (role == Qt::TextAlignmentRole && index.column() != kIdColumn &&
        index.column() != kNameColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CSpotResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromStdString(columns_[static_cast<std::size_t>(section)]);
}

// invalidate(), not invalidateFilter(): Qt 6.4's incremental removal of filtered rows corrupts
// the proxy's mapping once the view holds a current row (a crash while typing a filter after a
// row was selected). The full rebuild moves the view's rows through layoutChanged instead and
// costs about a millisecond for 10000 spots.
void CSpotResultsFilter::setText(const QString& text) {
    text_ = text;
    invalidate();
}

void CSpotResultsFilter::setMarks(MarkFilter marks) {
    marks_ = marks;
    invalidate();
}

bool CSpotResultsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const CSpotResultsModel*>(sourceModel());
    if (!model || !model->results()) return false;
    const SpotResult& spot = model->results()->spots[static_cast<std::size_t>(sourceRow)];
    const bool marked = (spot.flags & Marked) != 0;
    if ((marks_ == MarkFilter::Marked && !marked) || (marks_ == MarkFilter::NotMarked && marked))
        return false;
    if (text_.isEmpty()) return true;
    return QString::fromStdString(spot.id).contains(text_, Qt::CaseInsensitive) ||
           QString::fromStdString(spot.name).contains(text_, Qt::CaseInsensitive);
}

CSpotResultsWidget::CSpotResultsWidget(QWidget* parent) : QWidget(parent) {
    model_ = new CSpotResultsModel(this);
    proxy_ = new CSpotResultsFilter(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(Qt::UserRole);
    // Rows are filtered and sorted again only through invalidate() (see setText): Qt's dynamic
    // path removes rows incrementally from inside dataChanged, the same path that breaks.
    proxy_->setDynamicSortFilter(false);
    table_ = new QTableView(this);
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);  // the file's order until a header is clicked
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setDefaultSectionSize(fontMetrics().horizontalAdvance("F1 Median") +
                                                      12);

    filter_ = new QLineEdit(this);
    filter_->setPlaceholderText("Filter ID / Name");
    filter_->setClearButtonEnabled(true);
    marks_ = new QComboBox(this);
    marks_->addItems({"all", "marked", "not marked"});
    save_ = new QPushButton("Save...", this);
    count_ = new QLabel(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filter_, 1);
    bar->addWidget(marks_);
    bar->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(table_, 1);
    layout->addLayout(createSaturationBar());

    connect(filter_, &QLineEdit::textChanged, proxy_, &CSpotResultsFilter::setText);
    connect(marks_, &QComboBox::currentIndexChanged, this,
            [this](int i) { proxy_->setMarks(static_cast<MarkFilter>(i)); });
    connect(save_, &QPushButton::clicked, this, &CSpotResultsWidget::saveRequested);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CSpotResultsWidget::rowChanged);
    followProxyChanges();
    settle();
}

// "N of M spots" on the left, "[x] Flag spots with more than [10 %] saturated feature pixels" on
// the right: the same choice Export GenePix Results writes its Flags by.
QLayout* CSpotResultsWidget::createSaturationBar() {
    saturation_ = LoadSaturationSetting();
    saturationBox_ = new QCheckBox("Flag spots with more than", this);
    saturationBox_->setChecked(saturation_.on);
    saturationPercent_ = new QSpinBox(this);
    saturationPercent_->setRange(0, 100);
    saturationPercent_->setSuffix(" %");
    saturationPercent_->setValue(static_cast<int>(saturation_.percent));
    saturationPercent_->setEnabled(saturation_.on);
    auto* words = new QLabel("saturated feature pixels", this);
    const QString tip =
        "In any layer: \"saturated\" in Flags here, Flags -100 (Bad) in Export "
        "GenePix Results";
    for (QWidget* w : std::initializer_list<QWidget*>{saturationBox_, saturationPercent_, words})
        w->setToolTip(tip);
    auto* bar = new QHBoxLayout;
    bar->addWidget(count_, 1);
    bar->addWidget(saturationBox_);
    bar->addWidget(saturationPercent_);
    bar->addWidget(words);
    connect(saturationBox_, &QCheckBox::toggled, this, &CSpotResultsWidget::saturationEdited);
    connect(saturationPercent_, &QSpinBox::valueChanged, this,
            &CSpotResultsWidget::saturationEdited);
    return bar;
}

void CSpotResultsWidget::saturationEdited() {
    const SaturationSetting edited{saturationBox_->isChecked(),
                                   static_cast<double>(saturationPercent_->value())};
    saturationPercent_->setEnabled(edited.on);
    if (edited == saturation_) return;
    saturation_ = edited;
    SaveSaturationSetting(saturation_);
    emit saturationChanged();
}

void CSpotResultsWidget::flagsChanged() {
    model_->flagsChanged();
    if (proxy_->marks() != MarkFilter::All || proxy_->sortColumn() == kFlagsColumn)
        proxy_->invalidate();
}

void CSpotResultsWidget::setResults(std::shared_ptr<const SpotResults> results) {
    quiet_ = true;
    shownSpot_.reset();
    model_->setResults(std::move(results));
    // Every header readable; the values are no wider than their headers.
    QHeaderView* header = table_->horizontalHeader();
    for (int c = 0; c < model_->columnCount(); ++c)
        header->resizeSection(
            c, std::max(header->defaultSectionSize(),
                        fontMetrics().horizontalAdvance(
                            model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                            16));
    save_->setEnabled(model_->rowCount() > 0);
    quiet_ = false;
}

void CSpotResultsWidget::followProxyChanges() {
    // While the proxy removes, inserts or reorders rows, Qt moves the current row by itself: that
    // is not the user's choice. Reporting it would select another spot in the view and change
    // the flags the proxy filters on, and anything that asks the proxy for rows from inside its
    // own signals can meet its mapping half updated. So nothing is done then; once the change is
    // over and control is back in the event loop, the count is shown and the row of the spot
    // shown before is selected again (none when it left the filter).
    const auto hold = [this] { ++proxyChanging_; };
    const auto release = [this] {
        if (--proxyChanging_ > 0 || settlePending_) return;
        settlePending_ = true;
        QMetaObject::invokeMethod(this, &CSpotResultsWidget::settle, Qt::QueuedConnection);
    };
    connect(proxy_, &QAbstractItemModel::rowsAboutToBeRemoved, this, hold);
    connect(proxy_, &QAbstractItemModel::rowsRemoved, this, release);
    connect(proxy_, &QAbstractItemModel::rowsAboutToBeInserted, this, hold);
    connect(proxy_, &QAbstractItemModel::rowsInserted, this, release);
    connect(proxy_, &QAbstractItemModel::layoutAboutToBeChanged, this, hold);
    connect(proxy_, &QAbstractItemModel::layoutChanged, this, release);
    connect(proxy_, &QAbstractItemModel::modelAboutToBeReset, this, hold);
    connect(proxy_, &QAbstractItemModel::modelReset, this, release);
}

void CSpotResultsWidget::settle() {
    settlePending_ = false;
    if (proxyChanging_ > 0) return;
    count_->setText(QString("%1 of %2 spots").arg(proxy_->rowCount()).arg(model_->rowCount()));
    selectSpot(shownSpot_);
}

void CSpotResultsWidget::rowChanged() {
    if (quiet_ || proxyChanging_ > 0) return;
    shownSpot_ = selectedSpot();
    if (shownSpot_) emit spotChosen(*shownSpot_);
}

std::optional<std::size_t> CSpotResultsWidget::selectedSpot() const {
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<std::size_t>(proxy_->mapToSource(current).row());
}

void CSpotResultsWidget::selectSpot(std::optional<std::size_t> index) {
    shownSpot_ = index;
    if (proxyChanging_ > 0) return;  // selected when the proxy's change is over
    quiet_ = true;
    const QModelIndex row = index && *index < static_cast<std::size_t>(model_->rowCount())
                                ? proxy_->mapFromSource(model_->index(static_cast<int>(*index), 0))
                                : QModelIndex();
    if (row.isValid()) {
        table_->selectionModel()->setCurrentIndex(
            row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        table_->scrollTo(row);
    } else {
        table_->selectionModel()->clearSelection();
        table_->selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    }
    quiet_ = false;
}

}  // namespace orvane
