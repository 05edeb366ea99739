#include "view/qt/OView.h"

#include "platform/OFormat.h"
#include "res/OResourceIds.h"
#include "view/OOffsetFormat.h"
#include "view/ORecordWidth.h"

#include <QFontDatabase>
#include <QPainter>
#include <vector>

OView::OView(std::shared_ptr<ODoc> doc, const OSettings& settings, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(std::move(doc)), m_settings(settings) {
    m_doc->AddView(this);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
}

OView::~OView() {
    m_doc->RemoveView(this);
}

void OView::SetRecordWidth(int requested) {
    m_settings.recordWidth =
        ApplyRecordWidth(requested, m_settings.recordWidth, m_settings.maxRecordWidth);
}

void OView::OnUpdate() {
    viewport()->update();
}

bool OView::OnCommand(unsigned id) {
    if (id != ids::ID_FILE_SAVE) return false;
    if (OFile* file = m_doc->File()) file->Commit();
    m_doc->UpdateAllViews();
    return true;
}

bool OView::OnUpdateCommand(unsigned id, OCmdUI& ui) {
    if (id != ids::ID_FILE_SAVE) return false;
    ui.enabled = !m_doc->ReadOnly() && m_doc->IsModified();
    return true;
}

// A plain listing of the records that fit, read one row at a time, until
// the record painter takes its place.
void OView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    OFile* file = m_doc->File();
    if (!file) return;
    const OOffset size = file->LogicalSize();
    OffsetFormat format;
    format.SetWidthClass(size);
    const int width = std::min(m_settings.recordWidth, 64);
    std::vector<OByte> row(static_cast<std::size_t>(width));
    const int rows = viewport()->height() / metrics.height() + 1;
    for (int r = 0; r < rows; ++r) {
        const OOffset offset = static_cast<OOffset>(r) * width;
        if (offset >= size) break;
        const std::size_t n = file->ReadAt(offset, row.data(), row.size());
        if (n == 0) break;
        std::string line = format.Hex(offset) + "  ";
        for (std::size_t i = 0; i < n; ++i)
            line += Format("%02X ", row[i]);
        painter.drawText(4, (r + 1) * metrics.height(), QString::fromLatin1(line.c_str()));
    }
}
