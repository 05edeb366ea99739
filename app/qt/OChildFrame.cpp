#include "app/qt/OChildFrame.h"

#include "app/qt/OMainFrame.h"
#include "app/qt/OQtApp.h"
#include "app/qt/ORecordBar.h"
#include "platform/OPlatform.h"
#include "platform/OProgress.h"
#include "res/OResourceIds.h"
#include "res/OStringTable.h"
#include "view/qt/OView.h"

#include <QCloseEvent>
#include <QVBoxLayout>

OChildFrame::OChildFrame(OQtApp& app, OView* view, OFindController::Services find)
    : m_app(app), m_view(view), m_find(view->Doc(), *view, std::move(find), view) {
    // The record bar above or below the view, by the setting at creation.
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (OMainFrame* frame = m_app.MainFrame()) {
        m_recordBar = new ORecordBar(*frame, *view, m_app.Core().Settings().recordWidth, body);
        layout->addWidget(m_recordBar);
    }
    layout->addWidget(view, 1);
    if (m_recordBar && !m_app.Core().Settings().recordBarTop) layout->addWidget(m_recordBar);
    setWidget(body);
    setFocusProxy(view);
    setAttribute(Qt::WA_DeleteOnClose);
    UpdateTitle();
}

void OChildFrame::UpdateTitle() {
    ODoc& doc = m_view->Doc();
    QString title = QString::fromStdString(doc.Title());
    // Several windows onto one document are told apart as name:1, name:2.
    const auto& views = doc.Views();
    if (views.size() > 1) {
        const auto index = std::find(views.begin(), views.end(), m_view) - views.begin();
        title += QStringLiteral(":%1").arg(index + 1);
    }
    setWindowTitle(title);
}

void OChildFrame::CloseQuietly() {
    m_quiet = true;
    close();
}

void OChildFrame::closeEvent(QCloseEvent* event) {
    if (LongOperationRunning()) {
        SetStatusText(LoadString(ids::IDS_BUSY));
        event->ignore();
        return;
    }
    if (!m_quiet && !m_app.CanCloseFrame(*this)) {
        event->ignore();
        return;
    }
    m_app.OnFrameClosing(*this);
    QMdiSubWindow::closeEvent(event);
}

bool OChildFrame::OnCommand(OCommandId id) {
    return m_find.OnCommand(id);
}

bool OChildFrame::OnUpdateCommand(OCommandId id, OCmdUI& ui) {
    return m_find.OnUpdateCommand(id, ui);
}
