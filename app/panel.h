#pragma once
// TPanel: a plain area for other controls with a lowered outer and a raised inner bevel, one
// pixel each.
#include <QImage>
#include <QWidget>
#include <functional>

#include "common/types.h"

class TPanel : public QWidget {
    Q_OBJECT

public:
    explicit TPanel(QWidget* parent = nullptr);

    // properties
    TColor Color() const { return m_color; }
    void SetColor(TColor value);
    bool Bevel() const { return m_bevel; }
    void SetBevel(bool value);                   // false: a plain area without the bevels

    // events
    std::function<void(TPanel& Sender)> OnMouseMove;   // the mouse over the bare panel
    std::function<void(TPanel& Sender)> OnResize;

    QImage RenderImage() const;                  // the panel's own picture, as painted

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TColor m_color = clBtnFace;
    bool m_bevel = true;
};
