#pragma once

#include "markers/OMarkerRows.h"

#include <QAbstractTableModel>

// The marker list as a table: one row per OMarkerRows row, drawn in its
// range's colours. Cells are made when asked for, so a view over 100,000
// markers costs what its visible rows cost.
class OMarkerTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // rows outlives the model.
    explicit OMarkerTableModel(const OMarkerRows& rows, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_rows(rows) {}

    // The heading and the alignment of each column.
    static QString Heading(int column);
    static Qt::Alignment Alignment(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const OMarkerRows& m_rows;
};
