#include "markers/qt/OMarkerTableModel.h"

#include "markers/qt/OColorRef.h"

#include <QBrush>
#include <limits>

QString OMarkerTableModel::Heading(int column) {
    static const char* const headings[] = {"##", "Begin", "End", "Length", "Title"};
    return column >= 0 && column < OMarkerRows::kColumnCount ? QString::fromLatin1(headings[column])
                                                             : QString();
}

Qt::Alignment OMarkerTableModel::Alignment(int column) {
    switch (column) {
    case OMarkerRows::kNumber:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case OMarkerRows::kTitle:
        return Qt::AlignLeft | Qt::AlignVCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

int OMarkerTableModel::rowCount(const QModelIndex& parent) const {
    // A list longer than a view can count shows the rows it can.
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<std::size_t>(m_rows.Count(), std::numeric_limits<int>::max()));
}

int OMarkerTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : OMarkerRows::kColumnCount;
}

QVariant OMarkerTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_rows.Count()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(
            m_rows.Text(row, static_cast<OMarkerRows::Column>(index.column())));
    case Qt::TextAlignmentRole:
        return Alignment(index.column()).toInt();
    case Qt::BackgroundRole:
        return QBrush(ToQColor(m_rows.At(row).Background()));
    case Qt::ForegroundRole:
        return QBrush(ToQColor(m_rows.At(row).Foreground()));
    default:
        return {};
    }
}

QVariant OMarkerTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::DisplayRole) return Heading(section);
    if (role == Qt::TextAlignmentRole) return Alignment(section).toInt();
    return {};
}
