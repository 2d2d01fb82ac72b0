// The contents of the "Spot Results" dock: the per-spot results of the active window as a table
// sortable by every column, filtered by a text on ID and name and by marks, with Save... and the
// choice to flag saturated spots.
#pragma once

#include <memory>
#include <optional>

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

#include "measure/spot_results.h"
#include "measure/ui/saturation_setting.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace orvane {

// The table's rows are the spots of the results in their order; the display texts are the cells
// of the saved table, the sort role (Qt::UserRole) their numbers ("Error" sorts first).
class CSpotResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setResults(std::shared_ptr<const SpotResults> results);
    const SpotResults* results() const { return results_.get(); }
    // The Flags column changed for every row (the results' flags were re-read).
    void flagsChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant sortValue(const SpotResult& spot, int column) const;

    std::shared_ptr<const SpotResults> results_;
    std::vector<std::string> columns_;
};

enum class MarkFilter { All, Marked, NotMarked };

class CSpotResultsFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setText(const QString& text);
    void setMarks(MarkFilter marks);
    MarkFilter marks() const { return marks_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString text_;
    MarkFilter marks_ = MarkFilter::All;
};

class CSpotResultsWidget : public QWidget {
    Q_OBJECT
public:
    explicit CSpotResultsWidget(QWidget* parent = nullptr);

    // Shows these results (none: an empty table).
    void setResults(std::shared_ptr<const SpotResults> results);
    // The results' flags were re-read: the Flags column, and the rows the marks filter shows.
    void flagsChanged();
    // Selects and shows the row of spot `index` of the results without reporting it; none
    // clears the selection.
    void selectSpot(std::optional<std::size_t> index);
    // The spot of the selected row, if any.
    std::optional<std::size_t> selectedSpot() const;
    // The spot whose row is selected whenever the filter shows it.
    std::optional<std::size_t> shownSpot() const { return shownSpot_; }

    QTableView* table() const { return table_; }
    QLineEdit* filterEdit() const { return filter_; }
    QComboBox* marksBox() const { return marks_; }
    QPushButton* saveButton() const { return save_; }
    QCheckBox* saturationBox() const { return saturationBox_; }
    QSpinBox* saturationPercentBox() const { return saturationPercent_; }
    CSpotResultsFilter* proxy() const { return proxy_; }

    // As the settings had it when the widget was made, then as the user changed it.
    const SaturationSetting& saturation() const { return saturation_; }

    QSize sizeHint() const override { return {520, 260}; }

signals:
    // The user selected the row of spot `index` of the results.
    void spotChosen(std::size_t index);
    void saveRequested();
    // The user changed the saturation setting (it is saved already).
    void saturationChanged();

private:
    QLayout* createSaturationBar();
    void saturationEdited();
    void followProxyChanges();
    void settle();
    void rowChanged();

    CSpotResultsModel* model_;
    CSpotResultsFilter* proxy_;
    QTableView* table_;
    QLineEdit* filter_;
    QComboBox* marks_;
    QPushButton* save_;
    QLabel* count_;
    QCheckBox* saturationBox_ = nullptr;
    QSpinBox* saturationPercent_ = nullptr;
    SaturationSetting saturation_;
    bool quiet_ = false;     // selection set by selectSpot: not the user's
    int proxyChanging_ = 0;  // nesting of the proxy's row and layout changes under way
    bool settlePending_ = false;
    std::optional<std::size_t> shownSpot_;  // the spot whose row is to be selected
};

}  // namespace orvane
