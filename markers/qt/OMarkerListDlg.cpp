#include "markers/qt/OMarkerListDlg.h"

#include "markers/qt/OMarkerTableModel.h"
#include "res/OStringTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <array>

namespace {

// What the last closing left: the column widths (the "Title" width is
// taken only when the window leaves it no room) and the window rectangle.
constexpr std::array<int, OMarkerRows::kColumnCount> kInitialWidths{32, 128, 128, 128, 256};
std::array<int, OMarkerRows::kColumnCount> g_widths = kInitialWidths;
QRect g_geometry;

} // namespace

void OMarkerListDlg::ForgetLayout() {
    g_widths = kInitialWidths;
    g_geometry = QRect();
}

OMarkerListDlg::OMarkerListDlg(const OMarkerRows& rows, OCommandId command, QWidget* parent)
    : QDialog(parent), m_rows(rows) {
    setWindowTitle(QString::fromUtf8(CommandPrompt(command)));
    setSizeGripEnabled(true);

    m_model = new OMarkerTableModel(rows, this);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setShowGrid(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setCornerButtonEnabled(false);
    // Fixed rows of one height: the header never measures 100,000 of them.
    QHeaderView* vertical = m_table->verticalHeader();
    vertical->hide();
    vertical->setSectionResizeMode(QHeaderView::Fixed);
    vertical->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    QHeaderView* horizontal = m_table->horizontalHeader();
    horizontal->setHighlightSections(false);
    horizontal->setSectionsMovable(false);
    horizontal->setStretchLastSection(false);
    horizontal->setDefaultAlignment(Qt::AlignCenter);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid()) return;
        m_table->selectRow(index.row());
        accept();
    });

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The list fills the window with 8-pixel margins; OK and Cancel stand
    // 2 pixels apart about the centre, 8 pixels above the bottom.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    // The buttons are the same width, so the centre falls between them.
    const int buttonWidth = std::max(m_ok->sizeHint().width(), m_cancel->sizeHint().width());
    m_ok->setFixedWidth(buttonWidth);
    m_cancel->setFixedWidth(buttonWidth);

    if (g_geometry.isValid()) {
        setGeometry(g_geometry);
    } else {
        const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_table);
        int width = scrollBar + 2 * m_table->frameWidth() + 16;
        for (int w : kInitialWidths)
            width += w;
        resize(width, 400);
    }
    for (int column = 0; column < OMarkerRows::kColumnCount; ++column)
        m_table->setColumnWidth(column, g_widths[column]);
    if (!g_geometry.isValid() && rows.Count() > 0) {
        // At a first opening the row numbers show whole, even when the font
        // is wider than the 32 pixels were meant for or the list is long.
        const QString last =
            QString::fromStdString(rows.Text(rows.Count() - 1, OMarkerRows::kNumber));
        const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table);
        const int needed = m_table->fontMetrics().horizontalAdvance(last) + 2 * (margin + 1) + 2;
        m_table->setColumnWidth(OMarkerRows::kNumber,
                                std::max(g_widths[OMarkerRows::kNumber], needed));
    }
    if (rows.Count() > 0) m_table->selectRow(static_cast<int>(rows.RowToSelect()));
    m_table->setFocus();
}

void OMarkerListDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_arranged) return;
    m_arranged = true;
    // Only now does the list have its size: the title takes the width the
    // other columns and a vertical scroll bar leave, and the selected row
    // can be brought into view.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_table);
    int others = 0;
    for (int column = 0; column < OMarkerRows::kTitle; ++column)
        others += m_table->columnWidth(column);
    const int title = m_table->contentsRect().width() - others - scrollBar;
    if (title > 0) m_table->setColumnWidth(OMarkerRows::kTitle, title);
    if (m_rows.Count() > 0)
        m_table->scrollTo(m_model->index(static_cast<int>(m_rows.RowToSelect()), 0),
                          QAbstractItemView::PositionAtCenter);
}

OMarkerListDlg::~OMarkerListDlg() = default;

std::optional<std::size_t> OMarkerListDlg::SelectedRow() const {
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (selected.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(selected.front().row());
}

void OMarkerListDlg::accept() {
    m_chosen = SelectedRow();
    QDialog::accept();
}

void OMarkerListDlg::done(int result) {
    if (result != QDialog::Accepted) m_chosen.reset();
    for (int column = 0; column < OMarkerRows::kColumnCount; ++column)
        g_widths[column] = m_table->columnWidth(column);
    g_geometry = geometry();
    QDialog::done(result);
}
