// CTestListDialog: the modal "TestList" dialog, a 1000-row list whose cells are supplied on
// demand and a text field that describes the first selected row.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

class QPlainTextEdit;
class QTableView;

namespace orvane {

// The list's data: every cell's text is made when the list asks for it.
class TestListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
};

class CTestListDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTestListDialog(QWidget* parent = nullptr);

    QTableView* list() const { return list_; }
    QPlainTextEdit* description() const { return description_; }

private:
    void OnSelectionChanged();

    TestListModel model_;
    QTableView* list_;
    QPlainTextEdit* description_;
};

}  // namespace orvane
