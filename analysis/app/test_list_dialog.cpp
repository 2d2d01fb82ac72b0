// The TestList dialog, laid out in dialog units converted with the dialog's font.
#include "app/test_list_dialog.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace orvane {
namespace {

constexpr int kRows = 1000;
constexpr int kMaxDescription = 1024;

// Dialog units: a quarter of the average character width across, an eighth of the character
// height down.
QRect dialogUnits(const QFontMetrics& metrics, int x, int y, int width, int height) {
    const int baseX = metrics.averageCharWidth();
    const int baseY = metrics.height();
    return QRect(x * baseX / 4, y * baseY / 8, width * baseX / 4, height * baseY / 8);
}

}  // namespace

int TestListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRows;
}
int TestListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TestListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole)
        return QString("Test item #%1, column #%2").arg(index.row()).arg(index.column());
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant TestListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QString("col%1").arg(section);
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

CTestListDialog::CTestListDialog(QWidget* parent)
    : QDialog(parent), list_(new QTableView(this)), description_(new QPlainTextEdit(this)) {
    setWindowTitle("TestList");
    const QFontMetrics metrics(font());
    setFixedSize(dialogUnits(metrics, 0, 0, 318, 241).size());

    list_->setObjectName("list1047");
    list_->setModel(&model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->verticalHeader()->hide();
    list_->setShowGrid(false);
    list_->setColumnWidth(0, 150);
    list_->setColumnWidth(1, 150);
    list_->setGeometry(dialogUnits(metrics, 10, 8, 298, 120));
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTestListDialog::OnSelectionChanged);

    description_->setObjectName("text1048");
    description_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    description_->setPlainText("Empty.");
    description_->setGeometry(dialogUnits(metrics, 10, 136, 298, 54));
    connect(description_, &QPlainTextEdit::textChanged, this, [this] {
        // The field holds at most 1024 characters.
        const QString text = description_->toPlainText();
        if (text.size() > kMaxDescription) description_->setPlainText(text.left(kMaxDescription));
    });

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    ok->setGeometry(dialogUnits(metrics, 258, 200, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setGeometry(dialogUnits(metrics, 258, 217, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CTestListDialog::OnSelectionChanged() {
    // The first selected row in list order, -1 when none is selected.
    int first = -1;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    description_->setPlainText(QString("Description of %1 item").arg(first));
}

}  // namespace orvane
