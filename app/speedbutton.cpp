#include "app/speedbutton.h"

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(this, &QToolButton::clicked, this, [this] {
        if (OnClick) OnClick(*this);
    });
}

void TSpeedButton::SetGroupIndex(int value)
{
    m_groupIndex = value;
    setCheckable(value != 0);
    if (value == 0) setChecked(false);
}

void TSpeedButton::SetDown(bool value)
{
    if (m_groupIndex == 0) return;
    setChecked(value);
    if (value) ReleaseOthers();
}

void TSpeedButton::SetGlyph(const QIcon& glyph)
{
    setIcon(glyph);
    setToolButtonStyle(glyph.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::nextCheckState()
{
    if (m_groupIndex == 0) return;
    if (isChecked()) {
        // A pressed button of a group only comes up by a click when the group may be all up.
        if (m_allowAllUp) setChecked(false);
        return;
    }
    setChecked(true);
    ReleaseOthers();
}

void TSpeedButton::ReleaseOthers()
{
    if (!parentWidget()) return;
    for (TSpeedButton* other : parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly)) {
        if (other != this && other->m_groupIndex == m_groupIndex) other->setChecked(false);
    }
}
