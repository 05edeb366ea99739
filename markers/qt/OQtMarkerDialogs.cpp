#include "markers/qt/OQtMarkerDialogs.h"

#include "markers/qt/OMarkerEditDlg.h"
#include "markers/qt/OMarkerListDlg.h"

#include <QApplication>

OQtMarkerDialogs::OQtMarkerDialogs(std::function<QWidget*()> parent)
    : m_parent(std::move(parent)) {}

QWidget* OQtMarkerDialogs::Parent() const {
    return m_parent ? m_parent() : QApplication::activeWindow();
}

std::optional<std::size_t> OQtMarkerDialogs::ChooseRange(const OMarkerRows& rows,
                                                         OCommandId command) {
    OMarkerListDlg dialog(rows, command, Parent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Chosen();
}

bool OQtMarkerDialogs::EditRange(ORange& range) {
    OMarkerEditDlg dialog(range, Parent());
    return dialog.exec() == QDialog::Accepted;
}
