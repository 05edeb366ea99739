#pragma once

#include <QPushButton>
#include <cstdint>

// A button that shows a colour as a rectangle filled with it and framed in
// black; a click opens the colour dialog on it, and OK there takes the new
// colour.
class OColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit OColorButton(std::uint32_t colorRef, QWidget* parent = nullptr);

    std::uint32_t ColorRef() const { return m_color; }
    void SetColorRef(std::uint32_t colorRef);
    QSize sizeHint() const override { return {48, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose();

    std::uint32_t m_color;
};
