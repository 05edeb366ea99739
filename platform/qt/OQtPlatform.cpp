#include "platform/qt/OQtPlatform.h"

#include "platform/qt/OQtProgress.h"
#include "res/OStringTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <utility>

OQtPlatform::OQtPlatform(std::function<OThrottle::Clock::time_point()> now)
    : m_previous(Platform()), m_now(std::move(now)), m_pump(kProgressPace, m_now) {
    SetPlatform(OPlatformServices{this, this, this, this, this, this});
}

OQtPlatform::~OQtPlatform() {
    SetPlatform(m_previous);
}

OAnswer OQtPlatform::Show(const std::string& text, OButtons buttons, OIcon icon) {
    QMessageBox box(m_window);
    box.setWindowTitle(QString::fromUtf8(LoadString(ids::IDR_MAINFRAME)));
    box.setText(QString::fromUtf8(text.c_str()));
    switch (icon) {
    case OIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case OIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case OIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case OIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case OIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    QMessageBox::StandardButtons standard;
    switch (buttons) {
    case OButtons::Ok:
        standard = QMessageBox::Ok;
        break;
    case OButtons::OkCancel:
        standard = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case OButtons::YesNo:
        standard = QMessageBox::Yes | QMessageBox::No;
        break;
    case OButtons::YesNoCancel:
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(standard);
    // Mnemonics, so a question is answered from the keyboard as it always was.
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("&Yes"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("&No"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("&Cancel"));
    if (buttons == OButtons::YesNo) box.setEscapeButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return OAnswer::Ok;
    case QMessageBox::Yes:
        return OAnswer::Yes;
    case QMessageBox::No:
        return OAnswer::No;
    default:
        return buttons == OButtons::YesNo ? OAnswer::No : OAnswer::Cancel;
    }
}

std::string OQtPlatform::Text() const {
    return m_label ? m_label->text().toStdString() : std::string();
}

void OQtPlatform::SetText(const std::string& text) {
    if (m_label) m_label->setText(QString::fromUtf8(text.c_str()));
}

void OQtPlatform::Pump() {
    if (!m_pump.Due()) return;
    QApplication::processEvents(QEventLoop::AllEvents);
    m_pump.Ran();
}

std::optional<std::string> OQtPlatform::AskSaveFileName() {
    const QString path = QFileDialog::getSaveFileName(m_window);
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::unique_ptr<OProgress> OQtPlatform::Create(OOffset low, OOffset high, bool cancelEnabled) {
    m_pump.Reset();
    return std::make_unique<OProgressDlg>(m_window, low, high, cancelEnabled, m_now,
                                          [this] { m_pump.Reset(); });
}

bool OQtPlatform::PutText(const std::string& utf8) {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return true;
}

std::optional<std::string> OQtPlatform::GetText() {
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard) return std::nullopt;
    const QString text = clipboard->text();
    if (text.isNull()) return std::nullopt;
    return text.toStdString();
}
