#pragma once
// TSpeedButton: a flat-faced push button with an optional glyph that can stay pressed. Buttons
// with the same non-zero GroupIndex under one parent form a group: pressing one releases the
// others; with AllowAllUp a pressed button is released by pressing it again. OnClick runs after
// the state has changed, in every case.
#include <QIcon>
#include <QToolButton>
#include <functional>

class TSpeedButton : public QToolButton {
    Q_OBJECT

public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    // properties
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value);               // 0: an ordinary button that never stays down
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value) { m_allowAllUp = value; }
    bool Down() const { return isChecked(); }
    void SetDown(bool value);                    // pressing releases the group's others; no OnClick
    void SetGlyph(const QIcon& glyph);

    // events
    std::function<void(TSpeedButton& Sender)> OnClick;

protected:
    void nextCheckState() override;

private:
    void ReleaseOthers();

    int m_groupIndex = 0;
    bool m_allowAllUp = false;
};
