#pragma once

#include "app/OSettings.h"
#include "doc/ODoc.h"
#include "doc/ODocView.h"
#include "platform/OCommandTarget.h"

#include <QAbstractScrollArea>
#include <memory>

// A document window's view. Holds its own copy of the settings and shares
// ownership of its document: the document lives while any view shows it.
class OView : public QAbstractScrollArea, public ODocView, public OCommandTarget {
    Q_OBJECT
public:
    OView(std::shared_ptr<ODoc> doc, const OSettings& settings, QWidget* parent = nullptr);
    ~OView() override;

    ODoc& Doc() const { return *m_doc; }
    const std::shared_ptr<ODoc>& SharedDoc() const { return m_doc; }
    OSettings& Settings() { return m_settings; }
    // Applies a requested record width without redrawing (negative: keep).
    void SetRecordWidth(int requested);

    void OnUpdate() override;
    bool OnCommand(unsigned id) override;
    bool OnUpdateCommand(unsigned id, OCmdUI& ui) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<ODoc> m_doc;
    OSettings m_settings;
};
